// What Winamp 5 does to its own main window at each event of its player, as its published source
// shows: the messages it sends itself inside its own routines (its play, stop and next-entry code
// waits for every procedure on the window), and those it posts for its message loop to deliver
// later. Both the fake host and the player go through this one table; nothing else reaches the
// window unless a test adds another plugin's traffic (a modern skin's polls).
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

enum class WinampEvent {
    FileStarts, // a file or stream starts playing (the entry is already the current one)
    NextEntry,  // Winamp is about to choose the next entry, the old one still current
    Pause,
    Resume,
    Stop,
    TitleChanges, // the current entry shows another title: a stream connects, buffers, sings
    Close,        // asked whether it may close
};

// What a step's wParam carries.
enum class StepArg { Value, FileA, FileW };

struct WinampStep {
    bool posted;  // posted for the loop; otherwise sent inside the routine
    LPARAM code;  // WM_WA_IPC's lParam
    WPARAM value; // wParam where arg is Value
    StepArg arg = StepArg::Value;
};

const std::vector<WinampStep>& StepsOf(WinampEvent event);

// How the host's own window procedure answers IPC_GET_NEXT_PLITEM: no choice of its own.
inline constexpr LRESULT NoNextEntryChoice = -1;

// Does what Winamp does to its window h at the event: sends and posts its steps in order, with
// the current entry's file in both kinds. depth counts the sends under way (the host is inside a
// message it sent itself while it is above 0).
void PerformWinampEvent(HWND h, WinampEvent event, const std::string& fileA,
                        const std::wstring& fileW, int& depth);

// Winamp's message loop on the calling thread: delivers what is queued, then returns.
void RunWinampLoop();
// Runs that loop, waiting for timers and posts, until done() holds or limitMs have passed;
// whether done() held.
bool RunWinampLoopUntil(const std::function<bool()>& done, DWORD limitMs);
