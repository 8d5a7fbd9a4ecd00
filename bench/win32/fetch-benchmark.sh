#!/usr/bin/env bash
# Debian ships Google Benchmark only for the native compiler, so the Windows
# benchmarks cross-build it from Debian's own source package. Run by `make bench`
# only: `make test` never needs it. Usage: fetch-benchmark.sh DEST_DIR
set -euo pipefail
dest=${1:?destination directory}
[ -f "$dest/CMakeLists.txt" ] && exit 0

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
mkdir -p "$(dirname "$dest")"
if ! command -v dpkg-source >/dev/null; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends dpkg-dev >/dev/null
fi

list=/etc/apt/sources.list.d/topo-deb-src.sources
if ! apt-get source --print-uris benchmark >/dev/null 2>&1; then
  echo "fetch-benchmark: adding a deb-src entry for bookworm main ($list)"
  as_root tee "$list" >/dev/null <<'LIST'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
  as_root apt-get update -qq
fi

work=$(mktemp -d "$(dirname "$dest")/benchmark-src.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq benchmark >/dev/null)
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'benchmark-*' | head -n 1)
[ -n "$src" ] && [ -f "$src/CMakeLists.txt" ] || { echo "fetch-benchmark: no source tree" >&2; exit 1; }
rm -rf "$dest"
mv "$src" "$dest"
echo "fetch-benchmark: Google Benchmark source in $dest"
