#!/usr/bin/env bash
# The setup program as a user runs it, silently, under Wine: a fake Winamp folder (winamp.exe and
# Plugins) registered where Winamp records its folder (later only in Winamp's own uninstall
# entry), then install, a refused install while Winamp runs, an upgrade over existing settings
# (beside the DLL and the user's own), a folder that is not Winamp's, uninstall keeping the
# settings, uninstall told to delete them (this install's alone, beside other installs' per-user
# files), and a truncated download.
#
#   check_setup.sh SETUP.exe DLL FAKE_CLIENTS.exe VERSION WORKDIR
#
# The installed DLL is compared byte for byte with the built one, whose version information
# test_dialog reads with GetFileVersionInfoA. Windows programs run through $LUMTRA_WINE_RUN
# (tools/wine-run unless the tools say otherwise).
set -u
setup=$1 dll=$2 fake=$3 version=$4 work=$5
root=$(cd "$(dirname "$0")/.." && pwd)
wine=${LUMTRA_WINE_RUN:-$root/tools/wine-run}
status=0
fail() {
    echo "  FAIL: $*"
    status=1
}
winpath() {
    local p
    p=$(realpath -m "$1")
    echo "Z:${p//\//\\}"
}
w() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }
run_setup() {
    timeout 120 "$wine" "$(winpath "$setup")" /S "$@" >/dev/null 2>&1
}
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\gen_Lumtra'
winamp_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp'
entry() { w reg query "$key" /reg:32; }
has_entry() { "$wine" reg query "$key" /reg:32 >/dev/null 2>&1; }
tree() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }
log() { w cmd /c type '%TEMP%\gen_Lumtra-setup.log'; }

rm -rf "$work"
winamp=$work/Winamp plugins=$work/Winamp/Plugins
mkdir -p "$plugins"
printf 'MZ not really Winamp' >"$winamp/winamp.exe"
w reg add 'HKCU\Software\Winamp' /ve /d "$(winpath "$winamp")" /f >/dev/null
w reg delete "$key" /reg:32 /f >/dev/null
w reg delete "$winamp_key" /reg:32 /f >/dev/null
w cmd /c del '%TEMP%\gen_Lumtra-setup.log' >/dev/null

echo "fresh install into the folder Winamp registered"
run_setup || fail "setup exit code $?"
cmp -s "$dll" "$plugins/gen_Lumtra.dll" || fail "installed DLL differs from $dll"
[ -f "$plugins/gen_Lumtra-uninstall.exe" ] || fail "no uninstaller"
e=$(entry)
echo "$e" | grep -q "DisplayVersion.*REG_SZ *$version\$" || fail "list entry without version $version: $e"
echo "$e" | grep UninstallString | grep -qF "\"$(winpath "$plugins")\\gen_Lumtra-uninstall.exe\"" ||
    fail "list entry without the uninstall command: $e"
echo "$e" | grep -q "EstimatedSize" || fail "list entry without size"

echo "a running Winamp: the setup fails and changes nothing"
printf '[Winamp to ICQ client status]\r\nLang=\xd0\xf3\xf1\xf1\xea\xe8\xe9\r\n' >"$plugins/gen_Lumtra.dll.ini"
cp "$plugins/gen_Lumtra.dll.ini" "$work/settings.ini"
printf 'an older DLL' >"$plugins/gen_Lumtra.dll"
# In the temp folder: the work folder may be on a file system without FIFOs (a 9p share).
fifo=$(mktemp -u /tmp/gen_Lumtra-winamp.XXXXXX)
mkfifo "$fifo"
"$wine" "$(winpath "$fake")" <"$fifo" >"$work/winamp.out" 2>/dev/null &
winamp_pid=$!
exec 3>"$fifo"
echo "top 1 Winamp v1.x" >&3
# Deadlines, not figures: only a failure waits them out (the emulated machine is slow).
for _ in $(seq 1200); do
    grep -q '^ok' "$work/winamp.out" && break
    sleep 0.1
done
grep -q '^ok' "$work/winamp.out" || fail "the stand-in Winamp window did not start"
before=$(tree "$winamp")
run_setup
code=$?
[ "$code" = 3 ] || fail "setup while Winamp runs: exit code $code"
[ "$(tree "$winamp")" = "$before" ] || fail "setup changed the folder while Winamp runs"
log | grep -q "^gen_Lumtra $version: " || fail "no line in the setup log: $(log)"
echo "  exit code $code, log: $(log | iconv -f cp1251 2>/dev/null)"
exec 3>&-
wait "$winamp_pid"
rm -f "$fifo"

# The user's own settings file, used where the Plugins folder cannot be written.
user_plugins=$("$wine" winepath -u "$(w cmd /c echo '%APPDATA%')" 2>/dev/null | tr -d '\r')/Winamp/Plugins
mkdir -p "$user_plugins"
cp "$work/settings.ini" "$user_plugins/gen_Lumtra.dll.ini"

echo "upgrade keeps the settings; Winamp found through its own uninstall entry this time"
w reg delete 'HKCU\Software\Winamp' /f >/dev/null
w reg add "$winamp_key" /v UninstallString /d "\"$(winpath "$winamp")\\UninstWA.exe\"" /reg:32 /f >/dev/null
run_setup || fail "setup exit code $?"
w reg delete "$winamp_key" /reg:32 /f >/dev/null
cmp -s "$dll" "$plugins/gen_Lumtra.dll" || fail "upgraded DLL differs from $dll"
cmp -s "$work/settings.ini" "$plugins/gen_Lumtra.dll.ini" || fail "upgrade changed the INI file"
cmp -s "$work/settings.ini" "$user_plugins/gen_Lumtra.dll.ini" || fail "upgrade changed the user's INI file"

echo "a folder without winamp.exe: refused, nothing made"
mkdir -p "$work/NotWinamp"
run_setup "/D=$(winpath "$work/NotWinamp")"
code=$?
[ "$code" = 4 ] || fail "silent install into a folder without winamp.exe: exit code $code"
[ -z "$(ls -A "$work/NotWinamp")" ] || fail "files left in a folder without winamp.exe"

echo "silent uninstall keeps the settings"
# The uninstaller hands over to a copy of itself in the temp folder and returns at once.
timeout 60 "$wine" "$(winpath "$plugins/gen_Lumtra-uninstall.exe")" /S >/dev/null 2>&1
for _ in $(seq 240); do
    [ -f "$plugins/gen_Lumtra-uninstall.exe" ] || [ -f "$plugins/gen_Lumtra.dll" ] ||
        has_entry || break
    sleep 0.5
done
[ ! -f "$plugins/gen_Lumtra.dll" ] || fail "uninstall left the DLL"
[ ! -f "$plugins/gen_Lumtra-uninstall.exe" ] || fail "uninstall left the uninstaller"
! has_entry || fail "uninstall left the list entry"
cmp -s "$work/settings.ini" "$plugins/gen_Lumtra.dll.ini" || fail "silent uninstall changed the INI file"
cmp -s "$work/settings.ini" "$user_plugins/gen_Lumtra.dll.ini" || fail "silent uninstall changed the user's INI file"

echo "uninstall told to delete the settings deletes this install's, and only those"
# Winamp's folder is no longer registered anywhere: it is named.
run_setup "/D=$(winpath "$winamp")" || fail "setup exit code $?"
# Per-user files name their library in their first line. Several installs share the folder: the
# shared names are another's here (the settings of an earlier version, which names none, and a
# journal that names another library), so this install's files have a name of its own, the
# number drawn from its library's path (FNV-1a); one saved by an editor with a byte order mark,
# and naming the library in another case. A third install's file of its own name stays too.
fnv() {
    local s=$1 h=2166136261 i c
    for ((i = 0; i < ${#s}; i++)); do
        printf -v c '%d' "'${s:i:1}"
        h=$((((h ^ c) * 16777619) & 0xFFFFFFFF))
    done
    printf '%08x' "$h"
}
own_dll=$(winpath "$plugins")'\gen_Lumtra.dll'
own=$user_plugins/gen_Lumtra.dll.$(LC_ALL=C fnv "${own_dll^^}")
owner() { printf '; gen_Lumtra library=%s\r\n' "$1"; }
journal='gen_Lumtra stored statuses, version 2\r\n'
{ printf '\xef\xbb\xbf'; owner "${own_dll^^}"; cat "$work/settings.ini"; } >"$own.ini"
{ owner "$own_dll"; printf '%b' "$journal"; } >"$own.statuses.txt"
{ owner 'C:\Other Winamp\Plugins\gen_Lumtra.dll'; printf '%b' "$journal"; } \
    >"$user_plugins/gen_Lumtra.dll.statuses.txt"
{ owner 'D:\Third\Plugins\gen_Lumtra.dll'; cat "$work/settings.ini"; } \
    >"$user_plugins/gen_Lumtra.dll.0badf00d.ini"
printf '%b' "$journal" >"$plugins/gen_Lumtra.dll.statuses.txt"
others=$(tree "$user_plugins" | grep -v "$(basename "$own")")
timeout 60 "$wine" "$(winpath "$plugins/gen_Lumtra-uninstall.exe")" /S /DELETESETTINGS >/dev/null 2>&1
for _ in $(seq 240); do
    [ -f "$plugins/gen_Lumtra-uninstall.exe" ] || [ -f "$plugins/gen_Lumtra.dll.ini" ] ||
        [ -f "$own.ini" ] || break
    sleep 0.5
done
[ ! -f "$plugins/gen_Lumtra.dll.ini" ] || fail "uninstall /DELETESETTINGS left the INI file"
[ ! -f "$plugins/gen_Lumtra.dll.statuses.txt" ] || fail "uninstall /DELETESETTINGS left the journal"
[ ! -f "$own.ini" ] || fail "uninstall /DELETESETTINGS left the user's INI file of its own name"
[ ! -f "$own.statuses.txt" ] || fail "uninstall /DELETESETTINGS left the user's journal of its own name"
[ "$(tree "$user_plugins")" = "$others" ] ||
    fail "uninstall /DELETESETTINGS changed other installs' files: $(ls "$user_plugins")"

echo "a truncated setup is refused by its own check"
head -c $(($(wc -c <"$setup") - 4096)) "$setup" >"$work/truncated-setup.exe"
timeout 60 "$wine" "$(winpath "$work/truncated-setup.exe")" /S >/dev/null 2>&1
code=$?
[ "$code" = 2 ] || fail "truncated setup: exit code $code"
[ ! -f "$plugins/gen_Lumtra.dll" ] || fail "truncated setup installed the DLL"

echo "setup: $setup, $(wc -c <"$setup") bytes"
exit $status
