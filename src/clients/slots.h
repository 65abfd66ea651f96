// The clients' previous statuses: stored before the first change, put back at switch-off.
#pragma once

struct TWindowsAr;

// Stores the status of every form not yet held in a slot (before any status is applied).
void StoreStatuses(const TWindowsAr& forms);
// Puts every stored status back whose form still exists, and frees all slots.
void RestoreStatuses();
