#include "support/desktop.h"

const TDesktopCalls& RealDesktop() {
    static const TDesktopCalls real{
        &::GetCursorPos,        &::SetCursorPos,      &::mouse_event,   &::SetForegroundWindow,
        &::GetForegroundWindow, &::Shell_NotifyIconA, &::TrackPopupMenu};
    return real;
}

TDesktopCalls Desktop = RealDesktop();
