#include "clients/slots.h"

#include "clients/clients.h"
#include "clients/form_messages.h"
#include "clients/journal.h"
#include "settings/settings.h"
#include "support/unicode.h"
#include "transport/send.h"
#include "transport/window_memo.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

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
bool ReadShown(HWND form, TQIPState& read) {
    const TClientCall call;
    const TStatusWindow c = GetChilds(form, GetParent(form));
    if (!ClientAnswering() || !Readable(form, c)) return false;
    read.prevPic = ComboGetCurSel(c.wCombo);
    read.prevStatus = sGetControlText(c.wStatus);
    read.prevLongStatus = sGetControlText(c.wLongStatus);
    if (call.Outcome() != TOutcome::Done || !ControlsIntact(form, c)) return false;
    read.wnd = form;
    read.formClass = sGetWindowClass(form);
    MemoThreadId(form, &read.pid);
    read.mainTitle = MainWindowTitle(form);
    return true;
}

bool SameClient(const TQIPState& a, const TQIPState& b) {
    return a.formClass == b.formClass && a.mainTitle == b.mainTitle;
}

// Whether the form, as read now, shows exactly what the plugin last set on the entry's client.
bool ShowsWhatWasSet(const TQIPState& entry, const TQIPState& shown) {
    return entry.changed && entry.setStatus == shown.prevStatus &&
           entry.setLongStatus == shown.prevLongStatus;
}

// A journal entry for this form, as read now: the very window (Winamp ended without quit while
// the client ran), or a client of the same kind and main-window title that shows exactly what the
// plugin last set there (it was restarted with the plugin's text, or re-created its form). The
// entry is taken out of the pending ones; entries of the same client that match no more are
// dropped, since what it shows now is the user's.
bool TakeFromJournal(const TQIPState& shown, TQIPState& slot) {
    auto& pending = PendingJournalEntries();
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        const bool sameWindow =
            it->wnd == shown.wnd && it->pid == shown.pid && it->formClass == shown.formClass;
        const bool showsOurs = SameClient(*it, shown) && ShowsWhatWasSet(*it, shown);
        if (!sameWindow && !showsOurs) continue;
        slot = *it;
        slot.wnd = shown.wnd;
        slot.pid = shown.pid;
        pending.erase(it);
        return true;
    }
    std::erase_if(pending, [&](const TQIPState& e) { return SameClient(e, shown); });
    return false;
}

TQIPState* FreeSlot() {
    for (TQIPState& s : ps.SaveData)
        if (!s.wnd) return &s;
    return nullptr;
}

// Whether the form may be changed in this update: its status is held, or no slot is free.
bool StoreOne(HWND form) {
    if (SlotOf(form)) return true;         // known; its first status is kept
    if (IsUnanswering(form)) return false; // stored once it answers again
    TQIPState* s = FreeSlot();
    if (!s) return true; // no slot free: served all the same, unstored
    TQIPState shown;
    // Stored whole or not at all: otherwise the form is tried again at the next update.
    if (!ReadShown(form, shown)) return false;
    if (!TakeFromJournal(shown, *s)) *s = shown;
    SaveJournal();
    return true;
}

// A changed client whose form is gone keeps its entry in the journal: it may start again
// showing the plugin's text.
void Forget(TQIPState& s) {
    if (s.changed && !IsWindow(s.wnd)) PendingJournalEntries().push_back(s);
    s = TQIPState{};
}
} // namespace

std::vector<bool> StoreStatuses(const TWindowsAr& forms) {
    // Part of the update's work: the update holds the guard.
    // A slot whose form has gone is free again. A form that merely fails to answer in this
    // update keeps its slot, or its first status would be lost. Each slot is asked once: a new
    // form looks at every slot before it takes one anyway.
    bool freed = false;
    for (TQIPState& s : ps.SaveData)
        if (s.wnd && !MemoIsWindow(s.wnd)) {
            Forget(s);
            freed = true;
        }
    if (freed) SaveJournal();
    std::vector<bool> mayChange;
    for (int i = 0; i < forms.wwCounter; ++i)
        mayChange.push_back(StoreOne(forms.windows[static_cast<size_t>(i)]));
    return mayChange;
}

namespace {
// Puts the given slots' statuses back; see RestoreStatuses. False when a later restore took over.
bool RestoreSlots(const TClientWork& work, const std::vector<TQIPState*>& slots) {
    std::vector<HWND> due;
    for (TQIPState* s : slots)
        due.push_back(s->wnd);
    // All at once: several clients that do not answer cost one wait together.
    ProbeClients(due.data(), static_cast<int>(due.size()));
    for (TQIPState* s : slots) {
        if (work.Ended()) return false;      // a later restore took over, and owns the slots now
        if (IsUnanswering(s->wnd)) continue; // kept for the next restore
        const HWND form = s->wnd;
        const TClientCall call;
        const TOutcome outcome =
            SetStatus(form, TStatusText{s->prevPic, s->prevStatus, s->prevLongStatus});
        if (work.Ended()) return false;
        // Freed once the client has its status back, or its form is gone; anything else keeps the
        // slot for the next restore.
        if (outcome == TOutcome::Done || !IsWindow(form)) Forget(*s);
    }
    return true;
}
} // namespace

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
    std::vector<TQIPState*> due;
    for (int i = 0; i < forms.wwCounter && !work.Ended(); ++i) {
        const HWND form = forms.windows[static_cast<size_t>(i)];
        TQIPState* s = FreeSlot();
        TQIPState shown;
        if (!s || SlotOf(form) || IsUnanswering(form) || !ReadShown(form, shown)) continue;
        TQIPState taken;
        if (!TakeFromJournal(shown, taken)) continue;
        if (ShowsWhatWasSet(taken, shown)) {
            *s = taken;
            due.push_back(s);
        }
    }
    if (work.Ended()) return;
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

// Records what the form shows now in its slot; true when that is news to the journal. The picture
// is no part of knowing a client again (R&Q's cannot be read back).
bool Record(TQIPState& s, const TStatusText& shown) {
    const bool news = s.setStatus != shown.status || s.setLongStatus != shown.longStatus;
    s.setPic = shown.picture;
    s.setStatus = shown.status;
    s.setLongStatus = shown.longStatus;
    return news;
}
} // namespace

void NoteIntended(const TWindowsAr& forms, const std::vector<bool>& mayChange,
                  const TStatusText& text) {
    std::vector<HWND> intended;
    for (int i = 0; i < forms.wwCounter; ++i) {
        TQIPState* s = SlotOf(forms.windows[static_cast<size_t>(i)]);
        if (!s || !mayChange[static_cast<size_t>(i)]) continue;
        // Known already, also for a client not changed yet.
        if (Record(*s, AfterSetting(text, s->setPic, s->setStatus, s->setLongStatus)))
            intended.push_back(s->wnd);
    }
    if (intended.empty()) return; // a steady update writes nothing
    // Written while the first client is read; waited for before it is changed.
    HandOverJournal(intended);
}

bool NoteChanged(HWND form, const TStatusText& text, int32_t picture, const std::string& caption) {
    TQIPState* s = SlotOf(form);
    if (!s) return true;
    // A long status left alone is taken to be the one stored: the plugin does not read it then.
    // What the update announced before it began is no news; a first change always is.
    const bool first = !s->changed;
    s->changed = true;
    const bool news = Record(*s, AfterSetting(text, picture, caption, s->prevLongStatus));
    // Written before the client is changed: a Winamp that ends in between leaves it known.
    if (first || news) HandOverJournal();
    return JournalWritten(WorkTimeLeft());
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
