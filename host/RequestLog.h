// What ARCom keeps of every request, and the request log file that a test or
// an operator reads afterwards: one UTF-8 line per request, passwords masked.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "host/Packet.h"

namespace arhost {

struct RequestRecord {
  double at = 0;  // network time in seconds
  LONG function = 0;
  LONG requestMode = 0;
  LONG requestKind = 0;
  LONG addressKind = 0;
  std::wstring address;
  Packet request;
  LONG errorNo = 0;
  LONG returnCode = 0;
  size_t answerRows = 0;
};

// One line of the request log (UTF-8 without the line end). Texts after the
// first two values of a start or restart request are the password: masked.
std::string RequestLogLine(const RequestRecord& r);

// The log file, emptied when the log is made so that a run reads only its
// own requests; no file at all for an empty path.
class RequestLog {
 public:
  explicit RequestLog(std::wstring path);
  void Append(const RequestRecord& r) const;

 private:
  std::wstring path_;
};

}  // namespace arhost
