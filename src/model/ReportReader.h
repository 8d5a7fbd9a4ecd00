// What the status merge needs of an opened answer: rows read in order, each
// field's value as code page 936 text. The shell implements it over the host's
// unpacker; tests implement it over a table in memory.
#pragma once

#include <string>

namespace topo {

class ReportReader {
 public:
  virtual ~ReportReader() = default;
  virtual bool Eof() = 0;
  // The field's value of the current row as text. A failure of the
  // underlying component is reported by throwing.
  virtual std::string FieldText(const char* name) = 0;
  virtual void Next() = 0;
};

}  // namespace topo
