#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine, once:
# running it again finds everything present and does nothing. Needs root for apt.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
prefix="${WINEPREFIX:-$top/build/wineprefix}"

native_pkgs=(cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
             libbenchmark-dev libxml2-dev pkg-config clang-format)
win_pkgs=(g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
          wine wine32:i386 fonts-wine xvfb xauth fonts-wqy-microhei)

missing=()
for p in "${native_pkgs[@]}" "${win_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (for 32-bit Wine)"
    as_root dpkg --add-architecture i386
  fi
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A private 32-bit Wine prefix that shows Chinese with a font that is present.
if [ ! -f "$prefix/.topo-ready" ]; then
  echo "setup: creating the Wine prefix $prefix"
  mkdir -p "$prefix"
  export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'SimSun' /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wineserver -w || true
  touch "$prefix/.topo-ready"
fi
