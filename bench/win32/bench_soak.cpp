// The long soak: 2,000 ticks of refresh, paint and the odd drag against a
// network that flaps on every tick, counted after 200 ticks of warm-up and at
// the end. Goals: no GDI or USER object more at the end, and private bytes
// grown by less than 1%.
#include <cstdio>

#include "Soak.h"

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const topo::soak::Figures f = topo::soak::Run(2000, 200);
  std::printf(
      "bench_soak: %d ticks (%d unreachable, %d drags, %d nodes), GDI %ld -> %ld, USER %ld -> %ld, "
      "private bytes %zu -> %zu, %d message boxes\n",
      f.ticks, f.unreachableTicks, f.drags, f.nodes, f.gdiAtWarmUp, f.gdiAtEnd, f.userAtWarmUp,
      f.userAtEnd, f.privateAtWarmUp, f.privateAtEnd, f.boxes);
  if (f.gdiAtWarmUp < 0 || f.userAtWarmUp < 0) std::printf("bench_soak: a handle walk failed\n");
  std::printf("ratio soak_handle_growth %ld 0\n", f.HandleGrowth());
  std::printf("ratio soak_memory_growth %.5f 0.01\n", f.MemoryGrowth());
  return f.boxes == 0 ? 0 : 1;
}
