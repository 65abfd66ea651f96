#include "clients/slots.h"

#include "clients/clients.h"
#include "clients/form_messages.h"
#include "settings/settings.h"
#include "support/send.h"
#include "support/window_memo.h"
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

void StoreOne(HWND form) {
    if (SlotOf(form)) return;        // known; its first status is kept
    if (IsUnanswering(form)) return; // stored once it answers again
    for (TQIPState& s : ps.SaveData) {
        if (s.wnd) continue;
        // The client is read in one hand-off to the sender thread; a read that is cut off, or
        // during which the client stopped answering, stores nothing.
        TQIPState read;
        bool readable = false;
        const bool whole = RunOnSender([&] {
            const TStatusWindow c = GetChilds(form, GetParent(form));
            readable = Readable(form, c);
            if (!readable) return;
            read.prevPic = ComboGetCurSel(c.wCombo);
            read.prevStatus = sGetWindowCaption(c.wStatus);
            read.prevLongStatus = sGetWindowCaption(c.wLongStatus);
        });
        // Stored whole or not at all: otherwise the form is tried again at the next update.
        if (whole && readable && !IsUnanswering(form)) {
            s = read;
            s.wnd = form;
        }
        return; // only the first free slot is tried
    }
}
} // namespace

void StoreStatuses(const TWindowsAr& forms) {
    // A slot whose form has gone is free again. A form that merely fails to answer in this
    // update keeps its slot, or its first status would be lost. Each slot is asked once: a new
    // form looks at every slot before it takes one anyway.
    for (TQIPState& s : ps.SaveData)
        if (s.wnd && !MemoIsWindow(s.wnd)) s.wnd = nullptr;
    for (int i = 0; i < forms.wwCounter; ++i)
        StoreOne(forms.windows[static_cast<size_t>(i)]);
}

void RestoreStatuses() {
    TSendPass pass(RestoreSendTimeoutMs, RestoreBudgetMs);
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
        if (!s.wnd || IsUnanswering(s.wnd)) continue; // kept for the next restore
        ps.Picture = s.prevPic;
        ps.Status = s.prevStatus;
        ps.LongStatus = s.prevLongStatus;
        const HWND form = s.wnd;
        const bool whole = RunOnSender([form] { SetStatus(form); });
        if ((whole && !IsUnanswering(form)) || !IsWindow(form)) s.wnd = nullptr;
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
        char line[160];
        snprintf(line, sizeof line,
                 "gen_Lumtra: the client of status window %p did not answer; its previous status "
                 "\"%s\" could not be restored\n",
                 static_cast<void*>(s.wnd), s.prevStatus.c_str());
        OutputDebugStringA(line);
    }
    return lost;
}
