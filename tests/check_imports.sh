#!/bin/sh
# Lists every function a DLL imports ("DLL!function") and fails on any that is not in the allowed
# list: the functions Windows XP SP3 has.
#   check_imports.sh DLL ALLOWED_LIST
dll=$1 allowed=$2
[ -f "$dll" ] || { echo "missing: $dll"; exit 1; }
imports=$(x86_64-w64-mingw32-objdump -p "$dll" | awk -F'\t' '
    /^\tDLL Name: / { split($2, a, ": "); dll = toupper(a[2]); next }
    NF == 3 && $2 ~ /^[0-9a-f]+$/ { n = split($3, f, " +"); if (dll != "") print dll "!" f[n] }' |
    sort -u)
[ -n "$imports" ] || { echo "$dll: no imports read"; exit 1; }
status=0
count=0
for entry in $imports; do
    count=$((count + 1))
    grep -qixF -- "$entry" "$allowed" || { echo "  import not available on Windows XP SP3: $entry"; status=1; }
done
echo "$dll: $count imported functions checked against $(basename "$allowed")"
exit $status
