// Files read and written whole: the settings and the journal of stored statuses. Paths are UTF-8
// and are opened by their wide names, so that a folder the ANSI code page cannot spell (a user
// profile named in another alphabet) can be used.
#pragma once
#include <windows.h>
#include <string>

// The whole file into text; a file larger than limit reads as empty. False when it cannot be
// opened.
bool ReadWholeFile(const std::string& path, std::string& text, DWORD limit = MAXDWORD);

// Writes text as the whole file: to path + ".new" in the same folder, then put in place at once,
// so that a crash or a full disk meanwhile leaves the previous file whole. durable: also flushed
// to the disk and moved with MOVEFILE_WRITE_THROUGH. 0, or the system's error.
DWORD WriteWholeFile(const std::string& path, const std::string& text, bool durable);
