#include "clients/rnq.h"

#include "clients/form_messages.h"
#include "clients/slots.h"
#include "clients/qip.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

#include <algorithm>

namespace {
const POINT GridStep = MAKEPOINT(30, 25);
const POINT GridFirst = MAKEPOINT(20, 50);
const POINT GridCells = MAKEPOINT(7, 5); // the grid is 7 wide; later rows simply continue down

void ClickPicture(HWND form, int index) {
    const POINT p = Index2Pos(index);
    if (IsWindowL(form)) ButtonDown(form, p);
    if (IsWindowL(form)) ButtonUp(form, 0, p);
}

void Confirm(HWND form) {
    if (IsWindowL(form)) KeyDown(form, VK_RETURN);
    if (IsWindowL(form)) KeyUp(form, VK_RETURN);
    if (IsWindowL(form)) SysCommand(form, SC_CLOSE);
}
} // namespace

TStatusWindow GetChilds_RnQ(HWND wind, HWND /*parent: R&Q's form is never opened for it*/) {
    TStatusWindow r = nilTStatusWindows;
    try {
        ForEachReadableDescendant(wind, [&r](HWND h, const std::string& cls, const std::string&) {
            if (cls == "TEdit") r.wStatus = h;
            if (cls == "TMemo") r.wLongStatus = h;
        });
    } catch (...) {
    }
    return r;
}

POINT Index2Pos(int index) {
    // Negative counts as the first picture; an index whose row would not fit the click point's
    // 16 bits is clamped to the last one that does (the setting accepts any number).
    const int i = std::clamp(index, 0, RnQMaxPicture);
    const int column = i % GridCells.x;
    const int row = i / GridCells.x;
    return MAKEPOINT(GridFirst.x + GridStep.x * column, GridFirst.y + GridStep.y * row);
}

TOutcome SetStatus_RnQ(HWND wParent, const TStatusText& text, TFormEffect* effect) {
    const auto tell = [effect](TFormEffect e) {
        if (effect) *effect = e;
    };
    tell(TFormEffect::None);
    // Its owner is not asked for: R&Q's form is never opened, so GetChilds_RnQ does not use it.
    const TStatusWindow c = GetChilds_RnQ(wParent, nullptr);
    if (!ClientAnswering()) return CallOutcome();
    if (!IsWindowL(wParent)) return TOutcome::Refused;

    // Whether this client is to be changed now: R&Q's picture cannot be read, so it is no
    // condition and takes no part in the change test.
    bool b = GetControlValueB(IDC_IfAny);
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

    b = GetControlValueB(IDC_SetStatus) && !SameTextU(caption, shows.status);
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
    // Its picture cannot be read: the one clicked is taken for the one shown.
    if (!NoteChanged(wParent, shows, text.picture, caption)) return TOutcome::Cut;
    tell(TFormEffect::Changed);

    // Asked afresh before each confirmation: a form the user opens meanwhile is left to the user.
    const bool compatible = GetControlValueB(IDC_Compatible);
    if (compatible) {
        ClickPicture(wParent, 0);
        if (!IsWindowVisible(wParent)) Confirm(wParent);
    }
    // The picture shown before cannot be read back, so in compatible mode the configured one
    // is clicked even when setting the picture is off.
    if (GetControlValueB(IDC_SetPicture) || compatible) ClickPicture(wParent, text.picture);
    if (IsWindowL(c.wStatus) && GetControlValueB(IDC_SetStatus))
        EditSetText(c.wStatus, text.status);
    if (IsWindowL(c.wLongStatus) && GetControlValueB(IDC_SetLongStatus))
        EditSetText(c.wLongStatus, text.longStatus);
    if (!IsWindowVisible(wParent)) Confirm(wParent);
    return CallOutcome();
}
