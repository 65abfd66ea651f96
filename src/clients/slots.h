// The clients' previous statuses: stored before the first change, put back at switch-off.
#pragma once

void RestoreStatuses();
