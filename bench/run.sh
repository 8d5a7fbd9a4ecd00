#!/usr/bin/env bash
# Runs every benchmark: bench/run.sh NATIVE_BUILD WINDOWS_BUILD, inside
# scripts/wine-run.sh (which names the Wine loader in TOPO_WINE) under Xvfb. Each
# benchmark program prints its own "ratio NAME VALUE GOAL" lines; they are
# repeated at the end.
set -euo pipefail
native=$1
windows=$2
log=$(mktemp)
for exe in "$native"/bench/bench_*; do
  [ -x "$exe" ] || continue
  echo "bench: $(basename "$exe")"
  "$exe" 2>&1 | tee -a "$log"
done
for exe in "$windows"/bin/bench_*.exe; do
  [ -f "$exe" ] || continue
  echo "bench: $(basename "$exe") under Wine"
  "${TOPO_WINE:?run inside scripts/wine-run.sh}" "$exe" 2>&1 | tr -d '\r' | tee -a "$log"
done
echo "---- goals ----"
grep -E '^ratio ' "$log" || echo "bench: no ratio lines"
rm -f "$log"
