// Parser of the layout text and builder of the controls it describes.
#include "ui/FormLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "win32/ThisModule.h"

namespace topo::ui {
namespace {

struct Token {
  std::string text;
  bool quoted = false;                // the whole token was a quoted text
  size_t equals = std::string::npos;  // position of a key=value '=' outside quotes
};

[[noreturn]] void Fail(int line, const std::string& what) {
  throw std::runtime_error("window layout, line " + std::to_string(line) + ": " + what);
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::vector<Token> Tokenize(std::string_view line, int lineNo) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token t;
    t.quoted = c == '"';
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      if (line[i] == '"') {
        ++i;
        bool closed = false;
        while (i < line.size()) {
          char q = line[i++];
          if (q == '\\' && i < line.size()) {
            t.text += line[i++];
          } else if (q == '"') {
            closed = true;
            break;
          } else {
            t.text += q;
          }
        }
        if (!closed) Fail(lineNo, "unterminated text");
      } else {
        if (line[i] == '=' && t.equals == std::string::npos && !t.quoted) t.equals = t.text.size();
        t.text += line[i++];
      }
    }
    tokens.push_back(std::move(t));
  }
  return tokens;
}

int ToInt(const Token& t, int lineNo) {
  if (t.quoted || t.text.empty()) Fail(lineNo, "number expected");
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(t.text, &used);
  } catch (const std::exception&) {
    Fail(lineNo, "number expected, got " + t.text);
  }
  if (used != t.text.size()) Fail(lineNo, "number expected, got " + t.text);
  return value;
}

const wchar_t* const kKinds[] = {L"label",    L"edit",  L"button",  L"checkbox",
                                 L"groupbox", L"panel", L"listbox", L"combobox",
                                 L"updown",   L"image", L"grid"};

bool KnownKind(const std::wstring& kind) {
  return std::any_of(std::begin(kKinds), std::end(kKinds),
                     [&](const wchar_t* k) { return kind == k; });
}

void ParseControl(const std::vector<Token>& tokens, int lineNo, FormLayout& layout) {
  if (tokens.size() < 7) Fail(lineNo, "control needs a kind, a name and four numbers");
  ControlLayout c;
  c.line = lineNo;
  c.kind = Wide(tokens[1].text);
  c.name = Wide(tokens[2].text);
  if (!KnownKind(c.kind)) Fail(lineNo, "unknown control kind " + tokens[1].text);
  if (layout.Find(c.name)) Fail(lineNo, "control " + tokens[2].text + " declared twice");
  c.left = ToInt(tokens[3], lineNo);
  c.top = ToInt(tokens[4], lineNo);
  c.width = ToInt(tokens[5], lineNo);
  c.height = ToInt(tokens[6], lineNo);
  for (size_t i = 7; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.equals == std::string::npos) {
      c.properties[Wide(t.text)] = L"1";
    } else {
      c.properties[Wide(t.text.substr(0, t.equals))] = Wide(t.text.substr(t.equals + 1));
    }
  }
  for (const wchar_t* ref : {L"parent", L"buddy"}) {
    if (c.Has(ref) && !layout.Find(c.Text(ref)))
      Fail(lineNo, "the " + std::string(ref == std::wstring(L"parent") ? "parent" : "buddy") +
                       " must be declared before its use");
  }
  layout.controls.push_back(std::move(c));
}

}  // namespace

std::wstring ControlLayout::Text(const wchar_t* key, const std::wstring& otherwise) const {
  auto it = properties.find(key);
  return it == properties.end() ? otherwise : it->second;
}

int ControlLayout::Int(const wchar_t* key, int otherwise) const {
  auto it = properties.find(key);
  if (it == properties.end()) return otherwise;
  try {
    return std::stoi(it->second);
  } catch (const std::exception&) {
    Fail(line, "number expected for a control property");
  }
}

const ControlLayout* FormLayout::Find(const std::wstring& controlName) const {
  for (const ControlLayout& c : controls)
    if (c.name == controlName) return &c;
  return nullptr;
}

FormLayout ParseFormLayout(std::string_view text) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  FormLayout layout;
  bool sawForm = false, sawSize = false;
  int lineNo = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNo;
    std::vector<Token> t = Tokenize(line, lineNo);
    if (t.empty()) continue;
    const std::string& word = t[0].text;
    auto need = [&](size_t n) {
      if (t.size() != n) Fail(lineNo, word + " takes " + std::to_string(n - 1) + " value(s)");
    };
    if (word == "form") {
      need(2);
      layout.name = Wide(t[1].text);
      sawForm = true;
    } else if (word == "caption") {
      need(2);
      layout.caption = Wide(t[1].text);
    } else if (word == "position") {
      need(3);
      layout.left = ToInt(t[1], lineNo);
      layout.top = ToInt(t[2], lineNo);
    } else if (word == "client" || word == "size") {
      need(3);
      layout.width = ToInt(t[1], lineNo);
      layout.height = ToInt(t[2], lineNo);
      layout.outerSize = word == "size";
      if (layout.width <= 0 || layout.height <= 0) Fail(lineNo, "the size must be positive");
      sawSize = true;
    } else if (word == "font") {
      need(3);
      layout.fontFace = Wide(t[1].text);
      layout.fontHeight = ToInt(t[2], lineNo);
    } else if (word == "control") {
      ParseControl(t, lineNo, layout);
    } else {
      Fail(lineNo, "unknown statement " + word);
    }
  }
  if (!sawForm) Fail(lineNo, "no form statement");
  if (!sawSize) Fail(lineNo, "no client or size statement");
  return layout;
}

namespace {

void RegisterContainerClass(const wchar_t* name) {
  HINSTANCE instance = win32::ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

struct Made {
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
};

Made ClassFor(const ControlLayout& c) {
  const std::wstring& k = c.kind;
  if (k == L"label")
    return {L"STATIC", static_cast<DWORD>(c.Text(L"align") == L"right" ? SS_RIGHT : SS_LEFT), 0};
  if (k == L"edit")
    return {
        L"EDIT",
        static_cast<DWORD>(WS_TABSTOP | ES_AUTOHSCROLL | (c.Has(L"readonly") ? ES_READONLY : 0)),
        WS_EX_CLIENTEDGE};
  if (k == L"button") return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
  if (k == L"checkbox") return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
  if (k == L"groupbox") return {L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
  if (k == L"panel") return {kPanelClass, WS_CLIPSIBLINGS, 0};
  if (k == L"listbox")
    return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
            WS_EX_CLIENTEDGE};
  if (k == L"combobox") return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
  if (k == L"updown")
    return {UPDOWN_CLASSW,
            static_cast<DWORD>(WS_TABSTOP | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                               (c.Has(L"wrap") ? UDS_WRAP : 0)),
            0};
  if (k == L"image") return {L"STATIC", SS_BITMAP, 0};
  return {kStringGridClass, WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE};
}

}  // namespace

std::map<std::wstring, HWND> CreateLayoutControls(HWND form, const FormLayout& layout, HFONT font) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterContainerClass(kPanelClass);
  RegisterContainerClass(kTabSheetClass);

  std::map<std::wstring, HWND> made;
  for (const ControlLayout& c : layout.controls) {
    Made m = ClassFor(c);
    HWND parent = c.Has(L"parent") ? made.at(c.Text(L"parent")) : form;
    DWORD style = WS_CHILD | m.style | (c.Has(L"hidden") ? 0 : WS_VISIBLE) |
                  (c.Has(L"disabled") ? WS_DISABLED : 0);
    int height = c.height;
    // A drop-down list's window includes its open list.
    if (c.kind == L"combobox") height += c.height * c.Int(L"items", 8);
    HWND w = CreateWindowExW(m.exStyle, m.cls, c.Text(L"text").c_str(), style, c.left, c.top,
                             c.width, height, parent, nullptr, win32::ThisModule(), nullptr);
    if (!w) {
      throw std::runtime_error("window layout, line " + std::to_string(c.line) +
                               ": the control cannot be created");
    }
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (c.kind == L"checkbox" && c.Has(L"checked")) SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
    if (c.kind == L"updown") {
      if (c.Has(L"buddy"))
        SendMessageW(w, UDM_SETBUDDY, reinterpret_cast<WPARAM>(made.at(c.Text(L"buddy"))), 0);
      SendMessageW(w, UDM_SETRANGE32, c.Int(L"min", 0), c.Int(L"max", 100));
      UDACCEL accel{0, static_cast<UINT>(c.Int(L"increment", 1))};
      SendMessageW(w, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
      SendMessageW(w, UDM_SETPOS32, 0, c.Int(L"pos", c.Int(L"min", 0)));
    }
    made[c.name] = w;
  }

  // Tab order is the order of siblings: declared tab orders first, in order,
  // then the others as declared.
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& c : layout.controls) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(), [](const ControlLayout* a, const ControlLayout* b) {
    return a->Int(L"tab", INT_MAX) < b->Int(L"tab", INT_MAX);
  });
  for (const ControlLayout* c : order)
    SetWindowPos(made.at(c->name), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  return made;
}

}  // namespace topo::ui
