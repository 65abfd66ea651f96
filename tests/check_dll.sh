#!/bin/sh
# Checks each DLL given: the export by its undecorated name, and imports of system DLLs only.
status=0
for dll in "$@"; do
    if [ ! -f "$dll" ]; then echo "missing: $dll"; status=1; continue; fi
    dump=$(x86_64-w64-mingw32-objdump -p "$dll")
    echo "$dll: $(echo "$dump" | sed -n 's/^.*file format //p' | head -1), $(wc -c <"$dll") bytes"
    echo "$dump" | grep -qE '^\s*\[\s*[0-9]+\] winampGetGeneralPurposePlugin$' ||
        { echo "  export winampGetGeneralPurposePlugin not found"; status=1; }
    for name in $(echo "$dump" | sed -n 's/^\s*DLL Name: //p'); do
        case $(echo "$name" | tr 'A-Z' 'a-z') in
        kernel32.dll | user32.dll | gdi32.dll | shell32.dll | msvcrt.dll | advapi32.dll | comctl32.dll) echo "  imports $name" ;;
        *) echo "  imports a non-system DLL: $name"; status=1 ;;
        esac
    done
done
exit $status
