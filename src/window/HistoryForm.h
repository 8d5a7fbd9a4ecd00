// THistoryForm: the modeless event history (事件记录) of one topology window.
// It lists the window's history newest first, filtered by a part of a node's
// name, by event kind, or to the events of the selected box. It reads the
// history it is given and is refilled only when events arrive or a filter
// changes, so an open history costs a refresh nothing when nothing happened.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/History.h"
#include "ui/Form.h"
#include "ui/StringGrid.h"

namespace topo::window {

// The box a history shows the events of: server empty for an AR box, both
// empty when there is none.
struct TBoxName {
  std::string ARNode, Server;
};

class THistoryForm : public ui::Form {
 public:
  // From the THISTORYFORM layout and the strings of resourceSource. The
  // history and the selection outlive the form.
  THistoryForm(HMODULE resourceSource, const THistory& history,
               std::function<TBoxName()> selection);

  // Fills the list again when the history has new events, or always.
  void Update(bool always = false);
  // The selected box changed: refilled when only its events are shown.
  void SelectionChanged();
  ui::StringGrid& Grid() const;
  // The text the details column shows for an event.
  std::wstring Details(const THistoryEvent& event) const;

 protected:
  void FormShow() override;

 private:
  bool Passes(const THistoryEvent& event, const std::string& part, int kind,
              const TBoxName* box) const;

  const std::wstring& Label(UINT id) const;

  const THistory& history_;
  std::function<TBoxName()> selection_;
  std::vector<std::wstring> labels_;  // the detail labels, kStrStarted on
  HWND edNode_, cmbKind_, cbSelected_, sgEvents_;
  uint64_t shown_ = UINT64_MAX;  // History().Added() when last filled
  std::wstring kindNames_[kEventKindCount];
};

}  // namespace topo::window
