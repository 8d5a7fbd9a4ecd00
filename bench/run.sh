#!/usr/bin/env bash
# Runs every benchmark: bench/run.sh NATIVE_BUILD WIN32_BUILD
set -euo pipefail
echo "bench: no benchmarks yet"
