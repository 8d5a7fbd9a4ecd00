#!/usr/bin/env bash
# Runs every fuzzer of a build for a bounded time each: fuzz/run.sh BUILD_DIR SECONDS.
# A seed corpus in fuzz/corpus/NAME is used when present; a crash fails the run.
set -euo pipefail
build=$1
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
found=0
for exe in "$build"/fuzz/*_fuzzer; do
  [ -x "$exe" ] || continue
  found=1
  name=$(basename "$exe")
  work=$(mktemp -d)
  seeds=()
  [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
  echo "fuzz: $name for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$build/fuzz/$name-" \
       "$work" "${seeds[@]}" >"$build/fuzz/$name.log" 2>&1; then
    tail -40 "$build/fuzz/$name.log"
    echo "fuzz: $name FAILED (log: $build/fuzz/$name.log)"
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$build/fuzz/$name.log" | tail -1 || true
  rm -rf "$work"
done
[ "$found" = 1 ] || echo "fuzz: no fuzz targets built"
