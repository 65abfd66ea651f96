// The journal of stored statuses: a small text file beside the settings that outlives Winamp.
// It holds every slot the plugin holds, and the entries of clients that ended while changed, so
// that a user's own status is not lost when Winamp ends without quit (a crash, a kill) or a client
// ends and starts again showing the plugin's text.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "settings/tps.h"

// Whether two entries name one window: its handle, process and class.
bool SameWindow(const TQIPState& a, const TQIPState& b);

// The library's path with ".statuses.txt" appended, in the folder the settings' rule picks.
std::string JournalFileName();

// The text of a journal (what is written) and its reading back. Reading is forgiving: whatever
// cannot be used (a truncated, binary or foreign file, fields out of range) is left out, so the
// plugin starts with empty slots for it. utf8Mark: the file began with a UTF-8 byte order mark
// (an editor's), so its text is UTF-8 whatever version the header names.
std::string JournalText(const std::vector<TQIPState>& entries);
std::vector<TQIPState> ParseJournal(const std::string& text, bool utf8Mark = false);

// The journal is written whole: to a temporary file in the same folder, put in place at once, so
// a crash meanwhile leaves the previous journal; beside the library, else in the per-user folder.
// The writing is the writer thread's (clients/journal_writer.h); a failure is said with
// OutputDebugStringA when Winamp's thread next waits for it. Reading waits for it too.
std::vector<TQIPState> ReadJournal();
// How long Winamp's thread waits for the journal outside an update.
inline constexpr DWORD JournalWaitMs = 2000;

// Entries read from the journal that no slot holds yet: their clients may still start. Kept with
// the slots, within their number, and written with them.
std::vector<TQIPState>& PendingJournalEntries();
// The held slots and the pending entries, handed to the writer; returns at once. A slot with a
// change under way is written as changed, with what was announced beside what was confirmed.
void HandOverJournal();
// Waits at most limitMs until everything handed over is written, or has failed and been said:
// false when the writer is not done yet.
bool JournalWritten(DWORD limitMs);
// Hands the journal over and waits for it (within JournalWaitMs).
void SaveJournal();

// init lets the writer start; quit waits for what it holds, and ends it.
void StartJournalWrites();
void EndJournalWrites();
