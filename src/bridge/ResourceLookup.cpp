// Resource lookups that honour the redirection to the resource module.
#include "bridge/ResourceLookup.h"

#include <stdexcept>

#include "win32/Cp936.h"

namespace topo::bridge {

std::string LoadLayoutText(HMODULE source, const wchar_t* name) {
  HRSRC found = FindResourceW(source, name, kLayoutResourceType);
  HGLOBAL loaded = found ? LoadResource(source, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) {
    throw std::runtime_error("window layout " + win32::Cp936FromWide(std::wstring(name)) +
                             " is missing from the resource file");
  }
  return std::string(static_cast<const char*>(bytes), SizeofResource(source, found));
}

ui::FormLayout LoadFormLayout(HMODULE source, const wchar_t* name) {
  return ui::ParseFormLayout(LoadLayoutText(source, name),
                             "window layout " + win32::Cp936FromWide(std::wstring(name)));
}

std::wstring LoadPluginString(HMODULE source, UINT id) {
  // With a zero buffer size LoadStringW hands out a pointer into the resource
  // itself, so no length limit applies and nothing is copied twice.
  const wchar_t* text = nullptr;
  int n = LoadStringW(source, id, reinterpret_cast<wchar_t*>(&text), 0);
  if (n <= 0 || !text) return {};
  return std::wstring(text, static_cast<size_t>(n));
}

std::string LoadPluginStringCp936(HMODULE source, UINT id) {
  return win32::Cp936FromWide(LoadPluginString(source, id));
}

}  // namespace topo::bridge
