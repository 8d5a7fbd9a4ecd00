// Parser of the layout text. Every statement, kind and key is checked against
// the tables below, so a typing error in a replacement resource file is an
// error naming the line, not a default that passes silently.
#include "ui/FormLayout.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "model/TextFields.h"
#include "win32/Cp936.h"

namespace topo::ui {
namespace {

struct Token {
  std::string text;
  bool quoted = false;                // the whole token was a quoted text
  size_t equals = std::string::npos;  // position of a key=value '=' outside quotes
};

// The layout being parsed, for the messages: its source name.
thread_local const std::string* currentSource = nullptr;

[[noreturn]] void Fail(int line, const std::string& what) {
  throw std::runtime_error((currentSource ? *currentSource : std::string("window layout")) +
                           ", line " + std::to_string(line) + ": " + what);
}

std::wstring Wide(const std::string& utf8) { return win32::WideFromUtf8(utf8); }

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
  const std::optional<int32_t> value = ParseInt32(t.text);
  if (!value) Fail(lineNo, "number expected, got " + t.text);
  return *value;
}

enum class KeyType { Flag, Int, Text, Name, Align, Anchors };

struct KeyRule {
  const char* key;
  KeyType type;
};

const KeyRule kCommonKeys[] = {{"text", KeyType::Text},      {"parent", KeyType::Name},
                               {"tab", KeyType::Int},        {"id", KeyType::Int},
                               {"hidden", KeyType::Flag},    {"disabled", KeyType::Flag},
                               {"anchors", KeyType::Anchors}};

struct KindRule {
  const char* kind;
  std::vector<KeyRule> keys;
};

const std::vector<KindRule>& Kinds() {
  static const std::vector<KindRule> kinds = {
      {"label", {{"align", KeyType::Align}, {"autosize", KeyType::Flag}}},
      {"edit", {{"readonly", KeyType::Flag}}},
      {"button", {}},
      {"checkbox", {{"checked", KeyType::Flag}}},
      {"groupbox", {}},
      {"panel", {}},
      {"listbox", {}},
      {"combobox", {{"items", KeyType::Int}}},
      {"updown",
       {{"buddy", KeyType::Name},
        {"min", KeyType::Int},
        {"max", KeyType::Int},
        {"pos", KeyType::Int},
        {"increment", KeyType::Int},
        {"wrap", KeyType::Flag}}},
      {"image", {{"bitmap", KeyType::Text}, {"transparent", KeyType::Flag}}},
      {"grid",
       {{"columns", KeyType::Int},
        {"rows", KeyType::Int},
        {"fixedcols", KeyType::Int},
        {"fixedrows", KeyType::Int},
        {"colwidth", KeyType::Int},
        {"rowheight", KeyType::Int},
        {"lines", KeyType::Flag},
        {"fixedlines", KeyType::Flag},
        {"colsizing", KeyType::Flag},
        {"rowselect", KeyType::Flag}}},
  };
  return kinds;
}

bool IsInt(const std::string& text) { return ParseInt32(text).has_value(); }

void CheckValue(const KeyRule& rule, const std::string& value, bool given, int lineNo) {
  const std::string key = rule.key;
  if (rule.type == KeyType::Flag) {
    if (given) Fail(lineNo, "key " + key + " is a flag and takes no value");
    return;
  }
  if (!given) Fail(lineNo, "key " + key + " needs a value");
  switch (rule.type) {
    case KeyType::Int:
      if (!IsInt(value)) Fail(lineNo, "key " + key + " needs a number, got " + value);
      break;
    case KeyType::Align:
      if (value != "left" && value != "center" && value != "right")
        Fail(lineNo, "key align is left, center or right, not " + value);
      break;
    case KeyType::Anchors: {
      size_t start = 0;
      while (start <= value.size()) {
        size_t comma = value.find(',', start);
        std::string side = value.substr(start, comma == std::string::npos ? comma : comma - start);
        if (side != "left" && side != "top" && side != "right" && side != "bottom")
          Fail(lineNo, "key anchors names left, top, right or bottom, not " + side);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      break;
    }
    default:
      break;
  }
}

void ParseControl(const std::vector<Token>& tokens, int lineNo, FormLayout& layout) {
  if (tokens.size() < 7) Fail(lineNo, "control needs a kind, a name and four numbers");
  ControlLayout c;
  c.line = lineNo;
  c.kind = Wide(tokens[1].text);
  c.name = Wide(tokens[2].text);
  const auto& kinds = Kinds();
  auto kind = std::find_if(kinds.begin(), kinds.end(),
                           [&](const KindRule& k) { return tokens[1].text == k.kind; });
  if (kind == kinds.end()) Fail(lineNo, "unknown control kind " + tokens[1].text);
  if (layout.Find(c.name)) Fail(lineNo, "control " + tokens[2].text + " declared twice");
  c.left = ToInt(tokens[3], lineNo);
  c.top = ToInt(tokens[4], lineNo);
  c.width = ToInt(tokens[5], lineNo);
  c.height = ToInt(tokens[6], lineNo);
  for (size_t i = 7; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    const bool given = t.equals != std::string::npos;
    const std::string key = given ? t.text.substr(0, t.equals) : t.text;
    const std::string value = given ? t.text.substr(t.equals + 1) : std::string();
    const KeyRule* rule = nullptr;
    for (const KeyRule& r : kCommonKeys)
      if (key == r.key) rule = &r;
    for (const KeyRule& r : kind->keys)
      if (key == r.key) rule = &r;
    if (!rule) Fail(lineNo, "unknown key " + key + " for a " + tokens[1].text);
    CheckValue(*rule, value, given, lineNo);
    c.properties[Wide(key)] = given ? Wide(value) : L"1";
  }
  for (const wchar_t* ref : {L"parent", L"buddy"}) {
    if (c.Has(ref) && !layout.Find(c.Text(ref)))
      Fail(lineNo, "the " + std::string(ref == std::wstring(L"parent") ? "parent" : "buddy") +
                       " must be declared before its use");
  }
  c.id = c.Int(L"id", 100 + static_cast<int>(layout.controls.size()) + 1);
  layout.controls.push_back(std::move(c));
}

bool MenuNameTaken(FormLayout& layout, const std::wstring& name) {
  return std::find(layout.menus.begin(), layout.menus.end(), name) != layout.menus.end() ||
         layout.FindMenuItem(name);
}

void ParseMenu(const std::vector<Token>& t, int lineNo, FormLayout& layout) {
  const std::string& word = t[0].text;
  if (word == "menu") {
    if (t.size() != 2) Fail(lineNo, "menu takes a name");
    if (MenuNameTaken(layout, Wide(t[1].text)))
      Fail(lineNo, "menu " + t[1].text + " declared twice");
    layout.menus.push_back(Wide(t[1].text));
    return;
  }
  const size_t fixed = word == "item" ? 4 : 2;
  if (t.size() < fixed)
    Fail(lineNo,
         word == "item" ? "item needs a parent, a name and a caption" : "separator needs a parent");
  MenuItemLayout item;
  item.parent = Wide(t[1].text);
  const bool parentIsMenu =
      std::find(layout.menus.begin(), layout.menus.end(), item.parent) != layout.menus.end();
  MenuItemLayout* parentItem = layout.FindMenuItem(item.parent);
  if (!parentIsMenu && !parentItem)
    Fail(lineNo, "the menu or item " + t[1].text + " must be declared before its use");
  if (parentItem) parentItem->subMenu = true;
  if (word == "item") {
    item.name = Wide(t[2].text);
    if (MenuNameTaken(layout, item.name)) Fail(lineNo, "item " + t[2].text + " declared twice");
    item.caption = Wide(t[3].text);
  }
  for (size_t i = fixed; i < t.size(); ++i) {
    const bool given = t[i].equals != std::string::npos;
    const std::string key = given ? t[i].text.substr(0, t[i].equals) : t[i].text;
    const std::string value = given ? t[i].text.substr(t[i].equals + 1) : std::string();
    if (word == "item" && key == "tag") {
      CheckValue({"tag", KeyType::Int}, value, given, lineNo);
      item.tag = ParseInt32(value).value_or(0);
    } else if (word == "item" && key == "submenu") {
      CheckValue({"submenu", KeyType::Flag}, value, given, lineNo);
      item.subMenu = true;
    } else {
      Fail(lineNo, "unknown key " + key + " for a " + word);
    }
  }
  layout.menuItems.push_back(std::move(item));
}

}  // namespace

MenuItemLayout* FormLayout::FindMenuItem(const std::wstring& itemName) {
  if (itemName.empty()) return nullptr;
  for (MenuItemLayout& item : menuItems)
    if (item.name == itemName) return &item;
  return nullptr;
}

std::wstring ControlLayout::Text(const wchar_t* key, const std::wstring& otherwise) const {
  auto it = properties.find(key);
  return it == properties.end() ? otherwise : it->second;
}

int ControlLayout::Int(const wchar_t* key, int otherwise) const {
  auto it = properties.find(key);
  if (it == properties.end()) return otherwise;
  const std::optional<int32_t> value = ParseInt32(win32::Utf8FromWide(it->second));
  if (!value) Fail(line, "number expected for a control property");
  return *value;
}

const ControlLayout* FormLayout::Find(const std::wstring& controlName) const {
  for (const ControlLayout& c : controls)
    if (c.name == controlName) return &c;
  return nullptr;
}

FormLayout ParseFormLayout(std::string_view text, const std::string& source) {
  struct Source {
    explicit Source(const std::string& s) { currentSource = &s; }
    ~Source() { currentSource = nullptr; }
  } naming(source);
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
    } else if (word == "menu" || word == "item" || word == "separator") {
      ParseMenu(t, lineNo, layout);
    } else {
      Fail(lineNo, "unknown statement " + word);
    }
  }
  if (!sawForm) Fail(lineNo, "no form statement");
  if (!sawSize) Fail(lineNo, "no client or size statement");
  return layout;
}

}  // namespace topo::ui
