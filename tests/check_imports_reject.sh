#!/bin/sh
# The import check must be able to fail: a tiny DLL that calls GetTickCount64 (Vista and later)
# is rejected, and the message names the function.
#   check_imports_reject.sh ALLOWED_LIST
here=$(dirname "$0")
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
cat >"$dir/tick64.c" <<'SRC'
#include <windows.h>
__declspec(dllexport) ULONGLONG Ticks(void) { return GetTickCount64(); }
SRC
i686-w64-mingw32-gcc -D_WIN32_WINNT=0x0600 -shared -o "$dir/tick64.dll" "$dir/tick64.c" ||
    { echo "could not build the probe DLL"; exit 1; }
out=$("$here/check_imports.sh" "$dir/tick64.dll" "$1")
rc=$?
echo "$out"
[ $rc -ne 0 ] || { echo "FAIL: a DLL importing GetTickCount64 passed the XP check"; exit 1; }
echo "$out" | grep -q 'KERNEL32.DLL!GetTickCount64' || { echo "FAIL: GetTickCount64 not named"; exit 1; }
echo "rejected as it should be"
