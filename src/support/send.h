// Every message to a window that may belong to another program goes through here, so that a
// client which stops answering cannot freeze Winamp.
#pragma once
#include <windows.h>

// How long one message to another program may take before its window counts as hung.
inline constexpr UINT SendTimeoutMs = 1500;

// SendMessageA with a bounded wait. For a responsive window the order and effect are those of
// SendMessageA; a window that does not answer yields 0. Inside a pass (below), a window whose
// thread has already failed to answer is not sent anything more and yields 0 at once.
LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

// One pass over the clients (an update, a restore). A client that does not answer within the
// pass is treated as gone until the pass ends, so a hung client costs one time-out per pass
// rather than one per message. Passes may nest; the outermost one clears the record.
class TSendPass {
  public:
    TSendPass();
    ~TSendPass();
    TSendPass(const TSendPass&) = delete;
    TSendPass& operator=(const TSendPass&) = delete;
};

// Whether h belongs to a thread that failed to answer during the current pass.
bool IsUnanswering(HWND h);
