#include "clients/clients.h"

#include "clients/qip.h"
#include "clients/rnq.h"
#include "clients/slots.h"
#include "report/last_update.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"
#include "transport/send.h"
#include "transport/window_memo.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

#include <algorithm>
#include <iterator>
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
// The kinds as the user knows them.
constexpr char QIPName[] = "QIP";
constexpr char RnQName[] = "R&Q";

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
void SearchMains(TRnQMains& mains) {
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
}

HWND MainWindowOf(HWND form, TRnQMains& mains) {
    SearchMains(mains);
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

namespace {
// Asked of the system, also for a client that does not answer: the report names it all the same.
bool IsRnQForm(HWND form) {
    return form && MemoClassName(form) == RnQClient.szStatusClass;
}

// The R&Q main windows are searched for once per update.
HWND MainWindowIn(HWND form, TRnQMains& mains) {
    return IsRnQForm(form) ? MainWindowOf(form, mains) : GetParent(form);
}

// Another program's title is read from the system, without asking its window.
std::string TitleU8(HWND main) {
    wchar_t title[1024] = {};
    if (main) GetWindowTextW(main, title, static_cast<int>(std::size(title)));
    return Utf8Of(title, wcsnlen(title, std::size(title)));
}

// The client-name choice's text while it is the one in force.
std::string LookedFor() {
    return GetControlValueB(IDC_AllQIP) ? std::string() : GetControlValueT(IDC_CustomQIP);
}

// What the update showed, on one line: the long status, else the caption it set, else the
// tray's text.
std::string ShownTrack(const TStatusText& text) {
    std::string shown = GetControlValueB(IDC_SetLongStatus) ? text.longStatus : std::string();
    if (shown.empty() && GetControlValueB(IDC_SetStatus)) shown = text.status;
    if (shown.empty()) shown = StringCPP2String(ps.Tray);
    shown = StringReplace(shown, "\r\n", "\n", rfReplaceAll);
    return StringReplace(shown, "\n", " / ", rfReplaceAll);
}

// What the update's messages to one client came to, as the user is told it.
TClientResult ResultOf(HWND form, TOutcome outcome, TFormEffect effect) {
    switch (outcome) {
    case TOutcome::Done:
        return effect == TFormEffect::AlreadyShown      ? TClientResult::Unchanged
               : effect == TFormEffect::ConditionsUnmet ? TClientResult::Conditions
                                                        : TClientResult::Set;
    case TOutcome::Skipped:
        return StatusHeld(form) ? TClientResult::SkippedStored : TClientResult::Skipped;
    case TOutcome::Refused:
        if (effect == TFormEffect::FormClosed) return TClientResult::FormClosed;
        if (effect == TFormEffect::FormNotOpened) return TClientResult::FormNotOpened;
        return IsWindow(form) ? TClientResult::NotReached : TClientResult::Gone;
    case TOutcome::Cut:
    case TOutcome::Abandoned: break;
    }
    return TClientResult::NotReached;
}

// A form whose status could not be stored, by how its reading ended. One that answered has no
// status to read: a QIP form that is closed, or one whose controls went meanwhile.
TClientResult ResultOfUnread(HWND form, TOutcome outcome) {
    if (outcome != TOutcome::Done) return ResultOf(form, outcome, TFormEffect::None);
    if (IsRnQForm(form)) return ResultOf(form, TOutcome::Refused, TFormEffect::None);
    return GetControlValueB(IDC_AllowOpen) ? TClientResult::FormNotOpened
                                           : TClientResult::FormClosed;
}

// R&Q's main windows whose process has no status form: the builds that make it only while the
// user has it open. Each is told once, however many main windows its process has.
void AddMainsWithoutForm(const TWindowsAr& forms, TRnQMains& mains, TLastUpdate& report) {
    SearchMains(mains);
    std::vector<DWORD> told; // processes with an R&Q form
    for (int i = 0; i < forms.wwCounter; ++i) {
        const HWND form = forms.windows[static_cast<size_t>(i)];
        DWORD pid = 0;
        if (IsRnQForm(form)) MemoThreadId(form, &pid);
        if (pid != 0) told.push_back(pid);
    }
    for (const auto& [pid, main] : mains.byProcess) {
        if (std::find(told.begin(), told.end(), pid) != told.end()) continue;
        told.push_back(pid);
        report.clients.push_back({RnQName, TitleU8(main), TClientResult::NoForm});
    }
}
} // namespace

std::string ClientKindName(const std::string& formClass) {
    return formClass == RnQClient.szStatusClass ? RnQName : QIPName;
}

std::string MainWindowTitle(HWND form) {
    TRnQMains mains;
    const HWND main = MainWindowIn(form, mains);
    char title[1024] = {};
    // Another program's title is read from the system, without asking its window.
    if (main) GetWindowTextA(main, title, sizeof title);
    return title;
}

std::string MainWindowTitleU8(HWND form) {
    TRnQMains mains;
    return TitleU8(MainWindowIn(form, mains));
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

TOutcome SetStatus(HWND wParent, const TStatusText& text, TFormEffect* effect) {
    if (effect) *effect = TFormEffect::None;
    const TICQClient* kind = KindOf(wParent);
    return kind && kind->SetStatus ? kind->SetStatus(wParent, text, effect) : TOutcome::Refused;
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
    TLastUpdate report;
    report.track = ShownTrack(text);
    report.lookedFor = LookedFor();
    TRnQMains mains;
    TWindowsAr forms = nilTWindowsAr;
    for (const TICQClient& c : ICQClients)
        AddClassName(forms.szClass, c.szStatusClass);
    if (FindTopLevelWindows(forms) == 0) {
        AddMainsWithoutForm(forms, mains, report);
        PublishUpdate(std::move(report));
        return true;
    }
    // Every client is asked at once whether it answers: several hung ones cost one wait together.
    ProbeClients(forms.windows.data(), forms.wwCounter);

    // A restore took over: it tells what it did.
    if (work.Ended()) return true;

    const size_t count = static_cast<size_t>(forms.wwCounter);
    // Until something else is known, a form counts as not reached.
    std::vector<TClientResult> results(count, TClientResult::NotReached);
    // While statuses are kept, a form is changed only once its own is stored (or no slot is free).
    const bool keep = GetControlValueB(IDC_SaveRestore);
    std::vector<TOutcome> unread(count, TOutcome::Done);
    const std::vector<bool> mayChange =
        keep ? StoreStatuses(forms, &unread) : std::vector<bool>(count, true);
    // The clients this update will serve: stored, answering, and chosen by the main window's
    // title. The journal hears of these only: one skipped or left out keeps its entry as it was.
    std::vector<bool> willChange(count, false);
    for (size_t i = 0; i < count; ++i) {
        const HWND form = forms.windows[i];
        if (!mayChange[i]) {
            results[i] = ResultOfUnread(form, unread[i]);
            continue;
        }
        if (IsUnanswering(form)) {
            results[i] = ResultOf(form, TOutcome::Skipped, TFormEffect::None);
            continue;
        }
        // A client that stops answering while its main window is asked is left for the next
        // update.
        const TClientCall call;
        const bool selected = Selected(form, mains);
        willChange[i] = selected && ClientAnswering();
        if (!ClientAnswering())
            results[i] = ResultOf(form, CallOutcome(), TFormEffect::None);
        else if (!selected)
            results[i] = TClientResult::LeftOut;
    }
    if (keep) NoteIntended(forms, willChange, text);

    bool reachedAll = true;
    for (size_t i = 0; i < count && !work.Ended(); ++i) {
        const HWND form = forms.windows[i];
        if (!willChange[i]) continue;
        if (IsUnanswering(form)) {
            results[i] = ResultOf(form, TOutcome::Skipped, TFormEffect::None);
            continue;
        }
        // A client that stops answering in its status is left for the next update.
        const TClientCall call;
        TFormEffect effect = TFormEffect::None;
        const TOutcome outcome = ClientAnswering() ? SetStatus(form, text, &effect) : CallOutcome();
        if (outcome == TOutcome::Cut) reachedAll = false;
        if (keep) NoteOutcome(form, outcome);
        results[i] = ResultOf(form, outcome, effect);
    }
    if (work.Ended()) return reachedAll;
    for (size_t i = 0; i < count; ++i) {
        const HWND form = forms.windows[i];
        report.clients.push_back(
            {ClientKindName(MemoClassName(form)), TitleU8(MainWindowIn(form, mains)), results[i]});
    }
    AddMainsWithoutForm(forms, mains, report);
    PublishUpdate(std::move(report));
    return reachedAll;
}
