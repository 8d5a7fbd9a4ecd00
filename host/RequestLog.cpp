// The request log's lines. The file is opened for each line and closed again,
// so a host that is killed has still logged every request it answered.
#include "host/RequestLog.h"

#include <cstdio>

#include "host/Network.h"
#include "win32/Cp936.h"

namespace arhost {

using topo::win32::Utf8FromWide;

namespace {

std::string Quoted(const std::wstring& s) { return "\"" + Utf8FromWide(s) + "\""; }

}  // namespace

std::string RequestLogLine(const RequestRecord& r) {
  char head[160];
  std::snprintf(head, sizeof head, "t=%.2f fn=%ld mode=%ld kind=%ld dest=%ld:", r.at,
                static_cast<long>(r.function), static_cast<long>(r.requestMode),
                static_cast<long>(r.requestKind), static_cast<long>(r.addressKind));
  std::string line = head + Quoted(r.address) + " fields=[";
  for (size_t i = 0; i < r.request.fields.size(); ++i)
    line += (i ? "," : "") + Quoted(r.request.fields[i]);
  line += "] values=[";
  bool secret = r.function == kFnStart || r.function == kFnRestart;
  size_t index = 0;
  for (const auto& row : r.request.rows)
    for (const auto& v : row) {
      if (index) line += ",";
      if (secret && index == 3 && std::holds_alternative<std::wstring>(v))
        line += "\"***\"";
      else if (std::holds_alternative<std::wstring>(v))
        line += Quoted(std::get<std::wstring>(v));
      else
        line += Utf8FromWide(ValueText(v));
      ++index;
    }
  std::snprintf(head, sizeof head, "] -> err=%ld rc=%ld rows=%u", static_cast<long>(r.errorNo),
                static_cast<long>(r.returnCode), static_cast<unsigned>(r.answerRows));
  return line + head;
}

RequestLog::RequestLog(std::wstring path) : path_(std::move(path)) {
  if (path_.empty()) return;
  if (FILE* f = _wfopen(path_.c_str(), L"wb")) std::fclose(f);
}

void RequestLog::Append(const RequestRecord& r) const {
  if (path_.empty()) return;
  if (FILE* f = _wfopen(path_.c_str(), L"ab")) {
    std::string line = RequestLogLine(r) + "\n";
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

}  // namespace arhost
