#include "clients/qip.h"

#include "clients/form_messages.h"
#include "clients/slots.h"
#include "settings/settings.h"
#include "windows/desktop.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"
#include "transport/window_memo.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

namespace {
constexpr POINT OKClickPoint{1, 1};
// Where on QIP's main window a click opens the status form: from its bottom-right corner.
constexpr int OpenClickFromRight = 15;
constexpr int OpenClickFromBottom = 40;
constexpr DWORD AbsoluteLeftDown = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN; // 0x8002
constexpr DWORD AbsoluteLeftUp = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;     // 0x8004

// ShowWindow on another program's window waits for that program without a time-out; the
// asynchronous form shows the panel just the same, in order with the messages that follow,
// without letting a client that hangs now hang Winamp.
void ShowPanel(HWND panel) {
    if (MemoThreadId(panel) == GetCurrentThreadId())
        ShowWindow(panel, SW_SHOW);
    else
        ShowWindowAsync(panel, SW_SHOW);
}

// One look over the form's first 21 descendants. A failure ends it with what was found so far.
TStatusWindow SearchForm(HWND wind) {
    TStatusWindow r = nilTStatusWindows;
    auto take = [&r](HWND h, const std::string& cls, const std::string& caption) {
        if (cls == "TPanel") {
            // QIP keeps some panels hidden; every panel but the last is shown.
            if (IsWindowL(r.wPan)) ShowPanel(r.wPan);
            if (caption == "OK") r.wOK = h;
            r.wPan = h;
        }
        if (cls == "TComboBox") r.wCombo = h;
        if (cls == "TEdit") {
            if (!r.wLongStatus)
                r.wLongStatus = h;
            else
                r.wStatus = h;
        }
    };
    try {
        ForEachReadableDescendant(wind, take);
    } catch (...) {
    }
    return r;
}

// Puts the cursor and the foreground window back whatever happens in between, also when the
// click point lies on a monitor left of or above the primary one (negative coordinates).
class TDesktopRestorer {
  public:
    TDesktopRestorer() {
        haveCursor_ = Desktop.GetCursorPos(&cursor_) != FALSE;
        foreground_ = Desktop.GetForegroundWindow();
    }
    ~TDesktopRestorer() {
        try {
            Desktop.SetForegroundWindow(foreground_);
            if (haveCursor_) Desktop.SetCursorPos(cursor_.x, cursor_.y);
        } catch (...) {
        }
    }
    TDesktopRestorer(const TDesktopRestorer&) = delete;
    TDesktopRestorer& operator=(const TDesktopRestorer&) = delete;

  private:
    POINT cursor_{};
    bool haveCursor_ = false;
    HWND foreground_ = nullptr;
};

// Whether a click at p reaches QIP's main window and nothing else: the window there is the main
// window or one of its children (not another program's window over it, always-on-top say, nor a
// dialog of QIP's own), the main window is shown and not minimized (a minimized window's
// rectangle lies far off the desktop), and p lies on a monitor. None of these asks QIP anything.
bool ClickLandsOn(HWND main, POINT p) {
    if (!IsWindowVisible(main) || IsIconic(main)) return false;
    if (!MonitorFromPoint(p, MONITOR_DEFAULTTONULL)) return false;
    const HWND there = WindowFromPoint(p);
    return there && GetAncestor(there, GA_ROOT) == main;
}

// A left click near the bottom-right corner of QIP's main window, which makes QIP open its
// status form. The click is only queued: the form it opens is mostly served at a later update.
// A point that is not QIP's gets no click: the form stays closed until an update finds it free.
void ClickToOpen(HWND main) {
    RECT r{};
    if (!GetWindowRect(main, &r)) return;
    const TDesktopRestorer restore;
    Desktop.SetForegroundWindow(main);
    const int x = r.right - OpenClickFromRight;
    const int y = r.bottom - OpenClickFromBottom;
    Desktop.SetCursorPos(x, y);
    // As late as can be: the window under the point may change up to the click itself.
    if (!ClickLandsOn(main, POINT{x, y})) return;
    // Without MOUSEEVENTF_MOVE the coordinates are ignored and the click lands at the cursor;
    // they are passed as the bits of the signed values so a negative point is clicked too.
    Desktop.mouse_event(AbsoluteLeftDown, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
    Desktop.mouse_event(AbsoluteLeftUp, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
}

void ClickOK(HWND ok) {
    if (IsWindowL(ok)) ButtonDown(ok, OKClickPoint);
    if (IsWindowL(ok)) ButtonUp(ok, MK_LBUTTON, OKClickPoint);
}
} // namespace

bool CaptionConditionHolds(const std::string& caption) {
    // The dialog labels the condition "status is set = [status caption]" and, while it is the
    // only condition, locks the status caption box: the user keeps one fixed caption in QIP
    // (say "Слушаю") and writes that same text in the box. So the reference is the box's text
    // itself, not this track's expanded caption, which changes with every track and, during a
    // restore, is the stored caption of the client under test.
    return SameTextU(caption, GetControlValueT(IDC_Status));
}

namespace {
// The form's controls. Only a form that answered every question and has no "OK" panel is opened:
// a client that does not answer is never clicked at. The window to click is asked for only then.
template <class Owner> TStatusWindow FindControls(HWND wind, Owner owner) {
    TStatusWindow r = SearchForm(wind);
    try {
        if (ClientAnswering() && !IsWindowL(r.wOK) && GetControlValueB(IDC_AllowOpen)) {
            const HWND parent = owner();
            if (IsWindowL(parent)) {
                ClickToOpen(parent);
                r = SearchForm(wind);
            }
        }
    } catch (...) {
    }
    return r;
}
} // namespace

TStatusWindow GetChilds_QIP(HWND wind, HWND parent) {
    return FindControls(wind, [parent] { return parent; });
}

TOutcome SetStatus_QIP(HWND wParent, const TStatusText& text, TFormEffect* effect) {
    const auto tell = [effect](TFormEffect e) {
        if (effect) *effect = e;
    };
    tell(TFormEffect::None);
    // The form's owner, QIP's main window, is what a forced opening clicks.
    const TStatusWindow c = FindControls(wParent, [wParent] { return GetParent(wParent); });
    if (!ClientAnswering()) return CallOutcome();
    if (!IsWindowL(c.wOK)) {
        // The form cannot take a status now.
        tell(GetControlValueB(IDC_AllowOpen) ? TFormEffect::FormNotOpened
                                             : TFormEffect::FormClosed);
        return TOutcome::Refused;
    }

    // Whether this client is to be changed now.
    bool b = GetControlValueB(IDC_IfAny);
    const int pic = ComboGetCurSel(c.wCombo);
    if (!b && GetControlValueB(IDC_IfPicture)) b = pic == QIPMusicPicture;
    const std::string caption = sGetControlText(c.wStatus);
    if (!b && GetControlValueB(IDC_IfStatus)) b = CaptionConditionHolds(caption);
    if (!ClientAnswering()) return CallOutcome();
    if (!b) {
        tell(TFormEffect::ConditionsUnmet);
        return CallOutcome();
    }
    // What the controls will show once given the texts, each in its own form.
    const TStatusText shows{text.picture, ControlShows(c.wStatus, text.status),
                            ControlShows(c.wLongStatus, text.longStatus)};

    // Whether it shows anything else than what is to be set.
    b = GetControlValueB(IDC_SetPicture) && pic != text.picture;
    if (!b && GetControlValueB(IDC_SetStatus)) b = !SameTextU(caption, shows.status);
    if (!b && GetControlValueB(IDC_SetLongStatus))
        b = !SameTextU(sGetControlText(c.wLongStatus), shows.longStatus);
    // Nothing is decided on what a client that stopped answering did not say, nor on what a
    // control replaced meanwhile said.
    if (!ClientAnswering()) return CallOutcome();
    if (!b) {
        tell(TFormEffect::AlreadyShown);
        return CallOutcome();
    }
    if (!ControlsIntact(wParent, c)) return TOutcome::Refused;
    // Restored at switch-off, now that it shows the plugin's status.
    if (!NoteChanged(wParent, shows, pic, caption)) return TOutcome::Cut;
    tell(TFormEffect::Changed);

    // A form the user has open is only filled in; the confirmation is left to the user.
    const bool hidden = !IsWindowVisible(wParent);
    if (hidden) {
        const int old = ComboGetCurSel(c.wCombo);
        if (GetControlValueB(IDC_Compatible)) {
            // Other clients only notice a change of picture: confirm picture 0 first.
            if (IsWindowL(c.wCombo)) ComboSetCurSel(c.wCombo, 0);
            ClickOK(c.wOK);
        }
        if (IsWindowL(c.wCombo)) ComboSetCurSel(c.wCombo, old);
    }
    if (IsWindowL(c.wCombo) && GetControlValueB(IDC_SetPicture))
        ComboSetCurSel(c.wCombo, text.picture);
    if (IsWindowL(c.wStatus) && GetControlValueB(IDC_SetStatus))
        EditSetText(c.wStatus, text.status);
    if (IsWindowL(c.wLongStatus) && GetControlValueB(IDC_SetLongStatus))
        EditSetText(c.wLongStatus, text.longStatus);
    if (hidden) ClickOK(c.wOK);
    return CallOutcome();
}
