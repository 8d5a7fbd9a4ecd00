#!/usr/bin/env bash
# Runs a command with one of the project's Wine prefixes: wine-run.sh 32|64 COMMAND...
# A COMMAND whose first word is "wine" runs with the Wine loader of that prefix.
# A wineserver is kept running for the whole command, so each Wine process does
# not pay for starting its own; it must be started inside any xvfb-run, or the
# processes it serves cannot create windows. The 64-bit loader and server are
# named directly: /usr/bin/wine would pick the 32-bit ones whenever wine32 is
# installed, even for a win64 prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bits=$1
shift
case $bits in
  64) prefix="$top/build/wineprefix64" arch=win64 server=/usr/lib/wine/wineserver64
      export TOPO_WINE=/usr/lib/wine/wine64 ;;
  32) prefix="$top/build/wineprefix" arch=win32 server=/usr/lib/wine/wineserver32
      export TOPO_WINE=/usr/lib/wine/wine ;;
  *) echo "wine-run: 32 or 64, not '$bits'" >&2; exit 2 ;;
esac
if [ ! -f "$prefix/.topo-ready-2" ]; then
  echo "wine-run: the $arch prefix $prefix is not ready (run scripts/setup.sh)" >&2
  exit 1
fi
export WINEPREFIX="$prefix" WINEARCH=$arch WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
"$server" -p
trap '"$server" -k 2>/dev/null || true' EXIT
# Wine's own services start with the first program and live as long as the
# server; started here with their output to /dev/null, they do not hold open
# the output of the command (ctest would wait for them to close it).
"$TOPO_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
if [ "${1:-}" = wine ]; then
  shift
  "$TOPO_WINE" "$@"
else
  "$@"
fi
