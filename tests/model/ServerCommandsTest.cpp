// The node menu's instance entries, the administrative address and the
// password prompt, from the selected box's status.
#include <gtest/gtest.h>

#include "model/Nodes.h"
#include "model/ServerCommands.h"

namespace topo {
namespace {

using Numbers = std::vector<int32_t>;

TEST(ServerCommandsTest, MenusOfferStoppedAndRunningInstancesOfTheSelectedBox) {
  const struct {
    const char* what;
    bool server;  // select the AS box rather than the AR box
    int32_t count;
    TActiveFlags flags;
    Numbers running;
  } cases[] = {
      {"two of three flags counted", false, 2, {1, 0, 1}, {0, 2}},
      {"a node marked down offers nothing to stop", false, 0, {1, 1}, {}},
      {"a count beyond the flags", true, 5, {0, 1, 0, 0, 0, 0, 0, 0, 0, 1}, {1, 9}},
      {"a count beyond every instance",
       true,
       INT32_MAX,
       {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"the count, not the flags, limits", true, 1, {0, 0, 1, 1}, {2}},
  };
  for (const auto& c : cases) {
    TARNodeList list;
    const TActiveFlags other{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    list.AddOrUpdateAR("ar", c.server ? 10 : c.count, c.server ? other : c.flags, 0);
    list.AddOrUpdateSubAS(0, "as", c.server ? c.count : 10, c.server ? c.flags : other, 0);
    if (c.server) list.ZOrder.BringToFront(1);
    ASSERT_EQ(list.SelectedIsAS(), c.server ? 1 : 0) << c.what;
    EXPECT_EQ(RunningInstances(list), c.running) << c.what;
    Numbers stopped;
    for (int32_t n = 0; n < kInstanceCount; ++n)
      if (std::find(c.running.begin(), c.running.end(), n) == c.running.end()) stopped.push_back(n);
    EXPECT_EQ(StoppedInstances(list), stopped) << c.what;
  }
}

TEST(ServerCommandsTest, AddressAndPromptTakeNamesAsTheyAre) {
  EXPECT_EQ(AdminAddress("R0", "ADM"), "R0.ADM.0");
  EXPECT_EQ(AdminAddress("", ""), "..0");
  const std::string chinese = "\xD6\xD0\xD0\xC4";
  EXPECT_EQ(AdminAddress(chinese, "a.b"), chinese + ".a.b.0");

  const struct {
    std::string format, name, prompt;
  } cases[] = {
      {"enter the password of %s:", "quote", "enter the password of quote:"},
      {"%s and %s", "a", "a and %s"},        // one name only
      {"for %s", "100%s%d", "for 100%s%d"},  // a name is not a format
      {"no place for it", "x", "no place for it"},
      {"%", "x", "%"},
      {std::string("\xC7\xEB%s", 4), chinese, "\xC7\xEB" + chinese},
  };
  for (const auto& c : cases) EXPECT_EQ(StartupPrompt(c.format, c.name), c.prompt) << c.format;
}

}  // namespace
}  // namespace topo
