# make demo: the plug-in in the simulated host (headless under Xvfb it writes a screenshot).
# make test: every test: native, sanitized, fuzzed, and the Windows build under Wine.
# make bench: every benchmark, with one "ratio NAME VALUE GOAL" line per goal.
# Each first runs scripts/setup.sh, which installs what is missing.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
B := build
export WINEPREFIX ?= $(CURDIR)/$(B)/wineprefix
export WINEARCH := win32
export WINEDEBUG ?= -all
export WINEDLLOVERRIDES := mscoree,mshtml=
FUZZ_SECONDS ?= 30
SCREENSHOT ?= out/demo.png

.PHONY: setup native asan fuzz win32 test test-native test-asan test-fuzz test-win32 bench demo format clean

setup:
	@bash scripts/setup.sh

native: setup
	cmake -S . -B $(B)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(B)/native -j $(JOBS)

asan: setup
	cmake -S . -B $(B)/asan -DCMAKE_BUILD_TYPE=Debug -DTOPO_SANITIZE=ON >/dev/null
	cmake --build $(B)/asan -j $(JOBS)

fuzz: setup
	cmake -S . -B $(B)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOPO_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(B)/fuzz -j $(JOBS)

win32: setup
	cmake -S . -B $(B)/win32 -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DTOPO_NATIVE_BUILD=$(CURDIR)/$(B)/native >/dev/null
	cmake --build $(B)/win32 -j $(JOBS)

test-native: native
	ctest --test-dir $(B)/native --output-on-failure

test-asan: asan
	ctest --test-dir $(B)/asan --output-on-failure

test-fuzz: fuzz
	bash fuzz/run.sh $(B)/fuzz $(FUZZ_SECONDS)

test-win32: native win32
	xvfb-run -a -s '-screen 0 1280x1024x24' ctest --test-dir $(B)/win32 --output-on-failure

test: test-native test-asan test-fuzz test-win32
	@echo "make test: every suite passed"

bench: setup
	cmake -S . -B $(B)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(B)/bench -j $(JOBS)
	bash bench/win32/fetch-benchmark.sh $(CURDIR)/$(B)/deps/benchmark
	cmake -S . -B $(B)/bench-win32 -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake -DTOPO_BENCH_WIN32=ON \
	  -DTOPO_BENCHMARK_SOURCE=$(CURDIR)/$(B)/deps/benchmark >/dev/null
	cmake --build $(B)/bench-win32 -j $(JOBS) --target bench_win32
	bash bench/run.sh $(B)/bench $(B)/bench-win32

demo: win32
	@mkdir -p out
	@if [ -n "$$DISPLAY" ]; then \
	  wine $(B)/win32/bin/arhost.exe $(B)/win32/bin/topo.dll --scenario host/scenarios/demo.txt; \
	else \
	  xvfb-run -a -s '-screen 0 1280x1024x24' wine $(B)/win32/bin/arhost.exe $(B)/win32/bin/topo.dll \
	    --scenario host/scenarios/demo.txt --screenshot $(SCREENSHOT) --after 8 && \
	  echo "demo: screenshot written to $(SCREENSHOT)"; \
	fi

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(B)/native $(B)/asan $(B)/fuzz $(B)/win32 $(B)/bench $(B)/bench-win32
