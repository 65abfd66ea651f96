// Every message to a window that may belong to another program goes through here, so that a
// client which stops answering cannot freeze Winamp.
#pragma once
#include <windows.h>

// How long one message to another program may take before its window counts as hung.
inline constexpr UINT SendTimeoutMs = 1500;

// SendMessageA with a bounded wait. For a responsive window the order and effect are those of
// SendMessageA; a window that does not answer yields 0.
LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
