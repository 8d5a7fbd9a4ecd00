// Records and lists of the topology model.
#include "Nodes.h"

namespace topo {

EListIndexError::EListIndexError(int32_t index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

}  // namespace topo
