// Command-line parsing for arhost.exe.
#include "host/Options.h"

#include <cwchar>

#include "host/Lists.h"

namespace arhost {

namespace {

// Seconds from now, at most a day.
bool Seconds(const std::wstring& text, double* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  double v = std::wcstod(text.c_str(), &end);
  if (*end || !(v >= 0) || v > 86400) return false;
  *value = v;
  return true;
}

// A number (the core's integer reader) within a range.
bool Integer(const std::wstring& text, int lo, int hi, int* value) {
  const std::optional<int32_t> v = Number(text);
  if (!v || *v < lo || *v > hi) return false;
  *value = *v;
  return true;
}

// "X,Y@SECONDS"
bool ParseClick(const std::wstring& text, bool right, Click* click) {
  size_t comma = text.find(L','), at = text.find(L'@');
  if (comma == std::wstring::npos || at == std::wstring::npos || at < comma) return false;
  click->right = right;
  return Integer(text.substr(0, comma), -10000, 10000, &click->x) &&
         Integer(text.substr(comma + 1, at - comma - 1), -10000, 10000, &click->y) &&
         Seconds(text.substr(at + 1), &click->at);
}

// "X,Y.N", optionally followed by ":FUNCTION", then "@SECONDS".
bool ParseStatusQuery(const std::wstring& text, StatusQuery* query) {
  size_t at = text.rfind(L'@');
  if (at == std::wstring::npos || !Seconds(text.substr(at + 1), &query->at)) return false;
  std::wstring target = text.substr(0, at);
  size_t colon = target.find(L':');
  if (colon != std::wstring::npos) {
    if (!Integer(target.substr(colon + 1), 1, 99999, &query->function)) return false;
    target.resize(colon);
  }
  size_t comma = target.find(L','), dot = target.find(L'.');
  if (comma == std::wstring::npos || dot == std::wstring::npos || dot < comma) return false;
  return Integer(target.substr(0, comma), -10000, 10000, &query->x) &&
         Integer(target.substr(comma + 1, dot - comma - 1), -10000, 10000, &query->y) &&
         Integer(target.substr(dot + 1), 0, 9, &query->instance);
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::wstring>& args, std::wstring* error) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (a.rfind(L"--", 0) != 0) {
      if (!o.plugin.empty()) return *error = L"more than one plug-in: " + a, std::nullopt;
      o.plugin = a;
      continue;
    }
    if (a == L"--version") {
      o.version = true;
      continue;
    }
    if (i + 1 == args.size()) return *error = a + L" needs a value", std::nullopt;
    const std::wstring& v = args[++i];
    bool ok = true;
    if (a == L"--resource")
      o.resource = v;
    else if (a == L"--scenario")
      o.scenario = v;
    else if (a == L"--data-dir")
      o.dataDir = v;
    else if (a == L"--request-log")
      o.requestLog = v;
    else if (a == L"--screenshot")
      o.screenshot = v;
    else if (a == L"--after")
      ok = Seconds(v, &o.after);
    else if (a == L"--every")
      ok = Seconds(v, &o.every) && o.every >= 0.5;
    else if (a == L"--without")
      o.without.push_back(v);
    else if (a == L"--click" || a == L"--rclick" || a == L"--hover") {
      Click c;
      c.hover = a == L"--hover";
      ok = ParseClick(v, a == L"--rclick", &c);
      if (ok) o.clicks.push_back(c);
    } else if (a == L"--keys") {
      KeyPresses k;
      const size_t at = v.rfind(L'@');
      ok = at != std::wstring::npos && at > 0 && Seconds(v.substr(at + 1), &k.at);
      for (size_t from = 0; ok && from <= at;) {
        size_t comma = v.find(L',', from);
        if (comma == std::wstring::npos || comma > at) comma = at;
        k.keys.push_back(v.substr(from, comma - from));
        ok = !k.keys.back().empty();
        from = comma + 1;
      }
      if (ok) o.keys.push_back(k);
    } else if (a == L"--status") {
      StatusQuery q;
      ok = ParseStatusQuery(v, &q);
      if (ok) o.status = q;
    } else if (a == L"--size") {
      size_t x = v.find(L'x');
      ok = x != std::wstring::npos && Integer(v.substr(0, x), 320, 4000, &o.width) &&
           Integer(v.substr(x + 1), 240, 4000, &o.height);
    } else {
      return *error = L"unknown option " + a, std::nullopt;
    }
    if (!ok) return *error = L"bad value for " + a + L": " + v, std::nullopt;
  }
  if (o.plugin.empty() && !o.version) return *error = L"no plug-in DLL given", std::nullopt;
  return o;
}

}  // namespace arhost
