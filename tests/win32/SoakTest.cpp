// The short soak: 200 ticks of refresh, paint and the odd drag against a
// network that flaps on every tick, with the event history open. After the
// first 50 the process holds as many GDI and USER objects as at the end, its
// memory has stopped growing (the history's bound holds), and no box
// interrupts the operator.
#include <gtest/gtest.h>

#include <cstdio>

#include "Soak.h"

namespace {

TEST(Soak, TwoHundredFlappingTicksLeaveHandlesAndMemoryWhereTheyWere) {
  const topo::soak::Figures f = topo::soak::Run(200, 50);
  std::printf("soak: %d ticks, GDI %ld -> %ld, USER %ld -> %ld, private bytes %zu -> %zu\n",
              f.ticks, f.gdiAtWarmUp, f.gdiAtEnd, f.userAtWarmUp, f.userAtEnd, f.privateAtWarmUp,
              f.privateAtEnd);
  ASSERT_GT(f.gdiAtWarmUp, 0) << "the GDI walk sees no objects";
  ASSERT_GT(f.userAtWarmUp, 0) << "the USER count sees no objects";
  EXPECT_EQ(f.gdiAtWarmUp, f.gdiAtEnd);
  EXPECT_EQ(f.userAtWarmUp, f.userAtEnd);
  EXPECT_LT(f.MemoryGrowth(), 0.01);
  EXPECT_EQ(0, f.boxes);
  EXPECT_EQ(40, f.unreachableTicks);
  EXPECT_EQ(20, f.drags);
  EXPECT_EQ(12, f.nodes);
}

}  // namespace
