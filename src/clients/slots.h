// The clients' previous statuses: stored before the first change, put back at switch-off.
#pragma once
#include <windows.h>
#include <vector>

#include <cstdint>
#include <string>

#include "transport/send.h"

struct TWindowsAr;
struct TStatusText;

// Stores the status of every form not yet held in a slot (before any status is applied), and
// says for each form, in the order of forms, whether it may be changed in this update: only one
// whose previous status is held in a slot, or one for which no slot was free. The decision is
// made once, so a form whose status could not be stored is never changed in the same update. The
// new forms are matched with the journal's entries all together, each with its own.
// How the reading of each form that may not be changed ended goes to unread (Done for one that
// answered but has no status to read: a QIP form that is closed).
std::vector<bool> StoreStatuses(const TWindowsAr& forms, std::vector<TOutcome>* unread = nullptr);
// Puts every stored status back whose form still exists and was changed by the plugin. A slot is
// freed when its form is gone, was never changed or got its status back; a restore that could
// not be completed (a client that does not answer) keeps its slot for the next restore.
void RestoreStatuses();
// Before the forms are changed: the journal learns, in one write, what this update is about to
// set on every stored form it will change (one answering and chosen), so that a Winamp that ends
// during the update leaves them known. What the client then confirms is noted by NoteOutcome.
void NoteIntended(const TWindowsAr& forms, const std::vector<bool>& willChange,
                  const TStatusText& text);
// Takes over, at init, the slots the journal names whose clients still run and show the plugin's
// last texts (Winamp ended without quit, or a client restarted with the plugin's text), and puts
// their statuses back at once. Entries it cannot use stay pending for their clients.
void TakeOverFromJournal();
// The plugin is about to change this form's picture, caption or long status to text, where the
// settings let it; it shows picture and caption now. The journal is written when that is news.
// False when the journal is not written within the time the work has left: the form is then left
// as it is until a later update.
bool NoteChanged(HWND form, const TStatusText& text, int32_t picture, const std::string& caption);
// How the update's SetStatus on the form ended: a change the client took throughout becomes what
// it confirmed; anything else leaves its entry as it was.
void NoteOutcome(HWND form, TOutcome outcome);
// Whether the form's own status is held, to be given back: the plugin changed it.
bool StatusHeld(HWND form);
// Slots whose status could not be put back (said with OutputDebugStringA), at quit.
int ReportUnrestored();
