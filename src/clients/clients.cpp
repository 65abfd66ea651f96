#include "clients/clients.h"

#include "clients/qip.h"
#include "clients/rnq.h"
#include "clients/slots.h"
#include "settings/settings.h"
#include "support/unicode.h"
#include "transport/send.h"
#include "transport/window_memo.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

#include <utility>
#include <vector>

TICQClient QIPClient;
TICQClient RnQClient;
std::array<TICQClient, 2> ICQClients;

void InitClientKinds() {
    QIPClient = TICQClient{"TMainForm", "", "TCusForm", "", &GetChilds_QIP, &SetStatus_QIP};
    RnQClient = TICQClient{"TRnQmain", "", "TxStatusForm", "", &GetChilds_RnQ, &SetStatus_RnQ};
    ICQClients = {QIPClient, RnQClient};
}

namespace {
const TICQClient* KindOf(HWND wind) {
    const std::string cls = sGetWindowClass(wind);
    for (const TICQClient& c : ICQClients)
        if (!cls.empty() && cls == c.szStatusClass) return &c;
    return nullptr;
}

// R&Q's main windows by process, looked for once per update and only when a form's main window
// is needed at all.
struct TRnQMains {
    bool searched = false;
    std::vector<std::pair<DWORD, HWND>> byProcess; // in enumeration order
};

// The R&Q main window of the form's process when there is one (the last in enumeration order
// wins), otherwise the form's owner.
HWND MainWindowOf(HWND form, TRnQMains& mains) {
    if (!mains.searched) {
        mains.searched = true;
        TWindowsAr ww = nilTWindowsAr;
        AddClassName(ww.szClass, RnQClient.szMainClass);
        FindTopLevelWindows(ww);
        for (int i = 0; i < ww.wwCounter; ++i) {
            const HWND h = ww.windows[static_cast<size_t>(i)];
            DWORD pid = 0;
            MemoThreadId(h, &pid);
            if (pid != 0) mains.byProcess.emplace_back(pid, h);
        }
    }
    DWORD formPid = 0;
    MemoThreadId(form, &formPid);
    for (auto it = mains.byProcess.rbegin(); it != mains.byProcess.rend(); ++it)
        if (it->first == formPid) return it->second;
    return GetParent(form);
}

// All running clients, or only those whose main-window title contains the user's text
// (typically the account number the client shows there). Case-sensitive; empty never matches.
bool Selected(HWND form, TRnQMains& mains) {
    if (GetControlValueB(IDC_AllQIP)) return true;
    // The title is the system's ANSI text.
    const std::string custom = AnsiFromUtf8(GetControlValueT(IDC_CustomQIP));
    return !custom.empty() &&
           sGetWindowTitle(MainWindowOf(form, mains)).find(custom) != std::string::npos;
}
} // namespace

std::string MainWindowTitle(HWND form) {
    TRnQMains mains;
    const TICQClient* kind = KindOf(form);
    const bool rnq = kind && kind->szStatusClass == RnQClient.szStatusClass;
    const HWND main = rnq ? MainWindowOf(form, mains) : GetParent(form);
    char title[1024] = {};
    // Another program's title is read from the system, without asking its window.
    if (main) GetWindowTextA(main, title, sizeof title);
    return title;
}

TStatusWindow GetChilds(HWND wind, HWND parent) {
    const TICQClient* kind = KindOf(wind);
    return kind && kind->GetChilds ? kind->GetChilds(wind, parent) : nilTStatusWindows;
}

bool ControlsIntact(HWND form, const TStatusWindow& c) {
    // Asked of the system itself, not of the update's memo: the point is what changed since. The
    // form is a top-level window, so a control still on it has the form for its root; one that is
    // gone has none, and one moved elsewhere another. One request per control (IsChild costs
    // Wine's server a request for every window on the way up).
    for (HWND h : {c.wStatus, c.wLongStatus, c.wOK, c.wCombo})
        if (h && GetAncestor(h, GA_ROOT) != form) return false;
    return true;
}

TStatusText CurrentStatusText() {
    return TStatusText{ps.Picture, ps.Status, ps.LongStatus};
}

TOutcome SetStatus(HWND wParent, const TStatusText& text) {
    const TICQClient* kind = KindOf(wParent);
    return kind && kind->SetStatus ? kind->SetStatus(wParent, text) : TOutcome::Refused;
}

bool SetText() {
    // One piece of client work, which bounds every message and the update as a whole. While
    // other client work is under way (this update was reached from inside its wait), none starts.
    const TClientWork work(TWorkKind::Update);
    if (!work.Granted()) return true;
    // Each window's ids, class and existence are asked once in the update.
    TWindowMemo memo;
    // What this update sets, fixed now: nothing that runs while it waits can change it.
    const TStatusText text = CurrentStatusText();
    TWindowsAr forms = nilTWindowsAr;
    for (const TICQClient& c : ICQClients)
        AddClassName(forms.szClass, c.szStatusClass);
    if (FindTopLevelWindows(forms) == 0) return true;
    // Every client is asked at once whether it answers: several hung ones cost one wait together.
    ProbeClients(forms.windows.data(), forms.wwCounter);

    if (work.Ended()) return true;

    // While statuses are kept, a form is changed only once its own is stored (or no slot is free).
    const bool keep = GetControlValueB(IDC_SaveRestore);
    const std::vector<bool> mayChange =
        keep ? StoreStatuses(forms) : std::vector<bool>(forms.wwCounter, true);
    // The clients this update will serve: stored, answering, and chosen by the main window's
    // title. The journal hears of these only: one skipped or left out keeps its entry as it was.
    TRnQMains mains;
    std::vector<bool> willChange(mayChange.size(), false);
    for (size_t i = 0; i < willChange.size(); ++i) {
        const HWND form = forms.windows[i];
        if (!mayChange[i] || IsUnanswering(form)) continue;
        // A client that stops answering while its main window is asked is left for the next
        // update.
        const TClientCall call;
        willChange[i] = Selected(form, mains) && ClientAnswering();
    }
    if (keep) NoteIntended(forms, willChange, text);

    bool reachedAll = true;
    for (int i = 0; i < forms.wwCounter && !work.Ended(); ++i) {
        const HWND form = forms.windows[static_cast<size_t>(i)];
        if (!willChange[static_cast<size_t>(i)] || IsUnanswering(form)) continue;
        // A client that stops answering in its status is left for the next update.
        const TClientCall call;
        const TOutcome outcome = ClientAnswering() ? SetStatus(form, text) : CallOutcome();
        if (outcome == TOutcome::Cut) reachedAll = false;
        if (keep) NoteOutcome(form, outcome);
    }
    return reachedAll;
}
