// Requests to Winamp's main window: answered at once, on this thread, through the plugin's own
// window procedure (which must therefore recognise them).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// The first Winamp that offers the track's texts in Unicode (5.13).
inline constexpr int32_t HostUnicodeVersion = 0x5013;

LRESULT HostQuery(LPARAM code, WPARAM param = 0);
// Copies the string a host's answer points at. The answer should point into this process, but a
// host that does not know the request answers 0 or 1, and another may answer anything: it is read
// only where memory can be read, and only up to limit characters. False when it is no such string.
bool CopyHostString(const char* text, size_t limit, std::string& out);
bool CopyHostString(const wchar_t* text, size_t limit, std::wstring& out);
// A text of the host in UTF-8: asked in Unicode (codeW) where wide is set and the answer can be
// read, otherwise in ANSI (codeA, as HostString).
std::string HostText(LPARAM codeW, LPARAM codeA, WPARAM param, bool wide);
// A request whose answer points at one of the host's strings: copied at once; null reads empty.
std::string HostString(LPARAM code, WPARAM param);
// The current playlist position.
int32_t CurrentListPos();
// The playlist title of the entry at position in UTF-8, in one request (the Unicode one where
// wide is set); false when the answer is no readable string (0, or 1 from a host that does not
// know the request).
bool PlaylistTitle(int32_t position, bool wide, std::string& out);
// The file of the current playlist entry, and that entry's position.
std::string CurrentPlaylistFile(int32_t& position);
// The same in UTF-8, asked in Unicode where wide is set (see HostText).
std::string CurrentPlaylistFileU8(int32_t& position, bool wide);
// The same file as the host holds it, not copied: good only until the next request to the host
// (the host may reuse the string); never null.
const char* CurrentPlaylistFileText();
// The same for the entry at position.
const char* PlaylistFileText(int32_t position);
// The first Winamp that names the window its plugins' dialogs should be owned by (5.51).
inline constexpr int32_t HostDialogParentVersion = 0x5051;
// The owner for a dialog of the plugin: the window the host names where it knows the request
// (version says which host this is) and answers a window, else Winamp's main window. A modern
// skin parks the main window out of sight and names its own.
HWND HostDialogParent(int32_t version);
