// The startup password question: a small modal dialog built at run time from
// an in-memory template, laid out in dialog units of its own font so that it
// scales with the font. The typed text never lands in a plain string: it goes
// from a wiped stack buffer into a SecretText (win32/Secret.h), and the
// edit's own text is overwritten before the dialog goes.
#pragma once

#include <windows.h>

#include <string>

#include "win32/Secret.h"

namespace topo::window {

// X: the average width of "A".."Z""a".."z" in the DC's current font, rounded
// toward zero; Y: the height of that text. Both in pixels.
SIZE AverageCharSize(HDC dc);

// Where the dialog puts its parts, in client pixels, for a character size.
struct TPasswordGeometry {
  SIZE client;
  POINT label;  // sized to its text
  POINT edit;
  int editWidth, editHeight;
  int buttonTop, buttonWidth, buttonHeight;
  int okLeft, cancelLeft;
};
TPasswordGeometry PasswordGeometry(SIZE charSize);

inline constexpr int kPasswordMaxLength = 16;
inline constexpr int kPasswordEditId = 100;

// Asks for a password: caption and prompt in code page 936, value the text
// the edit starts with. True when the operator confirmed with OK (value then
// holds the typed text, possibly empty); false otherwise, value unchanged.
// The buttons' captions come from the string table of strings.
bool PasswordQuery(const std::string& caption, const std::string& prompt, win32::SecretText& value,
                   HWND owner, HMODULE strings);

}  // namespace topo::window
