// The journal of stored statuses: a small text file beside the settings that outlives Winamp.
// It holds every slot the plugin holds, and the entries of clients that ended while changed, so
// that a user's own status is not lost when Winamp ends without quit (a crash, a kill) or a client
// ends and starts again showing the plugin's text.
#pragma once
#include <string>
#include <vector>

#include "settings/tps.h"

// The library's path with ".statuses.txt" appended, in the folder the settings' rule picks.
std::string JournalFileName();

// The text of a journal (what is written) and its reading back. Reading is forgiving: whatever
// cannot be used (a truncated, binary or foreign file, fields out of range) is left out, so the
// plugin starts with empty slots for it.
std::string JournalText(const std::vector<TQIPState>& entries);
std::vector<TQIPState> ParseJournal(const std::string& text);

// Writes the journal whole: to a temporary file in the same folder, put in place at once, so a
// crash meanwhile leaves the previous journal; beside the library, else in the per-user folder.
// False (and said with OutputDebugStringA) when it could not be written.
bool WriteJournal(const std::vector<TQIPState>& entries);
std::vector<TQIPState> ReadJournal();

// Entries read from the journal that no slot holds yet: their clients may still start. Kept with
// the slots, within their number, and written with them.
std::vector<TQIPState>& PendingJournalEntries();
// The held slots and the pending entries, written now. The slots of mayChange are written as
// changed: the plugin is about to change them.
void SaveJournal(const std::vector<HWND>& mayChange = {});
