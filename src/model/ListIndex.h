// The one failure every list of the model shares: an index outside
// 0..Count-1. The check is inline because a refresh reaches every record
// through Items; the throw is out of line so the check stays small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace topo {

// Raised by Items with an index outside 0..Count-1.
class EListIndexError : public std::out_of_range {
 public:
  explicit EListIndexError(int32_t index);
};

[[noreturn]] void ThrowListIndexError(int32_t index);

// A negative index converts to a huge size and fails the same comparison.
template <typename Vector>
inline void CheckListIndex(const Vector& items, int32_t index) {
  if (static_cast<size_t>(index) >= items.size()) ThrowListIndexError(index);
}

}  // namespace topo
