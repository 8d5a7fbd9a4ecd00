// Cache hints for the walks that visit every node once (the status merge and
// the placement check): successive nodes and their lists lie apart in memory,
// so a walk asks for the next ones while it works on the current one. Hints
// only: what they load changes no result.
#pragma once

#include "model/Nodes.h"

namespace topo {

// Starts loading the cache line at address.
inline void PrefetchAddress(const void* address) { __builtin_prefetch(address); }

// Every cache line of the list's records.
inline void TLinkNodeList::Prefetch() const {
  const char* begin = reinterpret_cast<const char*>(items_.data());
  const char* end = reinterpret_cast<const char*>(items_.data() + items_.size());
  for (const char* line = begin; line < end; line += 64) PrefetchAddress(line);
}

}  // namespace topo
