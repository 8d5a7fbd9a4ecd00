// The AR network that the simulated host pretends to reach: AR nodes with
// their parents and children, AS nodes under them, which instances run,
// startup passwords, and events that change all that as time goes on. ARCom
// answers every request from here, so a scenario file decides what the
// plug-in sees.
//
// Scenario file: UTF-8 text (a byte-order mark is allowed), one statement a
// line, tokens separated by blanks; a line whose first token starts with "#"
// is a comment. Names may not contain blanks, ",", ";" or ".".
//   ar NAME [parent=P1,P2] [up=0,1] [password=PW]   an AR node; up lists its
//                                                    running instances (0-9)
//   as NAME ar=AR [up=...] [password=PW]             an AS node under AR; AS
//                                                    names are unique network-wide
//   admin AR AS          the administrative server named in the login data
//                        (default: the first AS of the first AR that has one)
//   at SECONDS die ar|as NAME N      instance N stops running
//   at SECONDS start ar|as NAME N    instance N starts running
//   at SECONDS break PARENT CHILD    the child no longer reports its parent
//   at SECONDS mend PARENT CHILD     ... and reports it again
//   at SECONDS appear ar|as NAME     the node, declared as usual, is unknown
//                                    to the network until then
//   at SECONDS unreachable           every request fails from then on
//   at SECONDS reachable             requests are answered again
// Seconds count from the moment the host shows the plug-in window. Names may
// be used before the line that declares them.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Packet.h"

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

using Instances = std::array<bool, 10>;

struct AsNode {
  std::wstring name;
  Instances up{};
  std::wstring password;
  bool present = true;  // false until its appear event
};

struct ArNode {
  std::wstring name;
  std::vector<std::wstring> parents;
  Instances up{};
  std::wstring password;
  std::vector<AsNode> servers;
  bool present = true;  // false until its appear event
};

struct ScenarioEvent {
  enum Kind { kDie, kStart, kBreak, kMend, kUnreachable, kReachable, kAppear };
  double at = 0;
  Kind kind = kDie;
  bool server = false;  // die/start/appear: an AS node rather than an AR node
  std::wstring name;    // die/start/appear: the node; break/mend: the parent
  std::wstring child;   // break/mend
  int instance = 0;
  int line = 0;
};

class ScenarioError : public std::runtime_error {
 public:
  ScenarioError(int line, const std::string& message);
  int Line() const { return line_; }

 private:
  int line_;
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
