// R&Q's status form: the picture is chosen by a click on a grid drawn on the form, the caption
// and long status are an edit and a memo, Enter confirms and the system close command hides it.
#pragma once
#include <windows.h>

#include "clients/clients.h"

// The highest picture index whose grid point still fits the 16-bit halves of a click point.
inline constexpr int RnQMaxPicture = 18339;

TStatusWindow GetChilds_RnQ(HWND wind, HWND parent);
// The click point of a picture index in the form's client area.
POINT Index2Pos(int index);
// Applies the status to the form. Done when the form exists and the client answered throughout;
// Refused when the form is gone.
TOutcome SetStatus_RnQ(HWND wParent, const TStatusText& text, TFormEffect* effect = nullptr);
