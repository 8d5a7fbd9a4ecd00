// Which alarm condition the operator has acknowledged, and whether a tick
// sounds. An acknowledgement silences one condition, not the alarm: the error
// picture sounds again once the network has answered and then fails again,
// the warning once a link goes down that was not down when it was
// acknowledged. With nothing acknowledged and mute off every tick sounds as it
// always did, so the acknowledgement can never hide a new outage.
#pragma once

#include <cstdint>
#include <vector>

namespace topo {

class TARNodeList;

// Links named by a 64-bit key of their two ends' names, sorted: the set of
// down links is compared every tick, so it holds no strings.
using TLinkSet = std::vector<uint64_t>;

// The links the diagram draws dotted: a child AR node's link to a parent when
// either is down or the parent does not answer it, a server's link to its AR
// node when either is down.
TLinkSet DownLinks(const TARNodeList& model);

struct TAlarmTick {
  bool Acknowledged = false;  // the picture shows the acknowledged mark
  bool Sound = false;
};

class TAlarmAcknowledgement {
 public:
  // One refresh's outcome; failed: the error picture shows. A refresh that
  // succeeds ends the acknowledged outage.
  TAlarmTick ErrorTick(bool failed);
  // A tick that shows the warning picture over these down links; empty: the
  // warning is gone, and with it its acknowledgement.
  TAlarmTick WarningTick(const TLinkSet& down);
  void AcknowledgeError() { errorAcknowledged_ = true; }
  void AcknowledgeWarning(TLinkSet down);
  bool ErrorAcknowledged() const { return errorAcknowledged_; }
  bool WarningAcknowledged() const { return warningAcknowledged_; }

  // Silences every sound; the pictures still show.
  bool Muted = false;

 private:
  bool errorAcknowledged_ = false;
  bool warningAcknowledged_ = false;
  TLinkSet acknowledgedDown_;
};

}  // namespace topo
