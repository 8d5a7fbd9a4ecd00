// The list index error's message names the index, as the operator's report of
// a failed refresh is all there is to go on.
#include "model/ListIndex.h"

#include <string>

namespace topo {

EListIndexError::EListIndexError(int32_t index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

void ThrowListIndexError(int32_t index) { throw EListIndexError(index); }

}  // namespace topo
