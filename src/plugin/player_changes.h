// What Winamp says of its player beyond a new file: the current entry's new title (a radio
// stream names each song so, inside one address) and a new play state, however it was asked for.
// Decides which of these the clients must hear of, and remembers what they were last shown.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Whether a template the user sees (its switch on) shows the play state: that user asked to see a
// pause or a stop, so a stopped player keeps a status with the stop text instead of giving the
// user's own back.
bool PlayStateShown();

// Whether Winamp's IPC_CB_MISC notification with this wParam, about the entry at position, brings
// the clients something new, that is arms the countdown as a new track does: a title other than
// the one last seen (one title request; an answer that is no string is no change), or a play state
// other than the one shown where a template shows it, or one that gives the statuses back (nothing
// plays). Anything else is no news.
bool PlayerChangeIsNews(WPARAM what, int32_t position, const std::string& file);

// Whether a title Winamp shows for the entry with this file (UTF-8) names a song: for a stream,
// not while it connects or buffers ("[Connecting] ...", "[Buffering: 37%] ...") nor while Winamp
// shows its bare address. Any title of a file names one.
bool IsSongTitle(const std::string& title, const std::string& file);
// The same for the current entry, whose file is this (UTF-8): its title is asked of Winamp now,
// for a stream only.
bool CurrentTitleIsASong(const std::string& file);

// An update shows the current entry: its title, and the play state where a template shows it, are
// the ones a later notification is compared with.
void NoteTitleShown();

// Whether the users' own statuses are back because nothing played at the last update (until an
// update shows a track again).
extern bool OwnStatusesBack;

// As at library load: no title seen, nothing given back.
void ForgetPlayerChanges();
