#include "clients/slots.h"

#include "clients/clients.h"
#include "clients/form_messages.h"
#include "settings/settings.h"
#include "transport/send.h"
#include "transport/window_memo.h"
#include "support/window_search.h"
#include "support/window_text.h"

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

// Whether the form may be changed in this update: its status is held, or no slot is free.
bool StoreOne(HWND form) {
    if (SlotOf(form)) return true;         // known; its first status is kept
    if (IsUnanswering(form)) return false; // stored once it answers again
    for (TQIPState& s : ps.SaveData) {
        if (s.wnd) continue;
        // A read that is cut off, or during which the client stopped answering, or that a
        // restore arriving meanwhile ended, stores nothing.
        const TClientCall call;
        TQIPState read;
        const TStatusWindow c = GetChilds(form, GetParent(form));
        const bool readable = ClientAnswering() && Readable(form, c);
        if (readable) {
            read.prevPic = ComboGetCurSel(c.wCombo);
            read.prevStatus = sGetWindowCaption(c.wStatus);
            read.prevLongStatus = sGetWindowCaption(c.wLongStatus);
        }
        // Stored whole or not at all: otherwise the form is tried again at the next update. A
        // control that went or was replaced while it was read may have answered for another.
        if (!readable || call.Outcome() != TOutcome::Done || !ControlsIntact(form, c)) return false;
        s = read;
        s.wnd = form;
        return true; // only the first free slot is tried
    }
    return true; // no slot free: served all the same, unstored
}
} // namespace

std::vector<bool> StoreStatuses(const TWindowsAr& forms) {
    // Part of the update's work: the update holds the guard.
    // A slot whose form has gone is free again. A form that merely fails to answer in this
    // update keeps its slot, or its first status would be lost. Each slot is asked once: a new
    // form looks at every slot before it takes one anyway.
    for (TQIPState& s : ps.SaveData)
        if (s.wnd && !MemoIsWindow(s.wnd)) s.wnd = nullptr;
    std::vector<bool> mayChange;
    for (int i = 0; i < forms.wwCounter; ++i)
        mayChange.push_back(StoreOne(forms.windows[static_cast<size_t>(i)]));
    return mayChange;
}

void RestoreStatuses() {
    // Whatever client work is under way (this restore was reached from inside its wait) ends
    // first; it touches no slot after this.
    const TClientWork work(TWorkKind::Restore);
    std::vector<HWND> due;
    for (TQIPState& s : ps.SaveData) {
        // A client the plugin never changed shows what the user chose, perhaps changed by hand
        // since: it is let go without a message.
        if (s.wnd && (!IsWindow(s.wnd) || !s.changed)) s.wnd = nullptr;
        if (s.wnd) due.push_back(s.wnd);
    }
    // All at once: several clients that do not answer cost one wait together.
    ProbeClients(due.data(), static_cast<int>(due.size()));
    for (TQIPState& s : ps.SaveData) {
        if (work.Ended()) return; // a later restore took over, and owns the slots now
        if (!s.wnd || IsUnanswering(s.wnd)) continue; // kept for the next restore
        const HWND form = s.wnd;
        const TClientCall call;
        const TOutcome outcome =
            SetStatus(form, TStatusText{s.prevPic, s.prevStatus, s.prevLongStatus});
        if (work.Ended()) return;
        // Freed once the client has its status back, or its form is gone; anything else keeps the
        // slot for the next restore.
        if (outcome == TOutcome::Done || !IsWindow(form)) s.wnd = nullptr;
    }
}

void NoteChanged(HWND form) {
    if (TQIPState* s = SlotOf(form)) s->changed = true;
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
                 static_cast<void*>(s.wnd), s.prevStatus.c_str());
        OutputDebugStringA(line);
    }
    return lost;
}
