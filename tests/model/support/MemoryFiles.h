// What the event file needs of the system, in memory: files as byte strings
// that a test can tear or make fail.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "model/AppendStore.h"

namespace topo::test {

class MemoryAppendStore : public AppendStore {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    const auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second;
  }
  void Append(const std::string& path, const std::string& bytes) override {
    if (failing) throw std::runtime_error("disk full");
    files[path] += bytes;
    ++appends;
  }
  std::map<std::string, std::string> files;
  bool failing = false;
  int appends = 0;
};

}  // namespace topo::test
