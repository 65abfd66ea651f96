// The DLL users install must load on Windows XP SP3, whose kernel32 has no GetTickCount64. Our
// own code does not call it, but the statically linked thread runtime does (C++ static-local
// guards reach its timed waits), and an import the XP loader cannot resolve makes Winamp drop the
// whole plugin. This file defines that import's slot itself, so the linker takes ours instead of
// kernel32's: the real function where the system has one, else a 64-bit count made from
// GetTickCount. Only the 32-bit build needs it; the x86_64 twin's floor is Windows 7.
#include <windows.h>

#if !defined(_WIN64)

namespace {

// GetTickCount widened by counting its wraps (every 49.7 days). The last reading and the number
// of wraps live in one 64-bit word updated with a compare-exchange, so threads never see a wrap
// twice or miss one, as long as each thread asks at least once per 49 days.
volatile unsigned long long lastTick = 0; // high half: wraps seen, low half: last GetTickCount

ULONGLONG CountedTickCount() {
    for (;;) {
        unsigned long long seen = __atomic_load_n(&lastTick, __ATOMIC_SEQ_CST);
        const DWORD now = GetTickCount();
        unsigned long long wraps = seen >> 32;
        if (now < static_cast<DWORD>(seen)) ++wraps;
        const unsigned long long next = (wraps << 32) | now;
        if (next == seen || __atomic_compare_exchange_n(&lastTick, &seen, next, false,
                                                        __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST))
            return next;
    }
}

using TickCount64Fn = ULONGLONG(WINAPI*)();

// No static local here: its guard would itself reach the runtime's timed waits. Threads that
// race on the first call resolve the same answer.
volatile LONG resolved = 0;
TickCount64Fn systemTickCount64 = nullptr;

ULONGLONG WINAPI TickCount64() {
    if (!__atomic_load_n(&resolved, __ATOMIC_ACQUIRE)) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        TickCount64Fn fn = kernel ? reinterpret_cast<TickCount64Fn>(reinterpret_cast<void*>(
                                        GetProcAddress(kernel, "GetTickCount64")))
                                  : nullptr;
        __atomic_store_n(&systemTickCount64, fn, __ATOMIC_RELAXED);
        __atomic_store_n(&resolved, 1, __ATOMIC_RELEASE);
    }
    TickCount64Fn fn = __atomic_load_n(&systemTickCount64, __ATOMIC_RELAXED);
    return fn ? fn() : CountedTickCount();
}

} // namespace

// The import slot the runtime's code calls through.
extern "C" {
TickCount64Fn lumtraTickCount64Slot __asm__("__imp__GetTickCount64@0") = TickCount64;
}

#endif
