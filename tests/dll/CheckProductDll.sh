#!/usr/bin/env bash
# Static checks of the product DLL, which need no Wine and so run on every
# machine: a host that loads topo.dll depends on its format, its four export
# names and their stdcall argument sizes, and on it importing nothing beyond
# Windows itself. A stdcall function pops its arguments with `ret N`, so every
# `ret` of an export's body must pop exactly what the host pushed.
# Usage: CheckProductDll.sh OBJDUMP DLL
set -euo pipefail
objdump=$1
dll=$2
fail() { echo "FAIL: $dll: $*" >&2; exit 1; }
[ -f "$dll" ] || fail "no such file"

headers=$("$objdump" -p "$dll" 2>&1) || fail "objdump cannot read it: $headers"
grep -q 'file format pei-i386' <<<"$headers" || fail "not an i386 PE file"
grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "not PE32"
grep -qE '^[[:space:]]+DLL$' <<<"$headers" || fail "not marked as a DLL"

# name -> argument bytes the host pushes.
declare -A expected=([BizGetDevInfo]=12 [BizInit]=16 [BizUninit]=0 [BizEntry]=20)

# "[   i] Name" lines of the name table; i indexes the export address table.
mapfile -t names < <(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
                     sed -nE 's/^[[:space:]]*\[[[:space:]]*([0-9]+)\] (.*)$/\1 \2/p')
[ ${#names[@]} -eq 4 ] || fail "exports ${#names[@]} names, not 4: ${names[*]:-none}"
image_base=$(sed -nE 's/^ImageBase[[:space:]]+([0-9a-fA-F]+)$/\1/p' <<<"$headers")
listing=$("$objdump" -d --no-show-raw-insn "$dll")

for entry in "${names[@]}"; do
  index=${entry%% *}
  name=${entry#* }
  [ -n "${expected[$name]+set}" ] || fail "unexpected export '$name'"
  rva=$(sed -nE "s/^[[:space:]]*\[[[:space:]]*$index\] \+base\[[[:space:]]*[0-9]+\] ([0-9a-fA-F]+) Export RVA$/\1/p" \
        <<<"$headers")
  [ -n "$rva" ] || fail "no address for export '$name'"
  address=$(printf '%x' $((0x$image_base + 0x$rva)))
  # The function's listing runs from its label to the blank line before the next one.
  rets=$(awk -v a="$address" '$1 == a && $2 ~ /^</ { on = 1; next } on && NF == 0 { exit }
                              on && $2 == "ret" { print ($3 == "" ? "ret" : "ret " $3) }' <<<"$listing" |
         sort -u)
  want=$([ "${expected[$name]}" -eq 0 ] && echo ret || printf 'ret $0x%x' "${expected[$name]}")
  [ -n "$rets" ] || fail "$name: no ret found at $address"
  [ "$rets" = "$want" ] || fail "$name ends with '$(tr '\n' ',' <<<"$rets")', expected '$want'"
  echo "ok: $name at 0x$address ends with $want"
done

system_dlls='^(kernel32|user32|gdi32|ole32|oleaut32|comctl32|msvcrt|winmm|msimg32|advapi32|shell32|shlwapi|comdlg32|version|oleacc)\.dll$'
while read -r imported; do
  grep -qiE "$system_dlls" <<<"$imported" || fail "imports '$imported', which is not a Windows system DLL"
  echo "ok: imports $imported"
done < <(sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' <<<"$headers")
echo "ok: $dll is a PE32 i386 DLL with the four stdcall exports"
