// QIP's status form: found by its "OK" panel, filled through its combo box and edits,
// confirmed by a click on that panel; opened by a click on QIP's main window where allowed.
#pragma once
#include <windows.h>

#include "clients/clients.h"

// The picture index the dialog calls "Music (#12)".
inline constexpr int QIPMusicPicture = 11;

// The controls of a QIP status form. parent: the window to click to make QIP open the form
// when its "OK" panel is missing; 0 forbids that.
TStatusWindow GetChilds_QIP(HWND wind, HWND parent);
// Applies the status to the form. Done when its "OK" panel was found and the client answered
// throughout, whether or not anything had to change; Refused when no "OK" panel was found.
TOutcome SetStatus_QIP(HWND wParent, const TStatusText& text, TFormEffect* effect = nullptr);

// Whether a client's current status caption (UTF-8) passes the IfStatus condition (QIP and R&Q
// alike).
bool CaptionConditionHolds(const std::string& caption);
