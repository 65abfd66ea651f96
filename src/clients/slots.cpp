#include "clients/slots.h"

#include "clients/clients.h"
#include "clients/form_messages.h"
#include "settings/settings.h"
#include "support/send.h"
#include "support/window_memo.h"
#include "support/window_search.h"
#include "support/window_text.h"

namespace {
// Whether the form's status can be read whole: a QIP form needs its "OK" panel.
bool Readable(HWND form, const TStatusWindow& c) {
    const std::string cls = sGetWindowClass(form);
    return (cls == QIPClient.szStatusClass && IsWindowL(c.wOK)) ||
           (cls == RnQClient.szStatusClass && IsWindowL(form));
}

void StoreOne(HWND form) {
    auto& slots = ps.SaveData;
    for (const TQIPState& s : slots)
        if (s.wnd && s.wnd == form) return; // known; its first status is kept
    for (TQIPState& s : slots) {
        if (s.wnd) continue;
        const TStatusWindow c = GetChilds(form, GetParent(form));
        // Stored whole or not at all: otherwise the form is tried again at the next update.
        if (Readable(form, c)) {
            s.wnd = form;
            s.prevPic = ComboGetCurSel(c.wCombo);
            s.prevStatus = sGetWindowCaption(c.wStatus);
            s.prevLongStatus = sGetWindowCaption(c.wLongStatus);
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
    TSendPass pass;
    for (TQIPState& s : ps.SaveData) {
        if (IsWindowL(s.wnd)) {
            ps.Picture = s.prevPic;
            ps.Status = s.prevStatus;
            ps.LongStatus = s.prevLongStatus;
            SetStatus(s.wnd);
        }
        s.wnd = nullptr;
    }
}
