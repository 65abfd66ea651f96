// Requests to Winamp's main window: answered at once, on this thread, through the plugin's own
// window procedure (which must therefore recognise them).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

LRESULT HostQuery(LPARAM code, WPARAM param = 0);
// A request whose answer points at one of the host's strings: copied at once; null reads empty.
std::string HostString(LPARAM code, WPARAM param);
// The file of the current playlist entry, and that entry's position.
std::string CurrentPlaylistFile(int32_t& position);
// The same file as the host holds it, not copied: good only until the next request to the host
// (the host may reuse the string); never null.
const char* CurrentPlaylistFileText();
