#!/usr/bin/env bash
# Runs every benchmark: bench/run.sh NATIVE_BUILD WIN32_BUILD. Each benchmark
# program prints its own "ratio NAME VALUE GOAL" lines; they are repeated at the end.
set -euo pipefail
native=$1
win32=$2
log=$(mktemp)
for exe in "$native"/bench/bench_*; do
  [ -x "$exe" ] || continue
  echo "bench: $(basename "$exe")"
  "$exe" 2>&1 | tee -a "$log"
done
for exe in "$win32"/bin/bench_*.exe; do
  [ -f "$exe" ] || continue
  echo "bench: $(basename "$exe") under Wine"
  xvfb-run -a -s '-screen 0 1280x1024x24' wine "$exe" 2>&1 | tr -d '\r' | tee -a "$log"
done
echo "---- goals ----"
grep -E '^ratio ' "$log" || echo "bench: no ratio lines"
rm -f "$log"
