// The scenario's timed events, applied in time order as the host's clock
// passes them. Each one may change what a report shows, so each bumps the
// network's version.
#include "host/Network.h"

namespace arhost {

void Network::Apply(const ScenarioEvent& e) {
  ++version_;
  switch (e.kind) {
    case ScenarioEvent::kDie:
    case ScenarioEvent::kStart: {
      Instances* up = nullptr;
      if (e.server) {
        if (AsNode* s = FindAS(e.name)) up = &s->up;
      } else if (ArNode* a = FindAR(e.name)) {
        up = &a->up;
      }
      if (up) (*up)[static_cast<size_t>(e.instance)] = e.kind == ScenarioEvent::kStart;
      break;
    }
    case ScenarioEvent::kBreak:
      broken_.insert({e.name, e.child});
      break;
    case ScenarioEvent::kMend:
      broken_.erase({e.name, e.child});
      break;
    case ScenarioEvent::kUnreachable:
      reachable_ = false;
      break;
    case ScenarioEvent::kReachable:
      reachable_ = true;
      break;
    case ScenarioEvent::kAppear:
      if (e.server) {
        if (AsNode* s = FindAS(e.name)) s->present = true;
      } else if (ArNode* a = FindAR(e.name)) {
        a->present = true;
      }
      break;
  }
}

void Network::AdvanceTo(double seconds) {
  if (seconds > now_) now_ = seconds;
  while (nextEvent_ < events_.size() && events_[nextEvent_].at <= now_)
    Apply(events_[nextEvent_++]);
}

}  // namespace arhost
