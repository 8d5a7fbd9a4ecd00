// Writing and reading the PersonalData file's lines. Integers are read by the
// core's integer reader; a value out of its type's range drops the line.
#include "host/PersonalDataFile.h"

#include <climits>
#include <optional>

#include "model/TextFields.h"
#include "win32/Cp936.h"

namespace arhost {

using topo::win32::Utf8FromWide;
using topo::win32::Variant;
using topo::win32::WideFromUtf8;

namespace {

constexpr char kHeader[] = "# arhost PersonalData 1";

std::string Escape(const std::wstring& text) {
  std::string out;
  for (char c : Utf8FromWide(text)) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool Unescape(const std::string& text, std::wstring* out) {
  std::string raw;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      raw += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        raw += '\\';
        break;
      case 't':
        raw += '\t';
        break;
      case 'n':
        raw += '\n';
        break;
      case 'r':
        raw += '\r';
        break;
      default:
        return false;
    }
  }
  *out = WideFromUtf8(raw);
  return true;
}

}  // namespace

std::string SerializeValues(const ValueMap& values) {
  std::string out = std::string(kHeader) + "\n";
  for (const auto& [name, value] : values) {
    const VARIANT& v = value.Get();
    std::string line = Escape(name) + "\t";
    if (v.vt == VT_I2) {
      line += "I2\t" + std::to_string(v.iVal);
    } else if (v.vt == VT_I4) {
      line += "I4\t" + std::to_string(v.lVal);
    } else if (v.vt == VT_BSTR) {
      line += "STR\t" + Escape(std::wstring(v.bstrVal ? v.bstrVal : L"", SysStringLen(v.bstrVal)));
    } else {
      Variant text;
      if (v.vt == VT_EMPTY || v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN ||
          FAILED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        continue;
      BSTR s = text.Get().bstrVal;
      line += "STR\t" + Escape(std::wstring(s ? s : L"", SysStringLen(s)));
    }
    out += line + "\n";
  }
  return out;
}

ValueMap ParseValues(const std::string& text) {
  ValueMap values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t t1 = line.find('\t');
    size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
    if (t2 == std::string::npos) continue;
    std::wstring name;
    if (!Unescape(line.substr(0, t1), &name)) continue;
    std::string type = line.substr(t1 + 1, t2 - t1 - 1);
    std::string raw = line.substr(t2 + 1);
    const std::optional<int32_t> n = topo::ParseInt32(raw);
    std::wstring s;
    if (type == "I2" && n && *n >= SHRT_MIN && *n <= SHRT_MAX)
      values.insert_or_assign(name, Variant::Int16(static_cast<SHORT>(*n)));
    else if (type == "I4" && n)
      values.insert_or_assign(name, Variant::Int32(*n));
    else if (type == "STR" && Unescape(raw, &s))
      values.insert_or_assign(name, Variant::String(s));
  }
  return values;
}

}  // namespace arhost
