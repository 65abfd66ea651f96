#!/bin/sh
# Release checks on the DLL users install: PE32 for i386, the undecorated export, system imports
# only and each of them present on Windows XP SP3, and every resource the plugin carries. Prints
# the DLL's size.
#   check_release.sh DLL XP_IMPORT_LIST
dll=$1
readobj=/usr/lib/llvm-14/bin/llvm-readobj
status=0
fail() { echo "  FAIL: $*"; status=1; }

[ -f "$dll" ] || { echo "missing: $dll"; exit 1; }
x86_64-w64-mingw32-objdump -p "$dll" | grep -q 'file format pei-i386' || fail "not PE32 for i386"
"$(dirname "$0")/check_dll.sh" "$dll" || status=1
"$(dirname "$0")/check_imports.sh" "$dll" "$2" || status=1

# The resource tree as "Type/Name/Language" lines, numbers for numeric ids: "DIALOG/101/1049".
tree=$($readobj --coff-resources "$dll" | awk '
    function id(s) { gsub(/[\[\]()]|ID /, "", s); sub(/^ +/, "", s); sub(/ .*/, "", s); return s }
    /^ *Type: /     { t = $2; if ($3 == "(ID") t = $2 }
    /^ *Name: /     { $1 = ""; n = id($0) }
    /^ *Language: / { $1 = ""; print t "/" n "/" id($0) }')
has() { echo "$tree" | grep -qF -- "$1" || fail "no resource $2"; }
has "DIALOG/101/1049" "dialog 101 (Russian)"
has "GROUP_ICON/MAINICON/1049" "icon group MAINICON (Russian)"
has "GROUP_ICON/ICON_1/1049" "icon group ICON_1 (Russian)"
has "STRINGTABLE/4096/1049" "string table holding 65520"
has "SRC/RAR/" "SRC/RAR source archive"
# ICON_1 comes before MAINICON.
order=$(echo "$tree" | grep '^GROUP_ICON/' | cut -d/ -f2 | tr '\n' ' ')
[ "$order" = "ICON_1 MAINICON " ] || fail "icon group order: $order"
# The string 65520 reads "Lang".
$readobj --coff-resources "$dll" | grep -A20 'ID 4096' | grep -q 'L.a.n.g' || fail "string 65520 is not Lang"

echo "release DLL: $dll, $(wc -c <"$dll") bytes"
exit $status
