#!/usr/bin/env bash
# The Makefile picks the Windows build that runs here from set-up's verdict.
# A reason text once held the word "run" and the 32-bit build was chosen on a
# machine that cannot run it, so every verdict set-up can write (read from
# set-up itself), a missing verdict and made-up ones are driven through
# `make -n`, which shows what demo, bench and the tests would run without
# running Wine or a build.
# Usage: PlatformChoiceTest.sh SOURCE_DIR
set -uo pipefail
top=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# ctest may run inside a make recipe; its job server is not ours.
unset MAKEFLAGS MFLAGS MAKELEVEL

verdicts=(run)
while IFS= read -r v; do verdicts+=("$v"); done < <(
  grep -oE 'win32="skip: [^"]+"' "$top/scripts/setup.sh" | sed -E 's/^win32="(.*)"$/\1/')
[ ${#verdicts[@]} -ge 3 ] || { echo "FAIL: found only ${#verdicts[@]} verdicts in setup.sh"; exit 1; }
verdicts+=("skip: run" "run run" "running" "")

failures=0
check() { # VERDICT EXPECTED_BITS (a verdict "" means no verdict file)
  local verdict=$1 want=$2 other=$(( $2 == 32 ? 64 : 32 )) out tests
  rm -f "$work/win32-suites"
  [ -n "$verdict" ] && printf '%s\n' "$verdict" >"$work/win32-suites"
  out=$(make -n -C "$top" --no-print-directory B="$work" demo bench 2>&1)
  # The suites' choice is a shell test on the same variable.
  tests=$(make -n -C "$top" --no-print-directory B="$work" test-win32 test 2>&1)
  grep -qF "if [ $want = 32 ]" <<<"$tests" ||
    { echo "FAIL: verdict '$verdict': the suites do not take win$want"; failures=$((failures + 1)); }
  local -a must=("wine-run.sh $want wine $work/win$want/bin/arhost.exe"
                 "bench-win$want" "wine-run.sh $want bash bench/run.sh")
  for m in "${must[@]}"; do
    grep -qF -- "$m" <<<"$out" ||
      { echo "FAIL: verdict '$verdict': expected '$m' in make -n"; failures=$((failures + 1)); }
  done
  for m in "wine-run.sh $other" "bench-win$other" "win$other/bin/arhost.exe"; do
    grep -qF -- "$m" <<<"$out" &&
      { echo "FAIL: verdict '$verdict': '$m' must not run"; failures=$((failures + 1)); }
  done
  echo "verdict '${verdict:-<none>}': win$want"
}

for v in "${verdicts[@]}"; do
  if [ "$v" = run ]; then check "$v" 32; else check "$v" 64; fi
done
[ $failures -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "PASS"
