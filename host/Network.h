// The AR network that the simulated host pretends to reach, as it stands at
// the current second of its scenario (Scenario.h): which nodes are known,
// which instances run, which links report. ARCom answers every request from
// here, so a scenario file decides what the plug-in sees. The status tables
// are answered in StatusAnswers.cpp, the events applied in TimedEvents.cpp.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/Packet.h"
#include "host/Scenario.h"

namespace arhost {

inline constexpr int32_t kFnTopology = 26115;
inline constexpr int32_t kFnStop = 51210;
inline constexpr int32_t kFnStart = 51211;
inline constexpr int32_t kFnRestart = 51212;
inline constexpr int32_t kAddressInstance = 129;  // "AR.n"
inline constexpr int32_t kAddressServer = 131;    // "AR.AS.n"

// What GetErrorNo reports for an exchange that did not reach its target.
enum ErrorNo : int32_t {
  kErrNone = 0,
  kErrUnreachable = 1,
  kErrBadPacket = 2,
  kErrNoTarget = 3,
  kErrTargetDown = 4,
  kErrUnknownFunction = 5,
  kErrBadAddress = 6,
};

// The answer to a start, stop or restart request.
struct ControlReply {
  int32_t code = 0;
  std::wstring errorInfo;
};

class Network {
 public:
  // Throws ScenarioError naming the first faulty line.
  static Network Parse(const std::string& utf8);

  // Applies, in time order, every event due at or before `seconds`.
  void AdvanceTo(double seconds);
  double Now() const { return now_; }
  bool Reachable() const { return reachable_; }
  const std::wstring& AdminAR() const { return adminAr_; }
  const std::wstring& AdminAS() const { return adminAs_; }
  const std::vector<ArNode>& Nodes() const { return nodes_; }
  // Changes whenever an event or a command may have changed what a report shows.
  uint64_t Version() const { return version_; }

  // One row per AR node: "ar", "ar_active", "parent_ar", "sub_ar", "sub_as", "as_active".
  Packet TopologyReport() const;
  // Start, stop or restart, sent to the administrative server at `address`.
  ControlReply Control(int32_t function, const std::vector<Value>& values, int32_t addressKind,
                       const std::wstring& address);
  static bool IsStatusFunction(int32_t function);
  // A management status table from the instance at `address`; *errorNo is
  // non-zero (and the answer a message) when the target cannot answer.
  Packet Status(int32_t function, int32_t addressKind, const std::wstring& address,
                int32_t* errorNo) const;

 private:
  ArNode* FindAR(const std::wstring& name);
  const ArNode* FindAR(const std::wstring& name) const;
  AsNode* FindAS(const std::wstring& name, ArNode** holder = nullptr);
  // The running-instance flags named by a destination, or null.
  const Instances* Target(int32_t addressKind, const std::wstring& address, int* instance,
                          const ArNode** ar, const AsNode** as) const;
  std::vector<std::wstring> Children(const std::wstring& name) const;
  bool Reports(const ArNode& child, const std::wstring& parent) const;
  void Apply(const ScenarioEvent& e);

  std::vector<ArNode> nodes_;
  std::vector<ScenarioEvent> events_;  // sorted by time, file order among equals
  size_t nextEvent_ = 0;
  std::set<std::pair<std::wstring, std::wstring>> broken_;  // (parent, child)
  std::wstring adminAr_, adminAs_;
  bool reachable_ = true;
  double now_ = 0;
  uint64_t version_ = 0;
};

}  // namespace arhost
