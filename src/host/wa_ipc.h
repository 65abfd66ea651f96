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
inline constexpr LPARAM IPC_GET_HMENU = 281;
inline constexpr LPARAM IPC_GET_EXTENDED_FILE_INFO = 290;
// The folder that holds winamp.ini (Winamp 2.9 and later): a pointer to its ANSI path.
inline constexpr LPARAM IPC_GETINIDIRECTORY = 335;
inline constexpr LPARAM IPC_PLAYING_FILE = 3003;
// A further host notification sent when a track starts.
inline constexpr LPARAM IPC_TRACK_STARTED = 636;

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
