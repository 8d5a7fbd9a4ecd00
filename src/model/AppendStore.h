// How the core adds to a file that grows (the daily event file): read it
// whole, append to its end. An append that returns has handed its bytes to
// the system, so a process killed afterwards loses none of them; one killed
// part-way may leave a torn last line, which the reader skips. Failures are
// thrown.
#pragma once

#include <optional>
#include <string>

namespace topo {

class AppendStore {
 public:
  virtual ~AppendStore() = default;
  // The file's bytes, nothing when there is no such file. path in code page 936.
  virtual std::optional<std::string> Read(const std::string& path) = 0;
  // Adds bytes at the end, making the file when there is none.
  virtual void Append(const std::string& path, const std::string& bytes) = 0;
};

// The conversion between the model's code page 936 and UTF-8, which the
// shell has (the core knows neither encoding's tables).
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  virtual std::string Utf8FromCp936(const std::string& text) const = 0;
  virtual std::string Cp936FromUtf8(const std::string& text) const = 0;
};

}  // namespace topo
