# Shared by the tools: packages, the Wine that runs both builds, the virtual display and the Wine
# server of one run. Sourced, not run.
#
# Every Windows program, 32-bit and 64-bit alike, runs under Wine 10 in WoW64 mode: Debian 12's
# Wine 8 cannot run the 32-bit build properly and this kernel runs no 32-bit Linux binaries.
# Unless a system Wine of version 9 or later with 32-bit (WoW64) support is installed, the tools
# make a Debian 13 root holding Wine 10 under build/ once and run Wine inside it (chroot). The
# mounts that root needs live in a private mount namespace of the tool's own, so none outlives
# the tool, whatever way it ends.

LUMTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMTRA_WINE_DIR="${LUMTRA_WINE_DIR:-$LUMTRA_ROOT/build/wine10}"
export LUMTRA_WINE_CHROOT="$LUMTRA_WINE_DIR/root"
export WINEPREFIX="$LUMTRA_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
LUMTRA_DEBIAN_MIRROR="${LUMTRA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"

lumtra_sudo() {
    if [[ $(id -u) == 0 ]]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Root is needed for the packages, the Wine root and its mounts. Prints how to get it otherwise.
lumtra_need_root() {
    [[ $(id -u) == 0 ]] && return 0
    sudo -n true 2>/dev/null && return 0
    cat >&2 <<EOF
These tools need root: they install Debian packages and run Wine 10 inside a Debian 13 root
under build/, which takes a chroot and a few bind mounts. Run them as root, or as a user with
passwordless sudo (for example: echo "$USER ALL=(ALL) NOPASSWD: ALL" > /etc/sudoers.d/lumtra),
or in a container or virtual machine where you are root.
EOF
    return 1
}

# Runs the calling tool again inside a private mount namespace (once; later calls are no-ops), so
# that the Wine root's mounts vanish with the tool.
lumtra_enter_namespace() {
    [[ -n ${LUMTRA_IN_NAMESPACE:-} ]] && return 0
    lumtra_need_root || exit 1
    export LUMTRA_IN_NAMESPACE=1
    if [[ $(id -u) == 0 ]]; then
        exec unshare --mount --propagation private -- "$0" "$@"
    fi
    exec sudo --preserve-env unshare --mount --propagation private -- "$0" "$@"
}

# The demo needs neither the setup compiler nor the archive reader of the tests.
lumtra_packages_missing() {
    local need=(x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix cmake ninja Xvfb xauth
        /usr/lib/llvm-14/bin/llvm-windres /usr/src/googletest/CMakeLists.txt python3 debootstrap
        unshare cc /usr/lib/x86_64-linux-gnu/libc.a)
    [[ ${1:-} == demo ]] || need+=(bsdtar makensis)
    local x
    for x in "${need[@]}"; do
        if [[ $x == /* ]]; then [[ -e $x ]] || return 0; else command -v "$x" >/dev/null || return 0; fi
    done
    return 1
}

# Installs the toolchain when something is missing; a no-op (and fast) when all is there. With
# "demo", only what tools/demo needs.
lumtra_ensure_packages() {
    lumtra_packages_missing "${1:-}" || return 0
    lumtra_need_root || return 1
    local packages=(mingw-w64 xvfb xauth googletest llvm-14 cmake ninja-build python3 debootstrap
        util-linux gcc libc6-dev)
    [[ ${1:-} == demo ]] || packages+=(libarchive-tools nsis)
    echo "Installing the toolchain (${packages[*]})..."
    export DEBIAN_FRONTEND=noninteractive
    lumtra_sudo apt-get update -q
    lumtra_sudo apt-get install -y -q --no-install-recommends "${packages[@]}"
}

# A system Wine that can run both builds: version 9 or later with its 32-bit Windows side.
lumtra_system_wine() {
    local wine version
    wine=$(command -v wine 2>/dev/null) || return 1
    version=$("$wine" --version 2>/dev/null | sed -n 's/^wine-\([0-9]*\).*/\1/p')
    [[ -n $version && $version -ge 9 ]] || return 1
    compgen -G "/usr/lib/*/wine/i386-windows/ntdll.dll" >/dev/null || return 1
    echo "$wine"
}

# Makes the Debian 13 root with Wine 10 once. A root without its completion mark was left by an
# interrupted run and is made again from scratch.
lumtra_ensure_wine() {
    if [[ -z ${LUMTRA_WINE_SYSTEM:-} ]] && LUMTRA_WINE_SYSTEM=$(lumtra_system_wine); then
        export LUMTRA_WINE_SYSTEM
    fi
    [[ -n ${LUMTRA_WINE_SYSTEM:-} ]] && return 0
    local root=$LUMTRA_WINE_CHROOT
    [[ -f $root/.lumtra-ready ]] && { lumtra_ensure_wine_locale; return; }
    lumtra_need_root || return 1
    if [[ -e $root ]]; then
        echo "The Wine 10 root $root was left half-made (an interrupted first run?); making it again."
        lumtra_sudo rm -rf --one-file-system "$root"
        rm -rf "$WINEPREFIX" # a prefix is tied to the Wine that made it
    fi
    echo "Making a Debian 13 root with Wine 10 for 32-bit and 64-bit Windows programs (once, about 2 minutes)..."
    mkdir -p "$LUMTRA_WINE_DIR"
    local t0=$SECONDS
    lumtra_sudo debootstrap --variant=minbase trixie "$root" "$LUMTRA_DEBIAN_MIRROR" \
        >"$LUMTRA_WINE_DIR/debootstrap.log" 2>&1 ||
        { echo "debootstrap failed; see $LUMTRA_WINE_DIR/debootstrap.log" >&2; return 1; }
    lumtra_sudo mount -t proc proc "$root/proc" &&
        lumtra_sudo chroot "$root" /bin/sh -ec '
            export DEBIAN_FRONTEND=noninteractive
            dpkg --add-architecture i386
            apt-get update -q
            apt-get install -y -q --no-install-recommends wine64
            # The amd64 package leaves the 32-bit Windows side of WoW64 empty: take it from the
            # i386 library package, unpacked only (its Linux part cannot run here).
            cd /tmp && rm -rf libwine-i386 && mkdir libwine-i386 && cd libwine-i386
            apt-get download libwine:i386
            dpkg -x libwine_*_i386.deb x
            mkdir -p /usr/lib/x86_64-linux-gnu/wine/i386-windows
            cp -a x/usr/lib/i386-linux-gnu/wine/i386-windows/. /usr/lib/x86_64-linux-gnu/wine/i386-windows/
            cd /tmp && rm -rf libwine-i386
            apt-get clean
            test -x /usr/lib/wine/wine64 && test -x /usr/lib/wine/wineserver64
            test -f /usr/lib/x86_64-linux-gnu/wine/i386-windows/ntdll.dll' \
            >"$LUMTRA_WINE_DIR/wine-install.log" 2>&1
    local rc=$?
    lumtra_sudo umount "$root/proc" 2>/dev/null
    [[ $rc == 0 ]] || { echo "installing Wine 10 in the root failed; see $LUMTRA_WINE_DIR/wine-install.log" >&2; return 1; }
    lumtra_sudo touch "$root/.lumtra-ready"
    echo "Wine 10 root ready in $((SECONDS - t0)) s."
    lumtra_ensure_wine_locale
}

# The Russian UTF-8 locale inside the root, once. Wine takes the code page of Windows programs
# (1251) from LC_ALL's name alone, but converts file names with the real locale: without it a file
# named in any alphabet but ASCII cannot be made. A root made before this step gets it added.
lumtra_ensure_wine_locale() {
    local root=$LUMTRA_WINE_CHROOT
    [[ -f $root/.lumtra-locale ]] && return 0
    lumtra_need_root || return 1
    echo "Adding the ru_RU.UTF-8 locale to the Wine root (once)..."
    lumtra_sudo mount -t proc proc "$root/proc" &&
        lumtra_sudo chroot "$root" /bin/sh -ec '
            export DEBIAN_FRONTEND=noninteractive
            apt-get update -q
            apt-get install -y -q --no-install-recommends locales
            echo "ru_RU.UTF-8 UTF-8" >/etc/locale.gen
            locale-gen
            apt-get clean
            locale -a | grep -qi "^ru_RU.utf8$"' \
            >"$LUMTRA_WINE_DIR/locale-install.log" 2>&1
    local rc=$?
    lumtra_sudo umount "$root/proc" 2>/dev/null
    [[ $rc == 0 ]] || { echo "adding the locale to the root failed; see $LUMTRA_WINE_DIR/locale-install.log" >&2; return 1; }
    # A new ready mark: an emulated machine copied from the root before is made again.
    lumtra_sudo touch "$root/.lumtra-locale" "$root/.lumtra-ready"
}

# The mounts the root needs for one run: processes, devices, the display's sockets and this
# project (at the same path, so Z: paths and the prefix are the same inside and out).
lumtra_mount_wine() {
    [[ -n ${LUMTRA_WINE_SYSTEM:-} ]] && return 0
    local root=$LUMTRA_WINE_CHROOT
    mountpoint -q "$root/proc" && return 0
    [[ -n ${LUMTRA_IN_NAMESPACE:-} ]] || { echo "internal: Wine mounts outside the tool's namespace" >&2; return 1; }
    mkdir -p "$root/tmp/.X11-unix" "$root$LUMTRA_ROOT" /tmp/.X11-unix
    mount -t proc proc "$root/proc" &&
        mount --rbind /dev "$root/dev" &&
        mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
        mount --bind "$LUMTRA_ROOT" "$root$LUMTRA_ROOT"
}

# Undoes lumtra_mount_wine (and the test folders under the project's mount) before the root is
# copied or used otherwise; the Wine server must have stopped.
lumtra_unmount_wine() {
    [[ -n ${LUMTRA_WINE_SYSTEM:-} ]] && return 0
    local root=$LUMTRA_WINE_CHROOT m
    for m in "$root$LUMTRA_ROOT" "$root/tmp/.X11-unix" "$root/dev" "$root/proc"; do
        if mountpoint -q "$m"; then umount -R "$m" || return 1; fi
    done
}

# Folders the tests of where settings live need and cannot make themselves, under
# build/test-mounts as Wine sees it: plugins (writable), plugins-ro (the same folder through a
# read-only bind mount: what a normal user meets under Program Files; root ignores permissions,
# not a read-only mount) and full (a small tmpfs the tests fill to the last byte). They vanish
# with the tool's namespace.
lumtra_mount_test_folders() {
    [[ -n ${LUMTRA_IN_NAMESPACE:-} ]] || return 0
    local base="$LUMTRA_ROOT/build/test-mounts"
    [[ -n ${LUMTRA_WINE_SYSTEM:-} ]] || base="$LUMTRA_WINE_CHROOT$base"
    mkdir -p "$base/plugins" "$base/plugins-ro" "$base/full" || return 1
    mountpoint -q "$base/plugins-ro" && return 0
    mount --bind "$base/plugins" "$base/plugins-ro" &&
        mount -o remount,bind,ro "$base/plugins-ro" &&
        mount -t tmpfs -o size=16m tmpfs "$base/full" ||
        { echo "could not mount the test folders under $base" >&2; return 1; }
}

# LUMTRA_PREBUILT=1: the trees under build/ were made elsewhere (tools/vm32's emulated machine
# has no compilers) and are used as they are.
lumtra_build() {
    [[ -n ${LUMTRA_PREBUILT:-} ]] && return 0
    local preset
    for preset in win32 win64; do
        cmake --preset "$preset" >/dev/null || return 1
        cmake --build --preset "$preset" || return 1
    done
}

# Everything a tool needs before it runs Windows programs: its namespace, the packages, Wine.
lumtra_prepare() {
    [[ -n ${LUMTRA_PREBUILT:-} ]] && return 0
    lumtra_ensure_packages || return 1
    lumtra_ensure_wine || return 1
}

# Whether this machine's kernel lets a 64-bit process run 32-bit code, which Wine's WoW64 mode
# needs for every 32-bit Windows program. Some kernels have their 32-bit code segment switched off
# (ia32 emulation disabled): a far call into it faults. Asked anew in every run (a build tree may
# move between machines) with a tiny probe of our own: a far call into that segment, to a far
# return that lies in the code (data is not executable), on a stack below 4 GiB (32-bit code
# addresses the stack by its low half). It exits 0 where 32-bit code runs and faults elsewhere.
lumtra_runs_32bit_code() {
    if [[ -z ${LUMTRA_RUNS_32BIT:-} ]]; then
        local probe="$LUMTRA_ROOT/build/ia32-probe"
        rm -f "$probe"
        if mkdir -p "$LUMTRA_ROOT/build" && command -v cc >/dev/null &&
            cc -O0 -static -no-pie -x c -o "$probe" - 2>/dev/null <<'CODE'
#include <stdint.h>
#include <sys/mman.h>
__asm__(".text\n.globl ia32_probe_return\nia32_probe_return:\n\tlretl\n");
static struct { uint32_t offset; uint16_t selector; } __attribute__((packed)) ia32_probe_to;
static uint64_t ia32_probe_rsp;
extern char ia32_probe_return[];
int main(void) {
    char *stack = mmap(0, 65536, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    if (stack == MAP_FAILED || (uintptr_t)ia32_probe_return > 0xffffffffu) return 2;
    ia32_probe_to.offset = (uint32_t)(uintptr_t)ia32_probe_return;
    ia32_probe_to.selector = 0x23; /* the 32-bit user code segment */
    /* The stack pointer is kept in memory: 32-bit code leaves the registers' upper halves undefined. */
    __asm__ volatile("mov %%rsp, ia32_probe_rsp(%%rip)\n\t"
                     "mov %0, %%rsp\n\t"
                     "lcalll *ia32_probe_to(%%rip)\n\t"
                     "mov ia32_probe_rsp(%%rip), %%rsp"
                     :: "r"(stack + 65536 - 64) : "memory");
    return 0;
}
CODE
        then
            if { "$probe"; } >/dev/null 2>&1; then LUMTRA_RUNS_32BIT=yes; else LUMTRA_RUNS_32BIT=no; fi
        else
            # Safe either way: the emulated machine runs the 32-bit programs wherever they run.
            echo "NOTE: the probe for 32-bit code could not be compiled (no C compiler or static C" >&2
            echo "library?); assuming this kernel refuses 32-bit code." >&2
            LUMTRA_RUNS_32BIT=no
        fi
        export LUMTRA_RUNS_32BIT
    fi
    [[ $LUMTRA_RUNS_32BIT == yes ]]
}

# The presets whose Windows programs can run here: both, or win64 alone (said once, with why).
lumtra_runnable_presets() {
    if lumtra_runs_32bit_code; then
        echo "win32 win64"
    else
        echo "win64"
    fi
}

# Says so when 32-bit code cannot run here, with what the tool does instead ($1).
lumtra_say_no_32bit() {
    lumtra_runs_32bit_code && return 0
    echo "NOTE: this machine's kernel refuses 32-bit code (a far call into its 32-bit code segment"
    echo "faults: ia32 emulation is off), so Wine cannot run any 32-bit Windows program here."
    echo "${1:-The win32 build is measured only by tools/vm32 bench|soak, in an emulated machine.}"
}

LUMTRA_XVFB_PID=
# Starts a private virtual display and a persistent Wine server for this run.
lumtra_start_desktop() {
    lumtra_mount_wine || return 1
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
    # A prefix made where 32-bit code cannot run has no 32-bit side: one made on the other kind
    # of machine (a build tree carried over) is made again, as is one left half-made.
    local made_for=ia32=no
    lumtra_runs_32bit_code && made_for=ia32=yes
    if [[ -d $WINEPREFIX && $(cat "$WINEPREFIX/.lumtra-ready" 2>/dev/null) != "$made_for" ]]; then
        echo "The Wine prefix $WINEPREFIX was left half-made or made on another kind of machine; making it again."
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    # A server left by an earlier run of this prefix would serve this run without being
    # persistent; stop it first.
    "$LUMTRA_ROOT/tools/wine-run" --server -k 2>/dev/null || true
    "$LUMTRA_ROOT/tools/wine-run" --server -w 2>/dev/null || true
    "$LUMTRA_ROOT/tools/wine-run" --server -p || { echo "could not start the Wine server" >&2; return 1; }
    [[ -f $WINEPREFIX/.lumtra-ready ]] || echo "Creating the Wine prefix (once)..."
    # Booting here starts Wine's own services with harmless output; started later by a test,
    # they would hold ctest's pipes open and stall it.
    "$LUMTRA_ROOT/tools/wine-run" wineboot -i </dev/null >/dev/null 2>&1 ||
        { echo "wineboot failed" >&2; return 1; }
    echo "$made_for" >"$WINEPREFIX/.lumtra-ready"
    return 0
}

lumtra_stop_desktop() {
    "$LUMTRA_ROOT/tools/wine-run" --server -k 2>/dev/null || true
    "$LUMTRA_ROOT/tools/wine-run" --server -w 2>/dev/null || true
    [[ -n $LUMTRA_XVFB_PID ]] && kill "$LUMTRA_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# "file, PE32 i386" for the DLL a tool is about to use.
lumtra_describe_pe() {
    local format
    format=$(x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null | sed -n 's/^.*file format //p' | head -1)
    case $format in
    pei-i386) echo "$1 (PE32, i386)" ;;
    pei-x86-64) echo "$1 (PE32+, x86_64)" ;;
    *) echo "$1 ($format)" ;;
    esac
}
