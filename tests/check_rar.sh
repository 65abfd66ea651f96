#!/bin/sh
# Lists the source archive each DLL carries with bsdtar (libarchive), extracts every file from
# it and compares it with the source tree.
#   check_rar.sh SOURCE_ROOT BUILD_DIR...
root=$1
shift
status=0
for dir in "$@"; do
    dll=$dir/gen_Lumtra.dll
    rar=$dir/gen_Lumtra_src.rar
    if [ ! -f "$dll" ] || [ ! -f "$rar" ]; then echo "missing: $dll or $rar"; status=1; continue; fi
    # The resource holds the archive byte for byte.
    python3 -c 'import sys; sys.exit(open(sys.argv[2], "rb").read() not in open(sys.argv[1], "rb").read())' \
        "$dll" "$rar" || { echo "$dll: does not carry $rar"; status=1; }
    list=$(bsdtar -tf "$rar") || { echo "$rar: bsdtar cannot list it"; status=1; continue; }
    count=$(echo "$list" | wc -l)
    echo "$rar: $count files"
    for must in CMakeLists.txt res/gen_Lumtra.rc res/lite/resource.h src/plugin/gen_Lumtra.cpp \
        src/dialog/config_dialog.cpp tools/make_rar.py; do
        echo "$list" | grep -qx "$must" || { echo "  $must is not in the archive"; status=1; }
    done
    for name in $list; do
        bsdtar -xOf "$rar" "$name" | cmp -s - "$root/$name" ||
            { echo "  $name differs from the source"; status=1; }
    done
done
exit $status
