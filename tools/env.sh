# Shared by the tools: packages, the virtual display and the Wine server of one run.
# Sourced, not run.

LUMTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$LUMTRA_ROOT/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64

lumtra_packages_missing() {
    local need=(x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix cmake ninja Xvfb xauth
        bsdtar /usr/lib/llvm-14/bin/llvm-windres "$WINE64" /usr/src/googletest/CMakeLists.txt
        python3 makensis)
    local x
    for x in "${need[@]}"; do
        if [[ $x == /* ]]; then [[ -e $x ]] || return 0; else command -v "$x" >/dev/null || return 0; fi
    done
    return 1
}

# Installs the toolchain when something is missing; a no-op (and fast) when all is there.
lumtra_ensure_packages() {
    lumtra_packages_missing || return 0
    echo "Installing the toolchain (mingw-w64, wine64, Xvfb, googletest, llvm-14)..."
    local sudo=
    [[ $(id -u) == 0 ]] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends mingw-w64 wine64 xvfb xauth googletest \
        llvm-14 libarchive-tools cmake ninja-build python3 nsis
}

lumtra_build() {
    local preset
    for preset in win32 win64; do
        cmake --preset "$preset" >/dev/null || return 1
        cmake --build --preset "$preset" || return 1
    done
}

LUMTRA_XVFB_PID=
# Starts a private virtual display and a persistent Wine server for this run.
lumtra_start_desktop() {
    local n
    for n in $(seq 90 140); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        LUMTRA_XVFB_PID=$!
        local i
        for i in $(seq 50); do
            [[ -e /tmp/.X11-unix/X$n ]] && break
            sleep 0.1
        done
        if kill -0 "$LUMTRA_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            break
        fi
    done
    [[ -n ${DISPLAY:-} ]] || { echo "could not start Xvfb" >&2; return 1; }
    mkdir -p "$WINEPREFIX"
    "$WINESERVER64" -p
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        echo "Creating the Wine prefix (once)..."
    fi
    LC_ALL=ru_RU.UTF-8 "$WINE64" wineboot -i >/dev/null 2>&1
    return 0
}

lumtra_stop_desktop() {
    "$WINESERVER64" -k 2>/dev/null || true
    [[ -n $LUMTRA_XVFB_PID ]] && kill "$LUMTRA_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}
