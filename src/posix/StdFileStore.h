// File replacement on POSIX systems: a new file beside the target, flushed to
// disk, then renamed over the target in one step.
#pragma once

#include "model/FileStore.h"

namespace topo {

class StdFileStore : public FileStore {
 public:
  // Throws std::system_error naming the step and the path that failed.
  void ReplaceFile(const std::string& path, const std::string& bytes) override;
};

}  // namespace topo
