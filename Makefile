# make demo: the plug-in in the simulated host (headless under Xvfb it writes a screenshot).
# make test: every test: native, sanitized, fuzzed, and both Windows builds under Wine.
# make bench: every benchmark, with one "ratio NAME VALUE GOAL" line per goal.
# make dist: the release package, dist/topo-VERSION/ and its zip.
# Each first runs scripts/setup.sh, which installs what is missing and decides
# whether this machine runs 32-bit programs (build/win32-suites).
#
# The product is the i686 DLL in build/win32. The x86_64 build of the same
# sources in build/win64 is the test build that runs under 64-bit Wine on every
# machine; the i686 suites run too where 32-bit Wine can.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
B := build
export WINEDEBUG ?= -all
FUZZ_SECONDS ?= 30
SCREENSHOT ?= out/demo.png
XVFB := xvfb-run -a -s '-screen 0 1280x1024x24'
CTEST_FLAGS := --output-on-failure --timeout 600
# "run" or "skip: REASON", written by setup.
WIN32_VERDICT = $(shell cat $(B)/win32-suites 2>/dev/null || echo 'skip: no set-up verdict')
# The Windows build that runs here: 32 only when the verdict is exactly "run",
# else 64. A reason may hold the word "run" ("cannot run 32-bit programs"), so
# the verdict is compared whole, never searched for the word. test-win32, test,
# demo and bench all decide by this one variable.
RUN_BITS = $(if $(and $(filter run,$(WIN32_VERDICT)),$(filter 1,$(words $(WIN32_VERDICT)))),32,64)

.PHONY: setup native asan fuzz win32 win64 test test-native test-asan test-fuzz test-win32 \
        test-win64 bench demo dist format clean

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

# win32: the product (i686); win64: the same sources for 64-bit Wine.
win32 win64: setup
	cmake -S . -B $(B)/$@ -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-$(if $(filter win32,$@),i686,x86_64).cmake \
	  -DTOPO_NATIVE_BUILD=$(CURDIR)/$(B)/native >/dev/null
	cmake --build $(B)/$@ -j $(JOBS)

test-native: native
	ctest --test-dir $(B)/native --output-on-failure

test-asan: asan
	ctest --test-dir $(B)/asan --output-on-failure

test-fuzz: fuzz
	bash fuzz/run.sh $(B)/fuzz $(FUZZ_SECONDS)

test-win64: native win64
	$(XVFB) bash scripts/wine-run.sh 64 ctest --test-dir $(B)/win64 $(CTEST_FLAGS)

# The product DLL's static checks run on every machine; the rest needs 32-bit Wine.
test-win32: native win32
	@if [ $(RUN_BITS) = 32 ]; then \
	  $(XVFB) bash scripts/wine-run.sh 32 ctest --test-dir $(B)/win32 $(CTEST_FLAGS); \
	else \
	  ctest --test-dir $(B)/win32 -L static $(CTEST_FLAGS); \
	fi

test: test-native test-asan test-fuzz test-win64 test-win32
	@echo "win64 suites: ran"
	@if [ $(RUN_BITS) = 32 ]; then echo "win32 suites: ran"; \
	 else echo "win32 suites: skipped ($(subst skip: ,,$(WIN32_VERDICT))); product DLL checked statically"; fi
	@echo "make test: every suite passed"

bench: setup
	cmake -S . -B $(B)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(B)/bench -j $(JOBS)
	bash bench/win32/fetch-benchmark.sh $(CURDIR)/$(B)/deps/benchmark
	$(MAKE) --no-print-directory bench-win$(RUN_BITS)
	$(XVFB) bash scripts/wine-run.sh $(RUN_BITS) bash bench/run.sh $(B)/bench $(B)/bench-win$(RUN_BITS)

bench-win32 bench-win64:
	cmake -S . -B $(B)/$@ -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-$(if $(filter bench-win32,$@),i686,x86_64).cmake \
	  -DTOPO_BENCH_WIN32=ON -DTOPO_BENCHMARK_SOURCE=$(CURDIR)/$(B)/deps/benchmark >/dev/null
	cmake --build $(B)/$@ -j $(JOBS) --target bench_win32

# The demo runs the build this machine can run: the product where it can.
demo: setup
	@$(MAKE) -o setup --no-print-directory win$(RUN_BITS)
	@mkdir -p out
	@echo "demo: the win$(RUN_BITS) build"
	@if [ -n "$$DISPLAY" ]; then \
	  bash scripts/wine-run.sh $(RUN_BITS) wine $(B)/win$(RUN_BITS)/bin/arhost.exe \
	    $(B)/win$(RUN_BITS)/bin/topo.dll --scenario host/scenarios/demo.txt; \
	else \
	  $(XVFB) bash scripts/wine-run.sh $(RUN_BITS) wine $(B)/win$(RUN_BITS)/bin/arhost.exe \
	    $(B)/win$(RUN_BITS)/bin/topo.dll --scenario host/scenarios/demo.txt \
	    --screenshot $(SCREENSHOT) --after 30 --every 3 && \
	  echo "demo: screenshots written to $(SCREENSHOT) and, every 3 s, $(basename $(SCREENSHOT))-N.png"; \
	fi

# The product in release mode with debug information, which the package keeps
# apart from the DLL; no build folder or link time in the binaries, so the same
# sources give the same package (scripts/dist.sh).
# No compiler launcher: a cache such as ccache may rewrite the paths that the
# debug information records, and the package would then depend on it.
dist: setup
	cmake -S . -B $(B)/dist -DCMAKE_BUILD_TYPE=Release -DTOPO_PACKAGE=ON \
	  -DCMAKE_C_COMPILER_LAUNCHER= -DCMAKE_CXX_COMPILER_LAUNCHER= \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null
	cmake --build $(B)/dist -j $(JOBS) --target topo topo_en
	bash scripts/dist.sh $(B)/dist dist

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(B)/native $(B)/asan $(B)/fuzz $(B)/win32 $(B)/win64 $(B)/bench $(B)/bench-win32 \
	  $(B)/bench-win64 $(B)/dist dist
