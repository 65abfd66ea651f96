// The supported client kinds and the driver that serves every running client at an update.
#pragma once
#include <windows.h>
#include <array>
#include <string>

// The controls found on one status form; 0 where not found.
struct TStatusWindow {
    HWND wStatus = nullptr;     // edit holding the status caption
    HWND wLongStatus = nullptr; // edit or memo holding the long status
    HWND wOK = nullptr;         // panel that confirms the form (QIP)
    HWND wCombo = nullptr;      // combo box of status pictures (QIP)
    HWND wPan = nullptr;        // the last panel seen (QIP)
    bool operator==(const TStatusWindow&) const = default;
};
inline const TStatusWindow nilTStatusWindows{};

// One supported client kind: its window classes and the two operations on its status form.
struct TICQClient {
    std::string szMainClass;
    std::string szMainCaption; // unused
    std::string szStatusClass;
    std::string szStatusCaption; // unused
    TStatusWindow (*GetChilds)(HWND wind, HWND parent) = nullptr;
    bool (*SetStatus)(HWND wParent) = nullptr;
};

extern TICQClient QIPClient;
extern TICQClient RnQClient;
extern std::array<TICQClient, 2> ICQClients; // QIP first, then R&Q

// Fills the table of client kinds (library load).
void InitClientKinds();

// The controls of a status form of any supported kind; nilTStatusWindows for other windows.
TStatusWindow GetChilds(HWND wind, HWND parent);
// Applies the current status (ps.Picture, ps.Status, ps.LongStatus) to a status form of any
// supported kind; false when the window is of no supported kind.
bool SetStatus(HWND wParent);

// Finds every running client status form and applies the current status to those selected.
void SetText();
