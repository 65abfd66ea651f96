// Every message to a window that may belong to another program goes through here, so that a
// client which stops answering cannot freeze Winamp.
//
// The messages are sent by a thread of the plugin's own, the sender; Winamp's thread waits for it
// with a limit and meanwhile answers whatever is sent to it. A sender caught inside a message
// that outlives its limit is left behind (it ends when the client answers) and a new one takes
// over. The client's thread then counts as hung: nothing more is sent to it until a background
// probe sees it answer again.
#pragma once
#include <windows.h>
#include <functional>

// How long one message to another program may take during an update, and the whole update.
inline constexpr DWORD SendTimeoutMs = 1500;
inline constexpr DWORD UpdateBudgetMs = 2000;
// The same during a restore: the stored statuses are worth a longer wait.
inline constexpr DWORD RestoreSendTimeoutMs = 5000;
inline constexpr DWORD RestoreBudgetMs = 10000;

// SendMessageA with a bounded wait. For a responsive window the order and effect are those of
// SendMessageA; a window that does not answer, or whose thread counts as hung, yields 0.
// WM_GETTEXT and WM_SETTEXT buffers are copied, so a late answer never writes into the caller's.
LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

// One pass over the clients (an update, a restore): the limit of each message, and of all the
// waiting in the pass together. Each client thread is probed once per pass with WM_NULL before
// anything else reaches it. Passes may nest; the outermost one sets the limits.
class TSendPass {
  public:
    explicit TSendPass(DWORD perMessageMs = SendTimeoutMs, DWORD totalMs = UpdateBudgetMs);
    ~TSendPass();
    TSendPass(const TSendPass&) = delete;
    TSendPass& operator=(const TSendPass&) = delete;
};

// Runs work on the sender thread, all of it at once (a hand-off per client rather than per
// message); SendToWindow inside it sends directly. Winamp's thread waits, answering what is sent
// to it. False when the work did not run to its end: the pass had no time left, a message in it
// outlived its limit, or a hand-off is already under way (a message answered meanwhile). Work
// that is cut off never runs again, so it may use the caller's data freely.
bool RunOnSender(const std::function<void()>& work);

// Probes the threads of these windows with WM_NULL all at once, so that several hung clients
// cost one limit together rather than one each. Threads that do not answer count as hung.
void ProbeClients(const HWND* windows, int count);

// Whether h belongs to a thread that counts as hung.
bool IsUnanswering(HWND h);

// The sender thread is ended (quit): nothing is sent until AllowSending.
void StopSending();
void AllowSending();
