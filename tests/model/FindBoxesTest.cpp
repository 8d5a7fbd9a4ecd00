// Finding boxes by name: code page 936 characters are never split or folded,
// and the walk through the matches follows reading order and wraps.
#include <gtest/gtest.h>

#include "model/FindBoxes.h"

namespace topo {
namespace {

// 华东AR and 管理服务 in code page 936; 乤 is 81 61, a pair whose second byte
// is the letter 'a', and 丄 (81 41) differs from it only in that byte's case.
constexpr char kEastAR[] =
    "\xBB\xAA\xB6\xAB"
    "AR";
constexpr char kAdmin[] = "\xB9\xDC\xC0\xED\xB7\xFE\xCE\xF1";
constexpr char kTrailA[] = "\x81\x61";
constexpr char kTrailCapitalA[] = "\x81\x41";

TEST(NameContainsTest, MatchesByCharacter) {
  const struct {
    const char* name;
    const char* needle;
    bool found;
  } cases[] = {
      {"quote-svr", "QUOTE", true},
      {"sh-branch", "H-B", true},
      {kEastAR, "\xBB\xAA\xB6\xAB", true},  // 华东
      {kEastAR, "ar", true},                // Latin after Chinese, any case
      {kEastAR, "\xAA\xB6", false},         // the middle bytes of two characters
      {kAdmin, "\xB7\xFE\xCE\xF1", true},   // 服务 at the end
      {"x"
       "\x81\x61"
       "y",
       "a", false},  // 'a' is half of a character
      {kTrailA, "A", false},
      {kTrailA, kTrailCapitalA, false},  // a pair is compared, not folded
      {kTrailA, kTrailA, true},
      {"abc", "", false},
      {"ab", "abc", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NameContains(c.name, c.needle), c.found) << c.name << " / " << c.needle;
}

TEST(FindBoxTest, WalksMatchesInReadingOrderAndWraps) {
  TARNodeList list;
  // Reading order of the matches: quote-b (top), 华东AR, quote-a (bottom right).
  list.AddOrUpdateAR(kEastAR, 1, {}, 0);
  list.AddOrUpdateSubAS(0, "quote-a", 1, {}, 0);
  list.AddOrUpdateSubAS(0, "trade", 1, {}, 0);
  list.AddOrUpdateAR("quote-b", 1, {}, 0);
  list.Items(0).Rect = {0, 100, 100, 117};
  list.Items(0).SubASs.Items(0).Rect = {300, 200, 400, 217};
  list.Items(0).SubASs.Items(1).Rect = {0, 200, 100, 217};
  list.Items(1).Rect = {500, 0, 600, 17};
  const ZOrderEntry quoteA{0, 0}, trade{0, 1}, quoteB{1, -1}, east{0, -1};

  const struct {
    const char* needle;
    std::optional<ZOrderEntry> from;
    TFindStep step;
    std::optional<ZOrderEntry> expected;
    int32_t number;
  } cases[] = {
      {"QUOTE", std::nullopt, TFindStep::Here, quoteB, 1},
      {"quote", quoteB, TFindStep::Here, quoteB, 1},  // typing on keeps the match
      {"quote", quoteB, TFindStep::Next, quoteA, 2},
      {"quote", quoteA, TFindStep::Next, quoteB, 1},  // wraps to the top
      {"quote", quoteB, TFindStep::Previous, quoteA, 2},
      {"quote", trade, TFindStep::Next, quoteA, 2},  // from a box that does not match
      {"quote", trade, TFindStep::Previous, quoteB, 1},
      {"ar", quoteB, TFindStep::Next, east, 1},
      {"r", east, TFindStep::Next, trade, 2},
      {"nothing", std::nullopt, TFindStep::Here, std::nullopt, 0},
  };
  for (const auto& c : cases) {
    const std::optional<TFindResult> got = FindBox(list, c.needle, c.from, c.step);
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.needle;
    if (!got) continue;
    EXPECT_EQ(got->Box, *c.expected) << c.needle << " step " << static_cast<int>(c.step);
    EXPECT_EQ(got->Number, c.number) << c.needle;
  }
  EXPECT_EQ(FindBox(list, "quote", std::nullopt, TFindStep::Here)->Total, 2);
  EXPECT_EQ(FindBox(list, "E", std::nullopt, TFindStep::Here)->Total, 3);
}

}  // namespace
}  // namespace topo
