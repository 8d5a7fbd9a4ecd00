// What a scenario file declares: the AR and AS nodes of the simulated network,
// which instances run, startup passwords, and events that change all that as
// time goes on. Network::Parse reads one (ScenarioParser.cpp).
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
#include <stdexcept>
#include <string>
#include <vector>

namespace arhost {

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

}  // namespace arhost
