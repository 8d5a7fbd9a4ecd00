// The module state's bookkeeping with a counting loader: the resource file
// is loaded on the step from 0 to 1 only and released exactly once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/EntryPoints.h"

namespace topo::test {
namespace {

class ModuleStateTest : public testing::Test {
 protected:
  void SetUp() override {
    state_.SetLoader({[this](const char* path) -> HMODULE {
                        loads_.push_back(path ? path : "(null)");
                        if (!path || std::string(path).find("bad") != std::string::npos)
                          return nullptr;
                        return reinterpret_cast<HMODULE>(
                            static_cast<INT_PTR>(0x1000 * loads_.size()));
                      },
                      [this](HMODULE m) { releases_.push_back(m); }});
  }
  plugin::TModuleState state_;
  std::vector<std::string> loads_;
  std::vector<HMODULE> releases_;
};

TEST_F(ModuleStateTest, OnlyTheFirstInitLoadsAndTheLastUninitReleases) {
  state_.Init("first.dll");
  state_.Init("second.dll");
  EXPECT_EQ(loads_, std::vector<std::string>{"first.dll"});
  EXPECT_EQ(state_.InitCount(), 2);
  HMODULE loaded = state_.ResourceModule();
  EXPECT_EQ(state_.ResourceSource(), loaded) << "lookups are not redirected";
  state_.Uninit();
  EXPECT_TRUE(releases_.empty()) << "released while still initialised";
  state_.Uninit();
  EXPECT_EQ(releases_, std::vector<HMODULE>{loaded});
  EXPECT_EQ(state_.ResourceModule(), nullptr);
  EXPECT_EQ(state_.ResourceSource(), state_.Self());
}

TEST_F(ModuleStateTest, UnbalancedUninitNeverGoesNegativeOrReleasesTwice) {
  state_.Uninit();
  EXPECT_EQ(state_.InitCount(), 0);
  state_.Init("first.dll");
  state_.Uninit();
  state_.Uninit();
  state_.Uninit();
  EXPECT_EQ(state_.InitCount(), 0);
  EXPECT_EQ(releases_.size(), 1u);
  state_.Init("again.dll");
  EXPECT_EQ(loads_.size(), 2u) << "the load after unbalanced calls did not happen";
  state_.Uninit();
}

TEST_F(ModuleStateTest, AFailedLoadCountsAndIsRetriedOnlyAfterUninit) {
  state_.Init("bad.dll");
  EXPECT_EQ(state_.InitCount(), 1);
  EXPECT_EQ(state_.ResourceSource(), state_.Self());
  state_.Init("good.dll");
  EXPECT_EQ(loads_.size(), 1u) << "retried while still initialised";
  state_.Uninit();
  state_.Uninit();
  EXPECT_TRUE(releases_.empty());
  state_.Init("good.dll");
  EXPECT_EQ(loads_.back(), "good.dll");
  EXPECT_NE(state_.ResourceModule(), nullptr);
  state_.Uninit();
  EXPECT_EQ(releases_.size(), 1u);
}

TEST(DevInfoTest, NullPointersAreSkipped) {
  int info2 = 0;
  plugin::GetDevInfo(nullptr, nullptr, &info2);
  EXPECT_EQ(info2, 393234);
}

}  // namespace
}  // namespace topo::test
