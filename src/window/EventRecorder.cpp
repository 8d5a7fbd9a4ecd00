// The refresh's events into memory and the day's file.
#include "window/EventRecorder.h"

#include <windows.h>

#include <exception>
#include <utility>

namespace topo::window {

TLocalTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

EventRecorder::EventRecorder(AppendStore& store, const TextCodec& codec, std::string folder,
                             size_t capacity)
    : history_(capacity), file_(store, codec, std::move(folder)) {}

void EventRecorder::LoadDay(const TLocalTime& now) {
  try {
    for (THistoryEvent& e : file_.Load(now)) history_.Add(std::move(e));
  } catch (const std::exception& error) {
    THistoryEvent note;
    note.Time = now;
    note.Kind = TEventKind::FileFailed;
    note.Text = error.what();
    history_.Add(std::move(note));
  }
}

void EventRecorder::Refreshed(const TARNodeList& model, bool ok, const TLocalTime& now) {
  events_.clear();
  if (ok) {
    tracker_.RefreshSucceeded(now, events_);
    tracker_.Compare(model, now, events_);
  } else {
    tracker_.RefreshFailed(now, events_);
  }
  Commit();
}

void EventRecorder::Record(THistoryEvent event) {
  events_.clear();
  events_.push_back(std::move(event));
  Commit();
}

void EventRecorder::Commit() {
  for (const THistoryEvent& e : events_) file_.Add(e);
  for (THistoryEvent& e : events_) history_.Add(std::move(e));
  for (THistoryEvent& note : file_.Flush()) history_.Add(std::move(note));
  events_.clear();
}

}  // namespace topo::window
