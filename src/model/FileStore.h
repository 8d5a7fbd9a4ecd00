// How the core writes whole files. A replacement goes to a temporary file
// beside the target and is then renamed over it, so a failure part-way never
// leaves a half-written file behind; failures are thrown.
#pragma once

#include <string>

namespace topo {

class FileStore {
 public:
  virtual ~FileStore() = default;
  virtual void ReplaceFile(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace topo
