// The simulated host's ARCom over a scenario, with its packer and unpacker,
// as a benchmark's refresh reaches them through the window's exchange, and
// the run of a benchmark program that uses them.
#pragma once

#include <benchmark/benchmark.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "host/ARCom.h"
#include "host/Network.h"
#include "host/Packer.h"
#include "host/Unpacker.h"
#include "win32/ComPtr.h"
#include "window/StatusRefresh.h"

namespace topo::bench {

struct SimulatedServices : window::RefreshServices {
  explicit SimulatedServices(const std::string& scenario)
      : arCom(new arhost::ARCom(
            arhost::Network::Parse(scenario), [] { return 0.0; }, L"")),
        packer(arhost::CreatePacker()),
        unpacker(arhost::CreateUnpacker()) {}
  host::IARCom* ARCom() override { return arCom.Get(); }
  host::IPackerDisp* Packer() override { return packer.Get(); }
  host::IUnpackerDisp* Unpacker() override { return unpacker.Get(); }

  win32::ComPtr<arhost::ARCom> arCom;
  win32::ComPtr<host::IPackerDisp> packer;
  win32::ComPtr<host::IUnpackerDisp> unpacker;
};

// Around a COM benchmark program's main: unbuffered output (Wine's pipes
// would hold the progress lines back), an apartment, and the benchmark
// library's set-up; shut down in reverse, after what main made is gone.
class ComBenchmarkRun {
 public:
  ComBenchmarkRun(int* argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    benchmark::Initialize(argc, argv);
  }
  ~ComBenchmarkRun() {
    benchmark::Shutdown();
    CoUninitialize();
  }
  ComBenchmarkRun(const ComBenchmarkRun&) = delete;
  ComBenchmarkRun& operator=(const ComBenchmarkRun&) = delete;
};

}  // namespace topo::bench
