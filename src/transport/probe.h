// Which client threads answer at all, asked of many at once, and which count as hung.
//
// One thread of the plugin's own, the prober, sends each client thread a WM_NULL with
// SendMessageCallbackA and collects the answers; it never waits inside a message, so no client
// can hold it. A thread that does not answer in time counts as hung: nothing is sent to it until
// the prober hears its late answer (or its window is gone). The prober lives from the first probe
// to quit; late answers go to it, never to Winamp's thread, so none can arrive after the library
// is gone.
#pragma once
#include <windows.h>
#include <vector>

struct TProbeTarget {
    HWND window;
    DWORD thread;
};

// Asks every target whether it answers, all at once, waiting at most limitMs for them together
// (and answering what is sent to this thread meanwhile). True at i when target i answered; those
// that did not and still have a window count as hung from now on. A target already counted as
// hung is not asked again and reads false.
std::vector<bool> ProbeAll(const std::vector<TProbeTarget>& targets, DWORD limitMs);

// Whether thread t counts as hung.
bool IsHung(DWORD t);
// Thread t, owner of h, left a message unanswered within its limit: it counts as hung until the
// prober hears it answer again.
void MarkHung(DWORD t, HWND h);

// The waits for clients that ran to their limit (a probe round, a message) since the library was
// loaded: how many, and the limits they were given. What an update waited for, told alike on a
// machine of any speed; the tests read it. Winamp's thread only.
struct TWaitsRunOut {
    unsigned count = 0;
    DWORD limitMs = 0;
};
TWaitsRunOut WaitsRunOut();
void CountWaitRunOut(DWORD limitMs);

// quit: the prober ends (after the answers of a probe under way) and forgets the hung threads;
// AllowProbing (init) lets a new one start.
void StopProbing();
void AllowProbing();
