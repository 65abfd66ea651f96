// Winamp's published IPC numbers, command ids and request records that the plugin uses.
#pragma once
#include <windows.h>
#include <cstdint>

inline constexpr UINT WM_WA_IPC = WM_USER;

inline constexpr LPARAM IPC_GETVERSION = 0;
inline constexpr LPARAM IPC_ISPLAYING = 104;
inline constexpr LPARAM IPC_GETLISTPOS = 125;
inline constexpr LPARAM IPC_GETPLAYLISTFILE = 211;
inline constexpr LPARAM IPC_GETPLAYLISTTITLE = 212;
// The same two in Unicode (Winamp 5.13 and later): a pointer to the host's wide string.
inline constexpr LPARAM IPC_GETPLAYLISTTITLEW = 213;
inline constexpr LPARAM IPC_GETPLAYLISTFILEW = 214;
inline constexpr LPARAM IPC_GET_HMENU = 281;
// The window every dialog should be owned by (Winamp 5.51 and later): a modern skin parks the
// main window out of sight and names another.
inline constexpr LPARAM IPC_GETDIALOGBOXPARENT = 365;
inline constexpr LPARAM IPC_GET_EXTENDED_FILE_INFO = 290;
// The folder that holds winamp.ini (Winamp 2.9 and later): a pointer to its ANSI path.
inline constexpr LPARAM IPC_GETINIDIRECTORY = 335;
// The same folder in Unicode (Winamp 5.58 and later).
inline constexpr LPARAM IPC_GETINIDIRECTORYW = 1335;
// IPC_GET_EXTENDED_FILE_INFO in Unicode (Winamp 5.13 and later).
inline constexpr LPARAM IPC_GET_EXTENDED_FILE_INFOW = 3026;
inline constexpr LPARAM IPC_PLAYING_FILE = 3003;
// The same start with the file's Unicode path in wParam (Winamp 5 sends both).
inline constexpr LPARAM IPC_PLAYING_FILEW = 13003;
// Winamp is about to choose the next entry (wParam is how it got there); the entry it leaves is
// still the current one.
inline constexpr LPARAM IPC_GET_NEXT_PLITEM = 636;
// Sent inside Winamp's stop routine, and when it is asked whether it may close.
inline constexpr LPARAM IPC_STOPPLAYING = 3043;
inline constexpr LPARAM IPC_HOOK_OKTOQUIT = 3010;
// The Unicode tag request Winamp sends while its playlist is locked.
inline constexpr LPARAM IPC_GET_EXTENDED_FILE_INFOW_HOOKABLE = 3027;
// Winamp tells its plugins that something of the player changed; wParam says what.
inline constexpr LPARAM IPC_CB_MISC = 603;
// The current entry's title changed: a stream names its new song this way, without a new file.
inline constexpr WPARAM IPC_CB_MISC_TITLE = 0;
// The player started, paused, resumed or stopped, however that was asked for.
inline constexpr WPARAM IPC_CB_MISC_STATUS = 2;
// The decoder's info changed (bitrate and the like), and pause or resume (Winamp 5.65 and later).
inline constexpr WPARAM IPC_CB_MISC_INFO = 4;
inline constexpr WPARAM IPC_CB_MISC_PAUSE = 7;
inline constexpr WPARAM IPC_CB_MISC_UNPAUSE = 8;

// The five main control buttons (previous, play, pause, stop, next).
inline constexpr WPARAM WINAMP_BUTTON1 = 40044;
inline constexpr WPARAM WINAMP_BUTTON2 = 40045;
inline constexpr WPARAM WINAMP_BUTTON3 = 40046;
inline constexpr WPARAM WINAMP_BUTTON4 = 40047;
inline constexpr WPARAM WINAMP_BUTTON5 = 40048;

// Request record of IPC_GET_EXTENDED_FILE_INFO: the host reads the two names and writes its
// answer into szRet.
struct TExtendedFileInfo {
    const char* szFileName;
    const char* szMetadata;
    char* szRet;
    int32_t RetLen;
};

// Request record of IPC_GET_EXTENDED_FILE_INFOW; retlen counts characters.
struct TExtendedFileInfoW {
    const wchar_t* filename;
    const wchar_t* metadata;
    wchar_t* ret;
    size_t retlen;
};
