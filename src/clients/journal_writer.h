// The journal's own thread, the writer. The journal is written whole at every track that changes
// a status; written on Winamp's thread, that write would add to every such update. Handed to the
// writer instead, it is written while Winamp's thread reads the first client, and Winamp's thread
// waits for it only where it must: before it changes a client, and where it reads the journal.
//
// What goes to the writer is a value (the places and the whole text); what comes back is whether
// it was written and, when not, each file tried and why. A writer that has ended (ended from
// outside, say) is replaced, and what it left unwritten is written by the next one; without a
// writer (after quit, or when none can start) the journal is written on the caller's thread.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "settings/places.h"

// Hands one whole journal to the writer and returns at once. One handed over before the writer
// took the last one replaces it: each is the whole file.
void HandOverJournalText(TFilePlaces places, std::string text);

// Waits at most limitMs until everything handed over so far is written or has failed: true then,
// false when the writer is not done yet. The failures met meanwhile are moved to failures.
bool JournalTextsWritten(DWORD limitMs, std::vector<std::string>& failures);

// quit: the writer ends once it has written what it holds, waited for at most limitMs;
// AllowJournalWriter (init) lets a new one start.
void StopJournalWriter(DWORD limitMs);
void AllowJournalWriter();
