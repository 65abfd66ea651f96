// Time limits measured with GetTickCount.
#pragma once
#include <windows.h>

// Milliseconds left of a span that began at start; unsigned differences survive the wrap of
// GetTickCount after 49 days.
inline DWORD Left(DWORD start, DWORD span) {
    const DWORD spent = GetTickCount() - start;
    return spent >= span ? 0 : span - spent;
}
