// What the topology window records of each refresh and command: the events
// of the comparison added to the history in memory and queued for the day's
// file, which is written once per refresh. Kept apart from the window so the
// refresh benchmark measures the same work the window does.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/AppendStore.h"
#include "model/History.h"
#include "model/HistoryFile.h"
#include "model/Nodes.h"

namespace topo::window {

// Now, by the local clock.
TLocalTime LocalNow();

class EventRecorder {
 public:
  // folder: the personal data folder, ending in a separator (code page 936).
  EventRecorder(AppendStore& store, const TextCodec& codec, std::string folder,
                size_t capacity = 5000);

  // Today's earlier events, from the day's file (a file that cannot be read
  // is recorded as such and the history starts empty).
  void LoadDay(const TLocalTime& now);
  // One refresh: ok when its answer was merged into model.
  void Refreshed(const TARNodeList& model, bool ok, const TLocalTime& now);
  // An operator's action: a command, a baseline save, a removal.
  void Record(THistoryEvent event);

  const THistory& History() const { return history_; }
  void SetCapacity(size_t capacity) { history_.SetCapacity(capacity); }

 private:
  void Commit();

  THistoryTracker tracker_;
  THistory history_;
  THistoryFile file_;
  std::vector<THistoryEvent> events_;  // of the refresh at hand, kept for its capacity
};

}  // namespace topo::window
