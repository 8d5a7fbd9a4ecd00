// One refresh against the simulated host's real ARCom, packer and unpacker,
// with the network's clock in the test's hand: what the model holds after
// each refresh as the network changes, and what a refused refresh leaves.
#include <gtest/gtest.h>
#include <windows.h>

#include "FakeExchange.h"
#include "host/ARCom.h"
#include "host/Packer.h"
#include "host/Unpacker.h"
#include "window/StatusRefresh.h"

namespace {

using topo::win32::ComPtr;

constexpr char kNetwork[] =
    "ar R0 up=0\n"
    "ar R1 parent=R0 up=0,1\n"
    "as S1 ar=R1 up=0\n"
    "at 2 die as S1 0\n"
    "at 3 break R0 R1\n"
    "at 4 unreachable\n"
    "at 5 reachable\n"
    "at 5 die ar R1 1\n";

struct ArhostServices : topo::window::RefreshServices {
  ArhostServices()
      : arCom(new arhost::ARCom(
            arhost::Network::Parse(kNetwork), [this] { return now; }, L"")),
        packer(arhost::CreatePacker()),
        unpacker(arhost::CreateUnpacker()) {}
  topo::host::IARCom* ARCom() override { return arCom.Get(); }
  topo::host::IPackerDisp* Packer() override { return packer.Get(); }
  topo::host::IUnpackerDisp* Unpacker() override { return unpacker.Get(); }
  double now = 0;
  ComPtr<arhost::ARCom> arCom;
  ComPtr<topo::host::IPackerDisp> packer;
  ComPtr<topo::host::IUnpackerDisp> unpacker;
};

TEST(StatusRefresh, FollowsTheNetworkAndLeavesTheModelAloneWhenRefused) {
  // An assertion that ends the test early still leaves the apartment.
  topo::test::ComApartment apartment;
  {
    ArhostServices host;
    topo::TARNodeList model;
    const topo::TRect canvas{0, 0, 800, 600};
    struct Step {
      double at;
      bool answered;
      int r1Active;       // running instances of R1
      int s1Active;       // of S1 under R1
      int r1ParentLinks;  // links R1 reports to its parent
    } steps[] = {
        {0, true, 2, 1, 1},
        {2, true, 2, 0, 1},  // the report changes between two requests
        {3, true, 2, 0, 0},
        {4, false, 2, 0, 0},  // unreachable: an error number, the model as it was
        {5, true, 1, 0, 0},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.at);
      host.now = s.at;
      EXPECT_EQ(s.answered, topo::window::RequestAndMerge(host, model, canvas));
      ASSERT_EQ(2, model.Count());
      const topo::TARNode& r1 = model.Items(model.IndexOf("R1"));
      EXPECT_EQ(s.r1Active, r1.ActiveCount);
      ASSERT_EQ(1, r1.SubASs.Count());
      EXPECT_EQ(s.s1Active, r1.SubASs.Items(0).ActiveCount);
      EXPECT_EQ(s.r1ParentLinks, r1.ParentARs.Count());
      // Every node was placed inside the canvas by the first refresh.
      EXPECT_GE(r1.Rect.Left, 0);
      EXPECT_LE(r1.Rect.Bottom, 600);
    }
    // One request per refresh, each for the topology report in mode 2.
    ASSERT_EQ(5u, host.arCom->Requests().size());
    for (const auto& r : host.arCom->Requests()) {
      EXPECT_EQ(26115, r.function);
      EXPECT_EQ(2, r.requestMode);
      ASSERT_EQ(1u, r.request.fields.size());
      EXPECT_EQ(L"i", r.request.fields[0]);
    }
  }
}

}  // namespace
