#!/usr/bin/env bash
# Makes the release package from a finished package build (`make dist`):
#   OUT/topo-VERSION/   topo.dll without debug information, topo.dll.debug
#                       (that information, for reading crash addresses later),
#                       topo_en.dll, INSTALL.md, CHANGELOG.md, SHA256SUMS
#   OUT/topo-VERSION.zip
# The same build gives the same bytes: the package build writes no link time
# or build folder into the binaries; here the stripped DLL's header and every
# file get the time of the last commit (or SOURCE_DATE_EPOCH), and the zip
# stores no owner, no extra times and its entries in a fixed order.
# Usage: dist.sh BUILD_DIR OUT_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
out=$2
tools=i686-w64-mingw32
version=$(cat "$build/VERSION")
name=topo-$version
dir=$out/$name

# objcopy writes this time into the PE header of the DLL it strips.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null ||
                                               echo 315532800)}

rm -rf "$dir" "$out/$name.zip"
mkdir -p "$dir"
# The debug information first; the stripped DLL then names it, with its
# checksum, so a debugger finds it beside the DLL.
"$tools-objcopy" --only-keep-debug "$build/bin/topo.dll" "$dir/topo.dll.debug"
"$tools-objcopy" --strip-all --add-gnu-debuglink="$dir/topo.dll.debug" \
  "$build/bin/topo.dll" "$dir/topo.dll"
# What a host relies on is checked on the DLL as built (the stripped one has
# no symbols to find an export's code by); the stripped one must load the very
# same bytes.
bash "$top/tests/dll/CheckProductDll.sh" "$tools-objdump" "$build/bin/topo.dll" >/dev/null
"$tools-objcopy" -O binary "$build/bin/topo.dll" "$build/topo.image"
"$tools-objcopy" -O binary "$dir/topo.dll" "$build/topo-stripped.image"
cmp -s "$build/topo.image" "$build/topo-stripped.image" ||
  { echo "dist: stripping changed what topo.dll loads" >&2; exit 1; }
cp "$build/bin/topo_en.dll" "$dir/"
image_base=$("$tools-objdump" -p "$dir/topo.dll" | sed -nE 's/^ImageBase[[:space:]]+0*([0-9a-fA-F]+)$/\1/p')
sed -e "s/@VERSION@/$version/g" -e "s/@IMAGEBASE@/$image_base/g" "$top/resources/INSTALL.md" \
  >"$dir/INSTALL.md"
cp "$top/CHANGELOG.md" "$dir/"

files=(CHANGELOG.md INSTALL.md topo.dll topo.dll.debug topo_en.dll)
(cd "$dir" && LC_ALL=C sha256sum "${files[@]}" >SHA256SUMS)
files+=(SHA256SUMS)
chmod 644 "${files[@]/#/$dir/}"
touch -d "@$SOURCE_DATE_EPOCH" "${files[@]/#/$dir/}" "$dir"
(cd "$out" && TZ=UTC zip -q -X -D "$name.zip" "${files[@]/#/$name/}")
echo "dist: $out/$name.zip"
(cd "$out" && sha256sum "$name.zip")
