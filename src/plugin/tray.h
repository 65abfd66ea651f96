// The plugin's own icon in the notification area: its tooltip carries the tray text of the last
// update, a right click opens Winamp's main menu, a left click brings Winamp forward.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/tps.h"

// Callback message of the icon and its id.
inline constexpr UINT dwTRAY_MSG = WM_USER + 2708;
inline constexpr UINT IDC_TRAYICON = 1000;

// The record sizes the shells understand, taken from our own record so that both builds agree
// with what the shell of that build expects: the whole record, the record without its trailing
// GUID (shell 5), and the oldest form that ends after a 64-byte tooltip.
inline constexpr DWORD NOTIFYICONDATA_FULL_SIZE = sizeof(TNOTIFYICONDATA2);
inline constexpr DWORD NOTIFYICONDATA_V2_SIZE_L = offsetof(TNOTIFYICONDATA2, guidItem);
inline constexpr DWORD NOTIFYICONDATA_V1_SIZE_L = offsetof(TNOTIFYICONDATA2, szTip) + 64;
static_assert(NOTIFYICONDATA_V2_SIZE_L == NOTIFYICONDATA_FULL_SIZE - sizeof(GUID));
#ifndef _WIN64
static_assert(NOTIFYICONDATA_FULL_SIZE == 504 && NOTIFYICONDATA_V2_SIZE_L == 488 &&
              NOTIFYICONDATA_V1_SIZE_L == 88);
#endif

// The tooltip field holds this many bytes of text before its terminating NUL.
inline constexpr size_t TrayTipMax = sizeof(TNOTIFYICONDATA2::szTip) - 1;

// The shell is handed the same record in its Unicode form, so that the tooltip shows the track as
// Winamp names it: the three sizes of that form, chosen as the record's own size says.
inline constexpr DWORD NOTIFYICONDATAW_V2_SIZE_L = offsetof(NOTIFYICONDATAW, guidItem);
inline constexpr DWORD NOTIFYICONDATAW_FULL_SIZE = NOTIFYICONDATAW_V2_SIZE_L + sizeof(GUID);
inline constexpr DWORD NOTIFYICONDATAW_V1_SIZE_L =
    offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR);
// The tooltip of a UTF-8 text in that form: cut as the ANSI one is, in characters, never
// between the two halves of a surrogate pair.
std::wstring TrayTipW(const std::string& utf8);

// How the shell's version is asked for. Tests put in a shell that reports another version (or
// none); the plugin uses the real shell32.dll and GetProcAddress.
struct TShellVersionSource {
    const char* library;
    FARPROC(WINAPI* GetProcAddress)(HMODULE, LPCSTR);
};
const TShellVersionSource& RealShellVersionSource();
extern TShellVersionSource ShellVersionSource;

// The last shell version read, major * 100 + minor (4.71 is 471); 400 until a reading succeeds.
extern uint32_t shell32_ver;

// The shell version, read afresh; the last good reading when the shell cannot tell.
uint32_t GetShellVer();

// Removes the icon and, when the plugin is enabled with the tray option on, adds it again.
void do_icons();

// Puts a text into the icon's tooltip field, cut to what the field holds.
void SetToolTipText(const std::string& text);

// A mouse event of the icon, as reported to Winamp's main window (WindowProc's tray branch).
void OnTrayMessage(LPARAM lParam);

// Explorer (re)started and broadcast "TaskbarCreated": every icon is gone from the notification
// area. The plugin's is added again, with its current tooltip, when it is meant to be shown.
void OnTaskbarCreated();
// The registered number of "TaskbarCreated" (0 until the library is loaded).
UINT TaskbarCreatedMessage();

// Puts the tray text of the last update into the icon's tooltip (end of each update).
void RefreshTrayTip();
