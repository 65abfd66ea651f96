// Every message to a window that may belong to another program goes through here, so that a
// client which stalls, hangs, refuses or vanishes cannot freeze Winamp.
//
// Messages are sent from Winamp's own thread with SendMessageTimeoutA, which bounds each of them
// and answers whatever other programs send to Winamp meanwhile. Each client thread is first asked
// whether it answers at all, all of them at once (transport/probe.h); one that misses a limit
// counts as hung and is skipped until it is heard again.
//
// Client work (an update with its store step, or a restore) is one piece at a time: whatever
// arrives while a piece waits for a client never starts another piece inside it, except a
// restore (a switch-off, quit), which ends the piece under way first and then runs on its own.
#pragma once
#include <windows.h>
#include <vector>

// How long one message to another program may take during an update, and the whole update; the
// same during a restore, where the stored statuses are worth a longer wait.
struct TTimeLimits {
    DWORD sendMs = 1500;
    DWORD updateMs = 2000;
    DWORD restoreSendMs = 5000;
    DWORD restoreMs = 10000;
};
// What the plugin goes by: the defaults. Tests on a machine many times slower than any user's (an
// emulated one) stretch them all alike, so that an update's own work fits in it as here.
extern TTimeLimits TimeLimits;

// How one client's part of a piece of work ended.
enum class TOutcome {
    Done,      // every message was answered
    Cut,       // the piece ran out of time before it
    Skipped,   // the client counts as hung, or has just missed its limit
    Refused,   // a message was refused at once: the window is gone, or access was denied
    Abandoned, // a restore that arrived meanwhile ended the piece
};

enum class TWorkKind { Update, Restore };

// One piece of client work, with its limits. An update is not granted while other work is under
// way; a restore always is, and ends whatever is under way below it.
class TClientWork {
  public:
    explicit TClientWork(TWorkKind kind);
    ~TClientWork();
    TClientWork(const TClientWork&) = delete;
    TClientWork& operator=(const TClientWork&) = delete;

    bool Granted() const { return granted_; }
    // A restore that arrived while this piece waited has ended it: nothing more is sent in it,
    // and nothing it read or decided may be kept.
    bool Ended() const;

    struct TFrame {
        DWORD start = 0, perMessage = 0, total = 0;
        bool ended = false;
        std::vector<DWORD> answering; // client threads that answered the probe in this piece
        TFrame* outer = nullptr;
    };

  private:
    bool granted_ = false;
    TFrame frame_;
};

// Whether a piece of client work is under way (on this, Winamp's, thread).
bool ClientWorkUnderWay();
// Milliseconds left of the piece under way (0 once a restore has ended it); without one, the
// budget of an update.
DWORD WorkTimeLeft();

// The messages to one client within a piece of work. The first that is not answered ends the
// client's part: every later message of the call is not sent and yields 0.
class TClientCall {
  public:
    TClientCall();
    ~TClientCall();
    TClientCall(const TClientCall&) = delete;
    TClientCall& operator=(const TClientCall&) = delete;

    TOutcome Outcome() const { return outcome_; }

  private:
    friend struct TCallAccess;
    TOutcome outcome_ = TOutcome::Done;
    TClientWork::TFrame* frame_;
    TClientCall* outer_;
};

// How the current client call stands (Done outside any call).
TOutcome CallOutcome();
inline bool ClientAnswering() {
    return CallOutcome() == TOutcome::Done;
}

// SendMessageA with a bounded wait. For a window that answers, the order and effect are those of
// SendMessageA; otherwise 0, and the current call's outcome says why. Windows of this thread
// (the dialog's own controls) get a plain SendMessageA.
LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
// The same in the wide form, for the text messages of a Unicode window, which the ANSI form
// would pass through the code page: WM_GETTEXT's wParam and WM_GETTEXTLENGTH's answer count
// characters.
LRESULT SendToWindowW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

// Asks the threads of these windows whether they answer, all at once, before anything else is
// sent to them in this piece of work: several hung clients cost one limit together.
void ProbeClients(const HWND* windows, int count);

// Whether h belongs to a thread that counts as hung.
bool IsUnanswering(HWND h);

// quit: the prober ends; init: a new one may start.
void StopSending();
void AllowSending();
