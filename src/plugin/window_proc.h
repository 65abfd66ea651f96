// The replacement window procedure on Winamp's main window: every event reaches the plugin here.
#pragma once
#include <windows.h>
#include <cstdint>

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Host messages left until the next update: above 1 armed, 1 update due (it runs from Winamp's
// loop), 0 or less idle. An armed countdown also ends when its delay has passed in seconds.
extern int32_t SetStatusOnNext;

// A host older than this version number drives the countdown with its timer.
inline constexpr int32_t OldWinampVersion = 20000;
// Delay used when the DelayV setting is not a number.
inline constexpr int32_t DelayDef = 10;

bool IsOldWinamp();

// Where an update hands its results. Tests may swap entries to watch an update or make one fail.
struct TUpdateCalls {
    bool (*SetText)(); // false when the update's time ran out before some client
    void (*RefreshTrayTip)();
    void (*RestoreStatuses)(); // nothing plays: the users' own statuses go back
};
const TUpdateCalls& RealUpdateCalls();
extern TUpdateCalls UpdateCalls;
