// The soak: the topology window against the simulated host's real ARCom on a
// network that changes on every tick, refreshed, painted and now and then
// dragged, with its event history open, tick after tick, while the process's
// GDI and USER objects and its private bytes are counted. Shared by the short
// run in the Wine tests and the long one among the benchmarks.
#pragma once

#include <cstddef>
#include <string>

namespace topo::soak {

// Objects of this process, counted by walking the handle tables one handle
// at a time; -1 when the walk cannot see objects made for the purpose.
long CountGdiObjects();
// Windows of this thread (child and message-only ones included) and menus.
long CountUserObjects();
// PrivateUsage, or where that answers 0 the committed private pages.
size_t PrivateBytes();

// A network of AR and AS nodes in which instances stop and start and links
// break and mend on every tick (tick n at second n), and which cannot be
// reached on every fifth tick.
std::string FlappingScenario(int ticks);

struct Figures {
  int ticks = 0;
  int unreachableTicks = 0;
  int drags = 0;
  int boxes = 0;  // message boxes that appeared (and were closed)
  long gdiAtWarmUp = 0, gdiAtEnd = 0;
  long userAtWarmUp = 0, userAtEnd = 0;
  size_t privateAtWarmUp = 0, privateAtEnd = 0;
  int nodes = 0;  // AR nodes in the model at the end

  long HandleGrowth() const { return gdiAtEnd - gdiAtWarmUp + userAtEnd - userAtWarmUp; }
  double MemoryGrowth() const {
    return privateAtWarmUp ? (static_cast<double>(privateAtEnd) - privateAtWarmUp) / privateAtWarmUp
                           : 1.0;
  }
};

// Needs the plug-in's resources linked in. Counts handles after warmUp ticks
// and at the end, private bytes as the lowest reading of the 20 ticks after
// warmUp and of the last 20.
Figures Run(int ticks, int warmUp);

}  // namespace topo::soak
