#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine, once:
# running it again finds everything present and does nothing. Needs root for apt.
#
# Two kinds of machine exist: those that run 32-bit programs and those whose
# kernel has 32-bit emulation switched off. 64-bit Wine starts on both, so the
# win64 prefix is always made; 32-bit Wine and its prefix only where a tiny
# i386 program actually starts (the kernel's messages are no reliable guide).
# The verdict goes to build/win32-suites, one line that `make` reads: "run", or
# "skip: REASON". TOPO_NO_WIN32=1 makes the i386 probe fail, so it takes the
# path of a machine without 32-bit, reason text included.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
prefix32="$build/wineprefix"
prefix64="$build/wineprefix64"
verdict="$build/win32-suites"
mkdir -p "$build"

native_pkgs=(cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
             libbenchmark-dev libxml2-dev pkg-config clang-format zip)
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine64 fonts-wine xvfb xauth fonts-wqy-microhei)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
apt_install() {
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# Writes and starts a static i386 ELF of 93 bytes that only exits with 0.
runs_i386() {
  [ "${TOPO_NO_WIN32:-0}" = 1 ] && return 1
  local probe="$build/.i386-probe"
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
  printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$probe"
  printf '\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000' >>"$probe"
  printf '\000\020\000\000\061\333\270\001\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
}

win32=run
if ! runs_i386; then
  win32="skip: this machine cannot run 32-bit programs"
fi

missing=()
for p in "${native_pkgs[@]}" "${win_pkgs[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  apt_install "${missing[@]}"
fi

if [ "$win32" = run ] && ! installed wine32:i386; then
  echo "setup: installing 32-bit Wine (wine32:i386)"
  if ! { dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386; } ||
     ! as_root apt-get update -qq || ! apt_install wine32:i386; then
    win32="skip: 32-bit Wine could not be installed"
  fi
fi

# A prefix counts as ready only once its marker exists; a half-made one is
# removed and made again. Chinese shows with a font that is present.
# make_prefix DIR WINEARCH LOADER SERVER
make_prefix() {
  local dir=$1 arch=$2 loader=$3 server=$4
  [ -f "$dir/.topo-ready-2" ] && return 0
  echo "setup: creating the $arch Wine prefix $dir"
  rm -rf "$dir"
  mkdir -p "$dir"
  (
    export WINEPREFIX="$dir" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    set -e
    timeout 300 "$loader" wineboot -i >/dev/null 2>&1
    for font in 'MS Sans Serif' 'SimSun'; do
      timeout 120 "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    # There is no window manager under Xvfb: Wine draws every window's frame
    # and caption itself, or a dialog shows neither.
    timeout 120 "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      >/dev/null 2>&1
    timeout 120 "$server" -w
    # Wine does not find its own Marlett font here, and caption buttons need it.
    cp /usr/share/wine/fonts/marlett.ttf "$dir/drive_c/windows/Fonts/"
    [ -f "$dir/system.reg" ] && [ -f "$dir/user.reg" ]
  ) || {
    rm -rf "$dir"
    return 1
  }
  touch "$dir/.topo-ready-2"
}

if ! make_prefix "$prefix64" win64 /usr/lib/wine/wine64 /usr/lib/wine/wineserver64; then
  echo "setup: 64-bit Wine did not start; the Windows-side tests cannot run"
fi
if [ "$win32" = run ] &&
   ! make_prefix "$prefix32" win32 /usr/lib/wine/wine /usr/lib/wine/wineserver32; then
  win32="skip: 32-bit Wine did not start"
  echo "setup: 32-bit Wine did not start; the 32-bit suites will be skipped"
fi

echo "$win32" >"$verdict"
