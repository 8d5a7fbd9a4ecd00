// The event file's appends on Windows: each append opens the file for
// appending, writes its bytes in one call and closes it, so the bytes are
// the system's (and survive the process being killed) when it returns, and
// another program may read the file meanwhile.
#pragma once

#include "model/AppendStore.h"

namespace topo::win32 {

class Win32AppendStore : public AppendStore {
 public:
  // Paths in code page 936; failures throw EHostCallError naming the step and the path.
  std::optional<std::string> Read(const std::string& path) override;
  void Append(const std::string& path, const std::string& bytes) override;
};

}  // namespace topo::win32
