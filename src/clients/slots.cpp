#include "clients/slots.h"

#include "clients/clients.h"
#include "clients/form_messages.h"
#include "clients/journal.h"
#include "report/last_update.h"
#include "settings/settings.h"
#include "support/unicode.h"
#include "transport/send.h"
#include "transport/window_memo.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Whether the form's status can be read whole: a QIP form needs its "OK" panel.
bool Readable(HWND form, const TStatusWindow& c) {
    const std::string cls = sGetWindowClass(form);
    return (cls == QIPClient.szStatusClass && IsWindowL(c.wOK)) ||
           (cls == RnQClient.szStatusClass && IsWindowL(form));
}

TQIPState* SlotOf(HWND form) {
    for (TQIPState& s : ps.SaveData)
        if (form && s.wnd == form) return &s;
    return nullptr;
}

// Reads what the form shows now, with what the journal needs to know its client again. False
// when it cannot be read whole: cut off, a client that stopped answering, a restore arriving
// meanwhile, or a control that went or was replaced while it was read (it may have answered for
// another).
// How its messages ended goes to outcome: Done for a form that answered but cannot be read.
bool ReadShown(HWND form, TQIPState& read, TOutcome* outcome = nullptr) {
    const TClientCall call;
    const auto failed = [&call, outcome] {
        if (outcome) *outcome = call.Outcome();
        return false;
    };
    const TStatusWindow c = GetChilds(form, GetParent(form));
    if (!ClientAnswering() || !Readable(form, c)) return failed();
    read.prevPic = ComboGetCurSel(c.wCombo);
    read.prevStatus = sGetControlText(c.wStatus);
    read.prevLongStatus = sGetControlText(c.wLongStatus);
    if (call.Outcome() != TOutcome::Done || !ControlsIntact(form, c)) return failed();
    read.wnd = form;
    // Nothing set yet: the plugin's last word is what the form shows.
    read.setPic = read.prevPic;
    read.setStatus = read.prevStatus;
    read.setLongStatus = read.prevLongStatus;
    read.formClass = sGetWindowClass(form);
    MemoThreadId(form, &read.pid);
    read.mainTitle = MainWindowTitle(form);
    return true;
}

bool SameClient(const TQIPState& a, const TQIPState& b) {
    return a.formClass == b.formClass && a.mainTitle == b.mainTitle;
}

// The picture is part of what the plugin set where it can be read back (QIP's) and the plugin
// sets it; otherwise it is the user's, whatever it shows.
bool PictureCounts(const TQIPState& entry) {
    return entry.formClass == QIPClient.szStatusClass && GetControlValueB(IDC_SetPicture);
}

bool ShowsTexts(const TQIPState& entry, const TQIPState& shown, int32_t picture,
                const std::string& status, const std::string& longStatus) {
    return status == shown.prevStatus && longStatus == shown.prevLongStatus &&
           (!PictureCounts(entry) || picture == shown.prevPic);
}

// Whether the form, as read now, shows exactly what the plugin last set on the entry's client:
// what the client confirmed last, or what was announced for a change under way.
bool ShowsWhatWasSet(const TQIPState& entry, const TQIPState& shown) {
    if (!entry.changed && !entry.underWay) return false;
    return ShowsTexts(entry, shown, entry.setPic, entry.setStatus, entry.setLongStatus) ||
           (entry.underWay &&
            ShowsTexts(entry, shown, entry.nextPic, entry.nextStatus, entry.nextLongStatus));
}

// Which pending entry each form takes, decided over all forms together, best match first: the
// very window showing what was set, the very window showing something else, then a client of the
// same kind and main-window title showing what was set (restarted with the plugin's text, or its
// form re-created). One entry per form and one form per entry; -1 where none.
std::vector<int> MatchJournal(const std::vector<TQIPState>& shown,
                              const std::vector<TQIPState>& pending) {
    struct TPair {
        int rank;
        size_t form, entry;
    };
    std::vector<TPair> pairs;
    for (size_t f = 0; f < shown.size(); ++f)
        for (size_t e = 0; e < pending.size(); ++e) {
            const bool same = SameWindow(pending[e], shown[f]);
            const bool ours = ShowsWhatWasSet(pending[e], shown[f]);
            if (same || (ours && SameClient(pending[e], shown[f])))
                pairs.push_back({same ? (ours ? 0 : 1) : 2, f, e});
        }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const TPair& a, const TPair& b) { return a.rank < b.rank; });
    std::vector<int> match(shown.size(), -1);
    std::vector<bool> taken(pending.size(), false);
    for (const TPair& p : pairs)
        if (match[p.form] < 0 && !taken[p.entry]) {
            match[p.form] = static_cast<int>(p.entry);
            taken[p.entry] = true;
        }
    return match;
}

// A form read now, with the journal entry its slot starts from when one is its own.
struct TFound {
    TQIPState shown;
    bool fromJournal = false;
    TQIPState entry;
};

// Takes each form's journal entry out of the pending ones. A form keeps its entry only while it
// shows what the plugin set there; otherwise what it shows is the user's own now, and the
// entries of its client that no form took are dropped with the ones naming its very window.
std::vector<TFound> TakeFromJournal(const std::vector<TQIPState>& shown) {
    auto& pending = PendingJournalEntries();
    const std::vector<int> match = MatchJournal(shown, pending);
    std::vector<TFound> found(shown.size());
    std::vector<bool> drop(pending.size(), false);
    for (size_t f = 0; f < shown.size(); ++f) {
        found[f].shown = shown[f];
        if (match[f] < 0) continue;
        const size_t e = static_cast<size_t>(match[f]);
        drop[e] = true;
        if (!ShowsWhatWasSet(pending[e], shown[f])) continue;
        found[f].fromJournal = true;
        found[f].entry = pending[e];
        found[f].entry.wnd = shown[f].wnd;
        found[f].entry.pid = shown[f].pid;
    }
    for (size_t e = 0; e < pending.size(); ++e)
        for (size_t f = 0; f < shown.size() && !drop[e]; ++f)
            drop[e] = SameWindow(pending[e], shown[f]) ||
                      (!found[f].fromJournal && SameClient(pending[e], shown[f]));
    size_t e = 0;
    std::erase_if(pending, [&](const TQIPState&) { return drop[e++]; });
    return found;
}

TQIPState* FreeSlot() {
    for (TQIPState& s : ps.SaveData)
        if (!s.wnd) return &s;
    return nullptr;
}

// A changed client whose form is gone keeps its entry in the journal: it may start again
// showing the plugin's text.
void Forget(TQIPState& s) {
    if (s.changed && !IsWindow(s.wnd)) PendingJournalEntries().push_back(s);
    s = TQIPState{};
}
} // namespace

std::vector<bool> StoreStatuses(const TWindowsAr& forms, std::vector<TOutcome>* unread) {
    // Part of the update's work: the update holds the guard.
    // A slot whose form has gone is free again. A form that merely fails to answer in this
    // update keeps its slot, or its first status would be lost.
    bool news = false;
    for (TQIPState& s : ps.SaveData)
        if (s.wnd && !MemoIsWindow(s.wnd)) {
            Forget(s);
            news = true;
        }
    // Every new form is read first and matched with the journal as a whole, so that a client
    // never takes the entry of a look-alike that comes first in z-order.
    const size_t count = static_cast<size_t>(forms.wwCounter);
    std::vector<bool> mayChange(count, false);
    if (unread) unread->assign(count, TOutcome::Done);
    size_t free = 0;
    for (const TQIPState& s : ps.SaveData)
        free += s.wnd ? 0 : 1;
    std::vector<TQIPState> shown;
    std::vector<size_t> at;
    for (size_t i = 0; i < count; ++i) {
        const HWND form = forms.windows[i];
        if (SlotOf(form)) {
            mayChange[i] = true; // known; its first status is kept
        } else if (IsUnanswering(form)) {
            // stored once it answers again
            if (unread) (*unread)[i] = TOutcome::Skipped;
        } else if (shown.size() == free) {
            mayChange[i] = true; // no slot free: served all the same, unstored
        } else {
            // Stored whole or not at all: otherwise the form is tried again at the next update.
            TQIPState read;
            if (!ReadShown(form, read, unread ? &(*unread)[i] : nullptr)) continue;
            shown.push_back(read);
            at.push_back(i);
        }
    }
    const std::vector<TFound> found = TakeFromJournal(shown);
    for (size_t k = 0; k < found.size(); ++k) {
        *FreeSlot() = found[k].fromJournal ? found[k].entry : found[k].shown;
        mayChange[at[k]] = true;
        news = true;
    }
    // Not waited for here: the update waits once, before it changes the first client, within
    // what is left of its own time.
    if (news) HandOverJournal();
    return mayChange;
}

namespace {
// Puts the given slots' statuses back; see RestoreStatuses. False when a later restore took over.
// What it did to each is left behind for the user, and a status not given back stands as a
// failure until a restore gives every one back.
bool RestoreSlots(const TClientWork& work, const std::vector<TQIPState*>& slots) {
    std::vector<HWND> due;
    for (TQIPState* s : slots)
        due.push_back(s->wnd);
    // All at once: several clients that do not answer cost one wait together.
    ProbeClients(due.data(), static_cast<int>(due.size()));
    TLastUpdate report;
    report.restore = true;
    for (TQIPState* s : slots) {
        if (work.Ended()) return false; // a later restore took over, and owns the slots now
        const HWND form = s->wnd;
        // Read before its form may go; the journal's title stands in for a main window gone.
        std::string title = MainWindowTitleU8(form);
        if (title.empty()) title = Utf8FromAnsi(s->mainTitle);
        TClientLine line{ClientKindName(s->formClass), title, TClientResult::RestoreKept};
        if (!IsUnanswering(form)) { // otherwise kept for the next restore
            const TClientCall call;
            TFormEffect effect = TFormEffect::None;
            const TOutcome outcome =
                SetStatus(form, TStatusText{s->prevPic, s->prevStatus, s->prevLongStatus}, &effect);
            if (work.Ended()) return false;
            // Freed once the client has its status back, or its form is gone; anything else keeps
            // the slot for the next restore.
            if (outcome == TOutcome::Done)
                line.result = effect == TFormEffect::ConditionsUnmet ? TClientResult::Conditions
                                                                     : TClientResult::Restored;
            else if (!IsWindow(form))
                line.result = TClientResult::RestoreClosed;
            if (outcome == TOutcome::Done || !IsWindow(form)) Forget(*s);
        }
        report.clients.push_back(std::move(line));
    }
    if (!report.clients.empty()) PublishUpdate(std::move(report));
    SetFailure(TFailure::Restore,
               std::any_of(ps.SaveData.begin(), ps.SaveData.end(), [](const TQIPState& s) {
                   return s.wnd && s.changed && IsWindow(s.wnd);
               }));
    return true;
}
} // namespace

bool StatusHeld(HWND form) {
    const TQIPState* s = SlotOf(form);
    return s && s->changed;
}

void RestoreStatuses() {
    // Whatever client work is under way (this restore was reached from inside its wait) ends
    // first; it touches no slot after this.
    const TClientWork work(TWorkKind::Restore);
    std::vector<TQIPState*> due;
    for (TQIPState& s : ps.SaveData) {
        // A client the plugin never changed shows what the user chose, perhaps changed by hand
        // since: it is let go without a message.
        if (s.wnd && (!IsWindow(s.wnd) || !s.changed)) Forget(s);
        if (s.wnd) due.push_back(&s);
    }
    if (RestoreSlots(work, due)) SaveJournal();
}

void TakeOverFromJournal() {
    auto& pending = PendingJournalEntries();
    pending = ReadJournal();
    // A second init finds its own slots in the journal: those are held already.
    std::erase_if(pending, [](const TQIPState& e) { return SlotOf(e.wnd) != nullptr; });
    if (pending.empty()) return;
    const TClientWork work(TWorkKind::Restore);
    const TWindowMemo memo;
    TWindowsAr forms = nilTWindowsAr;
    for (const TICQClient& c : ICQClients)
        AddClassName(forms.szClass, c.szStatusClass);
    FindTopLevelWindows(forms);
    ProbeClients(forms.windows.data(), forms.wwCounter);
    // Leftovers of a Winamp that ended without quit, or of clients restarted with the plugin's
    // text: put back at once where the client still shows what the plugin set; where it shows
    // something else, that is the user's own now and nothing is kept.
    std::vector<TQIPState> shown;
    for (int i = 0; i < forms.wwCounter && !work.Ended(); ++i) {
        const HWND form = forms.windows[static_cast<size_t>(i)];
        TQIPState read;
        if (SlotOf(form) || IsUnanswering(form) || !ReadShown(form, read)) continue;
        shown.push_back(read);
    }
    if (work.Ended()) return;
    std::vector<TQIPState*> due;
    for (const TFound& f : TakeFromJournal(shown)) {
        TQIPState* s = FreeSlot();
        if (!s) break;
        if (!f.fromJournal) continue;
        *s = f.entry;
        due.push_back(s);
    }
    if (RestoreSlots(work, due)) SaveJournal();
}

namespace {
// What a form shows once the plugin has set what the settings let it set; the rest stays as given.
TStatusText AfterSetting(const TStatusText& text, int32_t picture, const std::string& status,
                         const std::string& longStatus) {
    return TStatusText{GetControlValueB(IDC_SetPicture) ? text.picture : picture,
                       GetControlValueB(IDC_SetStatus) ? text.status : status,
                       GetControlValueB(IDC_SetLongStatus) ? text.longStatus : longStatus};
}

bool SameTexts(const TStatusText& a, int32_t picture, const std::string& status,
               const std::string& longStatus) {
    return a.picture == picture && a.status == status && a.longStatus == longStatus;
}

// Announces what the form will show in its slot; true when that is news to the journal.
bool Announce(TQIPState& s, const TStatusText& next) {
    if (s.underWay && SameTexts(next, s.nextPic, s.nextStatus, s.nextLongStatus)) return false;
    s.underWay = true;
    s.nextPic = next.picture;
    s.nextStatus = next.status;
    s.nextLongStatus = next.longStatus;
    return true;
}

// The form whose change NoteChanged let go last; confirmed by NoteOutcome.
HWND beingChanged = nullptr;
} // namespace

void NoteIntended(const TWindowsAr& forms, const std::vector<bool>& willChange,
                  const TStatusText& text) {
    beingChanged = nullptr;
    bool news = false;
    for (int i = 0; i < forms.wwCounter; ++i) {
        TQIPState* s = SlotOf(forms.windows[static_cast<size_t>(i)]);
        if (!s || !willChange[static_cast<size_t>(i)]) continue;
        // Known already, also for a client not changed yet.
        const TStatusText next = AfterSetting(text, s->setPic, s->setStatus, s->setLongStatus);
        // A steady update announces nothing, and writes nothing.
        if (!s->underWay && SameTexts(next, s->setPic, s->setStatus, s->setLongStatus)) continue;
        news = Announce(*s, next) || news;
    }
    // Written while the first client is read; waited for before it is changed.
    if (news) HandOverJournal();
}

bool NoteChanged(HWND form, const TStatusText& text, int32_t picture, const std::string& caption) {
    TQIPState* s = SlotOf(form);
    if (!s) return true;
    // A long status left alone is taken to be the one stored: the plugin does not read it then.
    // What the update announced before it began is no news; a first change always is.
    const bool first = !s->changed;
    s->changed = true;
    const bool news = Announce(*s, AfterSetting(text, picture, caption, s->prevLongStatus));
    beingChanged = form;
    // Written before the client is changed: a Winamp that ends in between leaves it known.
    if (first || news) HandOverJournal();
    return JournalWritten(WorkTimeLeft());
}

void NoteOutcome(HWND form, TOutcome outcome) {
    const bool given = form == beingChanged && outcome == TOutcome::Done;
    beingChanged = nullptr;
    TQIPState* s = SlotOf(form);
    // A client that was skipped, left out or cut off keeps its entry as it was. The journal
    // learns of the confirmation at its next write: until then it holds the change as under
    // way, which counts the same.
    if (!given || !s || !s->underWay) return;
    s->underWay = false;
    s->setPic = s->nextPic;
    s->setStatus = s->nextStatus;
    s->setLongStatus = s->nextLongStatus;
}

int ReportUnrestored() {
    int lost = 0;
    for (const TQIPState& s : ps.SaveData) {
        if (!s.wnd || !IsWindow(s.wnd) || !s.changed) continue;
        ++lost;
        char line[200];
        snprintf(line, sizeof line,
                 "gen_Lumtra: status window %p did not get its previous status back (its client "
                 "did not answer, or its form could not take it); \"%s\" could not be restored\n",
                 static_cast<void*>(s.wnd), AnsiFromUtf8(s.prevStatus).c_str());
        OutputDebugStringA(line);
    }
    return lost;
}
