// The history window's list and filters.
#include "window/HistoryForm.h"

#include <stdexcept>
#include <utility>

#include "bridge/ResourceLookup.h"
#include "win32/Cp936.h"

namespace topo::window {

namespace {

constexpr int kColumnWidths[] = {130, 90, 130, 400};

bool IsLink(TEventKind kind) {
  return kind == TEventKind::LinkBroken || kind == TEventKind::LinkMended;
}

bool IsCommand(TEventKind kind) {
  return kind == TEventKind::StartSent || kind == TEventKind::StopSent ||
         kind == TEventKind::RestartSent;
}

}  // namespace

THistoryForm::THistoryForm(HMODULE resourceSource, const THistory& history,
                           std::function<TBoxName()> selection)
    : Form(bridge::LoadFormLayout(resourceSource, bridge::kHistoryFormLayout), resourceSource),
      history_(history),
      selection_(std::move(selection)),
      edNode_(Control(L"edNode")),
      cmbKind_(Control(L"cmbKind")),
      cbSelected_(Control(L"cbSelected")),
      sgEvents_(Control(L"sgEvents")) {
  if (!edNode_ || !cmbKind_ || !cbSelected_ || !ui::StringGrid::From(sgEvents_))
    throw std::runtime_error("the history window's layout lacks one of its controls");
  const auto text = [resourceSource](UINT id) {
    return bridge::LoadPluginString(resourceSource, id);
  };
  for (UINT id = bridge::kStrStarted; id <= bridge::kStrAccepted; ++id) labels_.push_back(text(id));
  SendMessageW(cmbKind_, CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(text(bridge::kStrAllKinds).c_str()));
  for (int k = 0; k < kEventKindCount; ++k) {
    kindNames_[k] = text(bridge::kStrEventKinds + static_cast<UINT>(k));
    SendMessageW(cmbKind_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kindNames_[k].c_str()));
  }
  SendMessageW(cmbKind_, CB_SETCURSEL, 0, 0);
  ui::StringGrid& grid = Grid();
  grid.SetColCount(4);
  for (int c = 0; c < 4; ++c) {
    grid.SetColWidth(c, kColumnWidths[c]);
    grid.SetCell(c, 0, text(bridge::kStrColumnTime + static_cast<UINT>(c)));
  }
  const auto refill = [this](HWND) { Update(true); };
  SetChangeHandler(edNode_, refill);
  SetChangeHandler(cmbKind_, refill);
  SetClickHandler(cbSelected_, refill);
}

ui::StringGrid& THistoryForm::Grid() const { return *ui::StringGrid::From(sgEvents_); }

void THistoryForm::FormShow() { Update(true); }

void THistoryForm::SelectionChanged() {
  if (SendMessageW(cbSelected_, BM_GETCHECK, 0, 0) == BST_CHECKED && IsWindowVisible(Handle()))
    Update(true);
}

const std::wstring& THistoryForm::Label(UINT id) const { return labels_[id - bridge::kStrStarted]; }

std::wstring THistoryForm::Details(const THistoryEvent& e) const {
  std::wstring text;
  const auto add = [&](UINT label, const std::wstring& value) {
    if (!text.empty()) text += L"; ";
    text += Label(label) + value;
  };
  const auto wide = [](const std::string& cp936) { return win32::WideFromCp936(cp936); };
  if (e.IsAS) add(bridge::kStrARNode, wide(e.ARNode));
  if (IsLink(e.Kind)) add(bridge::kStrUpperAR, wide(e.ARNode));
  if (e.Started) add(bridge::kStrStarted, wide(InstanceList(e.Started)));
  if (e.Stopped) add(bridge::kStrStopped, wide(InstanceList(e.Stopped)));
  if (e.Instance >= 0) add(bridge::kStrInstance, std::to_wstring(e.Instance));
  if (IsCommand(e.Kind)) {
    add(bridge::kStrAnswer, e.Text.empty() ? Label(bridge::kStrAccepted) : wide(e.Text));
  } else if (e.Kind == TEventKind::RefreshRecovered) {
    add(bridge::kStrFailures, wide(e.Text));
  } else if (!e.Text.empty()) {
    if (!text.empty()) text += L"; ";
    text += wide(e.Text);
  }
  if (!e.Actor.empty()) add(bridge::kStrActor, wide(e.Actor));
  return text;
}

bool THistoryForm::Passes(const THistoryEvent& e, const std::string& part, int kind,
                          const TBoxName* box) const {
  if (kind >= 0 && static_cast<int>(e.Kind) != kind) return false;
  if (!part.empty() && e.Node.find(part) == std::string::npos &&
      e.ARNode.find(part) == std::string::npos)
    return false;
  if (!box) return true;
  if (!box->Server.empty()) return e.IsAS && e.Node == box->Server && e.ARNode == box->ARNode;
  // An AR box's own events, and those of its links to the nodes above it or below.
  if (e.IsAS || e.Node.empty()) return false;
  return e.Node == box->ARNode || (IsLink(e.Kind) && e.ARNode == box->ARNode);
}

void THistoryForm::Update(bool always) {
  if (!Handle() || (!always && shown_ == history_.Added())) return;
  if (!always && !IsWindowVisible(Handle())) return;  // filled when shown
  shown_ = history_.Added();
  const std::string part = win32::Cp936FromWide(ui::WindowText(edNode_));
  const int kind = static_cast<int>(SendMessageW(cmbKind_, CB_GETCURSEL, 0, 0)) - 1;
  const bool onlySelected = SendMessageW(cbSelected_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  TBoxName box;
  if (onlySelected && selection_) box = selection_();

  std::vector<const THistoryEvent*> rows;
  for (size_t i = history_.Count(); i-- > 0;) {
    const THistoryEvent& e = history_.At(i);
    if (Passes(e, part, kind, onlySelected ? &box : nullptr)) rows.push_back(&e);
  }
  ui::StringGrid& grid = Grid();
  // One empty row stays below the header when nothing passes.
  grid.SetRowCount(static_cast<int>(rows.size()) + 1 + (rows.empty() ? 1 : 0));
  for (int c = 0; rows.empty() && c < 4; ++c) grid.SetCell(c, 1, L"");
  for (size_t r = 0; r < rows.size(); ++r) {
    const THistoryEvent& e = *rows[r];
    const int row = static_cast<int>(r) + 1;
    grid.SetCell(0, row, win32::WideFromCp936(FormatTime(e.Time)));
    grid.SetCell(1, row, kindNames_[static_cast<int>(e.Kind)]);
    grid.SetCell(2, row, win32::WideFromCp936(e.Node));
    grid.SetCell(3, row, Details(e));
  }
}

}  // namespace topo::window
