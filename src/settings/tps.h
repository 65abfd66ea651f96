// The settings-and-state record and the plain records it carries.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>

#include "lite/resource.h"
#include "settings/report_texts.h"

inline constexpr int DlgControlsFirst = IDC_Enable;
inline constexpr int DlgControlsLast = IDC_Compatible;
inline constexpr int DlgControlsCount = DlgControlsLast - DlgControlsFirst + 1;

// Highest slot index: 21 client slots and 21 windows per search.
inline constexpr int ICQClientsMaxCount = 20;

// 27 texts indexed by setting id (1000..1026).
struct TDlgControlsAr {
    std::array<std::string, DlgControlsCount> items;
    std::string& operator[](int id) { return items.at(static_cast<size_t>(id - DlgControlsFirst)); }
    const std::string& operator[](int id) const {
        return items.at(static_cast<size_t>(id - DlgControlsFirst));
    }
    bool operator==(const TDlgControlsAr&) const = default;
};

// One client slot: the status a client showed before the plugin first changed it. Its texts are
// UTF-8, read in the form the client's controls speak, so that they come back exactly; the
// class and title are the system's ANSI texts.
struct TQIPState {
    HWND wnd = nullptr;
    int32_t prevPic = 0;
    std::string prevStatus;
    std::string prevLongStatus;
    bool changed = false; // the plugin has sent this client a picture, caption or long status
    // What the journal of stored statuses needs to know the client again after Winamp or the
    // client ended: its form's class, process and main-window title, and what the plugin last
    // set there and the client confirmed.
    std::string formClass;
    DWORD pid = 0;
    std::string mainTitle;
    int32_t setPic = 0;
    std::string setStatus;
    std::string setLongStatus;
    // What the plugin announced it is about to set, while the client has not confirmed it yet:
    // after a crash the client may show either this or what it confirmed last.
    bool underWay = false;
    int32_t nextPic = 0;
    std::string nextStatus;
    std::string nextLongStatus;
};

// The shell's ANSI notification-icon record in its full form (balloon fields and GUID):
// 504 bytes in the 32-bit build.
struct TNOTIFYICONDATA2 {
    DWORD cbSize;
    HWND Wnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    char szInfo[256];
    UINT uTimeoutOrVersion;
    char szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
};
#ifndef _WIN64
static_assert(sizeof(TNOTIFYICONDATA2) == 504);
#endif

struct TPS {
    TDlgControlsAr DlgControlsC;          // captions and item lists, current language
    TDlgControlsAr DlgControlsV;          // setting values
    TReportTexts ReportC;                 // what the dialog tells of the last update
    std::array<std::string, 3> PlayState; // playing, paused, stopped
    std::string Status;                   // the three texts of the last update, in UTF-8
    std::string LongStatus;
    std::string Tray;
    int32_t Picture = 0;
    std::string CurFile;
    int32_t WinampVer = 0;
    TNOTIFYICONDATA2 TrayIcon{};
    std::array<TQIPState, ICQClientsMaxCount + 1> SaveData{};
};
