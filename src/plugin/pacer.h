// The plugin's own clock and queue on Winamp's thread: a message-only window of the plugin's,
// which Winamp's procedure never sees. It ends a countdown that no message ends (a quiet Winamp
// with the classic skin sends itself nothing between two tracks), and it runs an update from
// Winamp's message loop rather than inside the message that ended the countdown: that message
// may be one Winamp sent itself in the middle of its own play, stop or playlist routines.
#pragma once
#include <windows.h>
#include <cstdint>

// What the pacer calls back, on Winamp's thread, from Winamp's message loop.
struct TPacerCalls {
    void (*OnDeadline)();  // the countdown's time has run out
    void (*OnUpdateDue)(); // an update asked for with PostUpdate may run now
};

// Milliseconds in one second of the delay (tests of the countdown shorten it).
extern UINT CountdownSecondMs;

// Starts the deadline, seconds from now, unless one is already running: a countdown armed again
// keeps the deadline of its first arming, so that a storm of new titles cannot put it off for
// ever. 0 or fewer seconds starts nothing.
void StartDeadline(int32_t seconds, const TPacerCalls& calls);
// The countdown is idle or gone: no deadline.
void CancelDeadline();
// Asks for one update from Winamp's message loop; asking again before it ran changes nothing.
void PostUpdate(const TPacerCalls& calls);
// Whether an update is asked for and has not run yet.
bool UpdatePosted();
// The window goes, with its deadline and whatever it had queued (quit, unload).
void StopPacer();
