// The generic form: window class and procedure, self-ownership, scrolling,
// modal showing, key preview, painting and dispatch of control notifications.
#include "ui/Form.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ui/ExceptionBoundary.h"
#include "win32/ThisModule.h"

namespace topo::ui {
namespace {

constexpr const wchar_t* kFormClass = L"TopoForm";
// Posted to itself by ReleaseLater: the window is destroyed once the message
// that asked for it has been handled.
constexpr UINT kReleaseMessage = WM_APP + 0x100;
constexpr UINT_PTR kSubclassId = 0x70706F;

void CollectControls(HWND container, std::vector<HWND>& out) {
  for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    out.push_back(child);
    CollectControls(child, out);
  }
}

bool IsUpDown(HWND control) {
  wchar_t name[32] = L"";
  GetClassNameW(control, name, 32);
  return lstrcmpiW(name, UPDOWN_CLASSW) == 0;
}

// Runs the handler registered for control, if any. The handler is copied
// first, so it may replace or remove itself.
template <class Map, class... Args>
bool RunHandler(const Map& handlers, HWND control, Args... args) {
  auto it = handlers.find(control);
  if (it == handlers.end() || !it->second) return false;
  auto handler = it->second;
  handler(control, args...);
  return true;
}

// Sizes a label to its text; a right-aligned one keeps its right edge.
void FitLabel(HWND label) {
  const std::wstring text = WindowText(label);
  SIZE extent{};
  {
    win32::WindowDc dc(label);
    win32::SelectedObject font(dc.Get(),
                               reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    if (text.empty()) {
      TEXTMETRICW tm{};
      GetTextMetricsW(dc.Get(), &tm);
      extent.cy = tm.tmHeight;
    }
  }
  RECT r;
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, GetParent(label), reinterpret_cast<POINT*>(&r), 2);
  const bool right = (GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
  SetWindowPos(label, nullptr, right ? r.right - extent.cx : r.left, r.top, extent.cx, extent.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

Form::Form(const FormLayout& layout, HMODULE bitmapSource) : layout_(layout) {
  HINSTANCE instance = win32::ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kFormClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("the window class cannot be registered");
  }
  font_.Reset(CreateFontW(layout_.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, layout_.fontFace.c_str()));

  // A single fixed border with a caption, as a top-level window.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT outer{0, 0, layout_.width, layout_.height};
  if (!layout_.outerSize) AdjustWindowRectEx(&outer, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kFormClass, layout_.caption.c_str(), style, layout_.left, layout_.top,
                          outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                          instance, this);
  if (!hwnd_) throw std::runtime_error("the window cannot be created");
  // No destructor runs for a half-built form: the window must not outlive it.
  try {
    BuildContents(bitmapSource);
  } catch (...) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
    throw;
  }
}

void Form::BuildContents(HMODULE bitmapSource) {
  BuiltControls built = CreateLayoutControls(hwnd_, layout_, font_.Get(),
                                             bitmapSource ? bitmapSource : win32::ThisModule());
  controls_ = std::move(built.windows);
  images_ = std::move(built.images);
  RECT client;
  GetClientRect(hwnd_, &client);
  designClient_ = {client.right, client.bottom};
  for (const ControlLayout& c : layout_.controls) {
    HWND w = Control(c.name);
    if (!w) continue;
    if (c.kind == L"label" && c.Has(L"autosize")) {
      autoSizeLabels_.insert(w);
      FitLabel(w);
    }
    const std::wstring anchors = c.Text(L"anchors", L"left,top");
    if (anchors != L"left,top" && GetParent(w) == hwnd_) {
      auto has = [&](const wchar_t* side) { return anchors.find(side) != std::wstring::npos; };
      anchored_.push_back({w,
                           {c.left, c.top, c.left + c.width, c.top + c.height},
                           has(L"left"),
                           has(L"top"),
                           has(L"right"),
                           has(L"bottom")});
    }
  }
  BuildMenus();
  AdoptControls();
}

Form::~Form() {
  if (hwnd_) {
    // The object goes first: the window's last messages must not reach it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
  }
}

void Form::Show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int Form::ShowModal(HWND owner) {
  if (!hwnd_) throw std::logic_error("a destroyed form cannot be shown");
  if (modal_) throw std::logic_error("the form is already shown modally");
  if (owner) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  owner = GetWindow(hwnd_, GW_OWNER);
  // The owner comes back to life however the loop ends.
  struct Reenable {
    HWND owner;
    bool wasEnabled;
    ~Reenable() {
      if (owner && wasEnabled) EnableWindow(owner, TRUE);
    }
  } reenable{owner, owner && IsWindowEnabled(owner)};
  if (owner) EnableWindow(owner, FALSE);

  std::weak_ptr<void> alive = alive_;
  modalResult_ = mrNone;
  modal_ = true;
  ShowWindow(hwnd_, SW_SHOW);
  SetActiveWindow(hwnd_);
  MSG msg;
  while (!alive.expired() && modalResult_ == mrNone) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (alive.expired()) return mrCancel;
  modal_ = false;
  const int result = modalResult_ == mrNone ? mrCancel : modalResult_;
  // Enabled before the window hides, so that the activation goes back to it.
  if (reenable.owner && reenable.wasEnabled) EnableWindow(reenable.owner, TRUE);
  reenable.owner = nullptr;
  ShowWindow(hwnd_, SW_HIDE);
  return result;
}

HWND Form::Control(const std::wstring& name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

FormImage* Form::FindImage(const std::wstring& name) const {
  for (const auto& image : images_)
    if (image->Name() == name) return image.get();
  return nullptr;
}

const FormImage* Form::Image(const std::wstring& name) const { return FindImage(name); }

void Form::InvalidateImage(const FormImage& image) {
  if (!hwnd_) return;
  RECT r = image.Bounds();
  OffsetRect(&r, -horz_.position, -vert_.position);
  InvalidateRect(hwnd_, &r, TRUE);
}

void Form::ShowImage(const std::wstring& name, bool visible) {
  FormImage* image = FindImage(name);
  if (!image || image->Visible() == visible) return;
  image->SetVisible(visible);
  InvalidateImage(*image);
}

void Form::MoveImage(const std::wstring& name, int left, int top) {
  FormImage* image = FindImage(name);
  if (!image) return;
  if (image->Visible()) InvalidateImage(*image);
  image->MoveTo(left, top);
  if (image->Visible()) InvalidateImage(*image);
}

void Form::MarkImage(const std::wstring& name, bool marked) {
  FormImage* image = FindImage(name);
  if (!image || image->Marked() == marked) return;
  image->SetMarked(marked);
  if (image->Visible()) InvalidateImage(*image);
}

void Form::BuildMenus() {
  for (const std::wstring& name : layout_.menus) {
    auto menu = std::make_unique<PopupMenu>();
    menusByName_[name] = menu.get();
    menus_[name] = std::move(menu);
  }
  for (const MenuItemLayout& item : layout_.menuItems) {
    PopupMenu* parent = menusByName_.at(item.parent);
    if (item.name.empty()) {
      parent->AddSeparator();
    } else if (item.subMenu) {
      menusByName_[item.name] = &parent->AddSubMenu(item.caption);
    } else {
      // Bound by name, so a handler may be set (or replaced) at any time.
      parent->Add(item.caption, item.tag, [this, name = item.name](int tag) {
        auto it = menuHandlers_.find(name);
        if (it == menuHandlers_.end() || !it->second) return;
        auto handler = it->second;
        handler(tag);
      });
    }
  }
}

PopupMenu* Form::Menu(const std::wstring& name) const {
  auto it = menusByName_.find(name);
  return it == menusByName_.end() ? nullptr : it->second;
}

void Form::SetMenuHandler(const std::wstring& item, PopupMenu::Handler handler) {
  menuHandlers_[item] = std::move(handler);
}

void Form::ApplyAnchors() {
  if (anchored_.empty() || !hwnd_) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int dw = client.right - designClient_.cx, dh = client.bottom - designClient_.cy;
  for (const Anchored& a : anchored_) {
    RECT r = a.bounds;
    auto follow = [](LONG& nearSide, LONG& farSide, bool nearAnchor, bool farAnchor, int d) {
      if (nearAnchor && farAnchor) {
        farSide += d;  // stretches with the form
      } else if (farAnchor) {
        nearSide += d;  // moves with the far edge
        farSide += d;
      } else if (!nearAnchor) {
        nearSide += d / 2;  // stays centred
        farSide += d / 2;
      }
    };
    follow(r.left, r.right, a.left, a.right, dw);
    follow(r.top, r.bottom, a.top, a.bottom, dh);
    SetWindowPos(a.control, nullptr, r.left - horz_.position, r.top - vert_.position,
                 std::max(0, static_cast<int>(r.right - r.left)),
                 std::max(0, static_cast<int>(r.bottom - r.top)), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Form::SetClickHandler(HWND control, Handler handler) {
  clickHandlers_[control] = std::move(handler);
}

void Form::SetChangeHandler(HWND control, Handler handler) {
  changeHandlers_[control] = std::move(handler);
}

void Form::SetUpDownHandler(HWND control, std::function<void(HWND, int)> handler) {
  upDownHandlers_[control] = std::move(handler);
}

HWND Form::ActiveControl() const {
  if (!hwnd_) return nullptr;
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) return focus;
  if (activeControl_ && IsWindow(activeControl_) && IsChild(hwnd_, activeControl_))
    return activeControl_;
  return nullptr;
}

void Form::KeyDown(WORD key, unsigned shift) {
  if (shift == ssNone) {
    switch (key) {
      case VK_RETURN: {
        HWND focused = ActiveControl();
        if (focused && IsPushButton(focused)) {
          // Only the handler: no click of the button itself, no modal result.
          RunHandler(clickHandlers_, focused);
        } else {
          NavigateFocus(true, true);
        }
        break;
      }
      case VK_TAB:
        NavigateFocus(true, true);
        break;
      case VK_DOWN:
        NavigateFocus(true, false);
        break;
      case VK_UP:
        NavigateFocus(false, false);
        break;
      default:
        break;
    }
  } else if (shift == ssShift && key == VK_TAB) {
    NavigateFocus(false, true);
  }
}

void Form::NavigateFocus(bool forward, bool allControls) {
  ui::NavigateFocus(hwnd_, ActiveControl(), forward, allControls);
}

HWND Form::FindNextInContainer(HWND container, HWND current, bool forward, bool tabStopsOnly,
                               bool directChildrenOnly) const {
  return ui::FindNextInContainer(hwnd_, container, current, forward, tabStopsOnly,
                                 directChildrenOnly);
}

void Form::SetScrollRange(int bar, int range) {
  Bar(bar).range = std::max(0, range);
  UpdateScrollBars();
}

void Form::SetScrollPosition(int bar, int position) {
  if (!hwnd_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  ScrollBarState& s = Bar(bar);
  const int visible = bar == SB_HORZ ? rc.right : rc.bottom;
  const int limit = std::max(0, s.range - visible);
  const int next = std::clamp(position, 0, limit);
  const int delta = next - s.position;
  s.position = next;
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, next, 0};
  SetScrollInfo(hwnd_, bar, &si, TRUE);
  if (delta != 0) {
    ScrollWindowEx(hwnd_, bar == SB_HORZ ? -delta : 0, bar == SB_VERT ? -delta : 0, nullptr,
                   nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  }
}

void Form::UpdateScrollBars() {
  static thread_local bool updating = false;  // showing a bar resizes the client area
  if (!hwnd_ || updating) return;
  updating = true;
  for (int pass = 0; pass < 2; ++pass) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    for (int bar : {SB_HORZ, SB_VERT}) {
      ScrollBarState& s = Bar(bar);
      const int visible = bar == SB_HORZ ? rc.right : rc.bottom;
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, s.range - 1, static_cast<UINT>(visible), 0,
                    0};
      SetScrollInfo(hwnd_, bar, &si, TRUE);
    }
  }
  updating = false;
  for (int bar : {SB_HORZ, SB_VERT}) SetScrollPosition(bar, Bar(bar).position);
}

void Form::MouseWheel(short delta) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  int bar;
  if (rc.bottom < vert_.range)
    bar = SB_VERT;
  else if (rc.right < horz_.range)
    bar = SB_HORZ;
  else
    return;
  const int steps = delta / 120;  // truncates toward zero: a half notch moves nothing
  ScrollBarState& s = Bar(bar);
  SetScrollPosition(bar, std::clamp(s.position - steps * s.increment, 0, s.range));
}

void Form::ScrollMessage(int bar, WORD request) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int page = bar == SB_HORZ ? rc.right : rc.bottom;
  ScrollBarState& s = Bar(bar);
  int pos = s.position;
  switch (request) {
    case SB_LINEUP:
      pos -= s.increment;
      break;
    case SB_LINEDOWN:
      pos += s.increment;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, bar, &si);
      pos = si.nTrackPos;
      break;
    }
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = s.range;
      break;
    default:
      return;
  }
  SetScrollPosition(bar, pos);
}

void Form::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  TCloseAction action = TCloseAction::Hide;
  FormClose(action);
  switch (action) {
    case TCloseAction::Hide:
      ShowWindow(hwnd_, SW_HIDE);
      break;
    case TCloseAction::Free:
      ReleaseLater();
      break;
    case TCloseAction::Minimize:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case TCloseAction::None:
      break;
  }
}

void Form::ReleaseLater() {
  if (hwnd_) PostMessageW(hwnd_, kReleaseMessage, 0, 0);
}

void Form::PaintTo(HDC dc, const RECT& update) {
  FormPaint(dc, update);
  for (const auto& image : images_)
    if (image->Visible()) image->Draw(dc, -horz_.position, -vert_.position);
}

void Form::Paint(HDC printDc) {
  std::exception_ptr failure;
  if (printDc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    try {
      FillRect(printDc, &client, GetSysColorBrush(COLOR_BTNFACE));
      PaintTo(printDc, client);
    } catch (...) {
      failure = std::current_exception();
    }
  } else {
    win32::PaintDc dc(hwnd_);
    try {
      PaintTo(dc.Get(), dc.Update());
    } catch (...) {
      failure = std::current_exception();
    }
  }  // EndPaint has validated the region: the report's own message loop
     // cannot ask for the failing paint again.
  if (!failure) {
    paintFailing_ = false;
  } else if (!paintFailing_) {
    paintFailing_ = true;
    ReportException(hwnd_, failure);
  }
}

void Form::AdoptControls() {
  if (!hwnd_) return;
  std::vector<HWND> all;
  CollectControls(hwnd_, all);
  for (HWND child : all)
    SetWindowSubclass(child, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(hwnd_));
}

LRESULT CALLBACK Form::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR formWindow) {
  HWND formHandle = reinterpret_cast<HWND>(formWindow);
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(formHandle, GWLP_USERDATA));
  switch (message) {
    case WM_KEYDOWN:
      if (form) {
        // Key preview: the window sees the key first; the control still gets it.
        RunGuarded([&] { form->KeyDown(static_cast<WORD>(wParam), CurrentShiftState()); },
                   formHandle);
        if (!IsWindow(control)) return 0;
      }
      break;
    case WM_SETFOCUS:
      if (form) form->activeControl_ = control;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A group box or panel would drop its controls' notifications.
      if (IsContainerControl(control) &&
          ((message != WM_HSCROLL && message != WM_VSCROLL) || lParam))
        return SendMessageW(formHandle, message, wParam, lParam);
      break;
    case WM_SETTEXT:
      if (form && form->autoSizeLabels_.count(control)) {
        LRESULT result = DefSubclassProc(control, message, wParam, lParam);
        FitLabel(control);
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, ControlProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

// Control notifications to their handlers; true when one ran.
bool Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = reinterpret_cast<HWND>(lParam);
  switch (message) {
    case WM_COMMAND:
      if (!control) return false;
      switch (HIWORD(wParam)) {
        case BN_CLICKED:
          return RunHandler(clickHandlers_, control);
        case EN_CHANGE:
        case CBN_SELCHANGE:
          return RunHandler(changeHandlers_, control);
        default:
          return false;
      }
    case WM_HSCROLL:
    case WM_VSCROLL:
      // An up-down tells its new position with SB_THUMBPOSITION.
      if (control && IsUpDown(control) && LOWORD(wParam) == SB_THUMBPOSITION)
        return RunHandler(upDownHandlers_, control,
                          static_cast<int>(SendMessageW(control, UDM_GETPOS32, 0, 0)));
      return false;
    default:
      return false;
  }
}

LRESULT Form::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      KeyDown(static_cast<WORD>(wParam), CurrentShiftState());
      break;
    case WM_MOUSEWHEEL:
      MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam == 0) {  // the window's own bar, not an up-down control
        ScrollMessage(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
      }
      if (Dispatch(message, wParam, lParam)) return 0;
      break;
    case WM_SIZE:
      UpdateScrollBars();
      ApplyAnchors();
      break;
    case WM_PAINT:
      Paint(nullptr);
      return 0;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) {
        AdoptControls();
        if (!ActiveControl()) {
          if (HWND first = FindNextInContainer(hwnd_, nullptr, true, false, false)) SetFocus(first);
        }
        FormShow();
      }
      break;
    case WM_COMMAND:
      if (Dispatch(message, wParam, lParam)) return 0;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case kReleaseMessage:
      DestroyWindow(hwnd_);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  if (!RunGuarded([&] { result = form->WindowProc(message, wParam, lParam); }, window)) result = 0;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    form->alive_.reset();
    std::unique_ptr<Form> owned = std::move(form->self_);  // deletes a self-owned form
  }
  return result;
}

}  // namespace topo::ui
