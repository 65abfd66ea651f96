// The supported client kinds and the driver that serves every running client at an update.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>

#include "transport/send.h"

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

// The status to put on a client: this track's, built at an update, or a slot's stored one at a
// restore. A value of its own, so that a restore arriving while an update waits cannot change
// what the update sets.
struct TStatusText {
    int32_t picture = 0;
    std::string status; // UTF-8, as every text to or from a client
    std::string longStatus;
};
// The current status the update cycle prepared (ps.Picture, ps.Status, ps.LongStatus).
TStatusText CurrentStatusText();

// What a SetStatus did to the form, beside how its messages ended.
enum class TFormEffect {
    None,            // nothing decided (a client that stopped answering, a window of no kind)
    Changed,         // the texts were sent
    AlreadyShown,    // it showed them already
    ConditionsUnmet, // its status is not the one the conditions name
    FormClosed,      // QIP's form cannot take a status now, and is not to be opened
    FormNotOpened,   // QIP's form cannot take a status now; a click was to open it
};

// One supported client kind: its window classes and the two operations on its status form.
struct TICQClient {
    std::string szMainClass;
    std::string szMainCaption; // unused
    std::string szStatusClass;
    std::string szStatusCaption; // unused
    TStatusWindow (*GetChilds)(HWND wind, HWND parent) = nullptr;
    TOutcome (*SetStatus)(HWND wParent, const TStatusText& text, TFormEffect* effect) = nullptr;
};

extern TICQClient QIPClient;
extern TICQClient RnQClient;
extern std::array<TICQClient, 2> ICQClients; // QIP first, then R&Q

// Fills the table of client kinds (library load).
void InitClientKinds();

// Whether every control found on the form is still there, on that form. One that went or was
// replaced since it was found (a client re-creating its controls) is neither read nor written for
// it: what it answered may be another control's, and another control would get its text.
bool ControlsIntact(HWND form, const TStatusWindow& c);

// The controls of a status form of any supported kind; nilTStatusWindows for other windows.
TStatusWindow GetChilds(HWND wind, HWND parent);
// Applies a status to a status form of any supported kind. Done when the client answered
// throughout (whether or not it needed a change); Refused for a window of no supported kind or a
// form that cannot take a status now; otherwise how its messages ended.
TOutcome SetStatus(HWND wParent, const TStatusText& text, TFormEffect* effect = nullptr);

// The title of the form's client main window (for R&Q the main window of its process), read
// without a message to it.
std::string MainWindowTitle(HWND form);

// The kind of a form of this class as the user knows it ("QIP", "R&Q").
std::string ClientKindName(const std::string& formClass);
// The title of the form's client main window in UTF-8, read as MainWindowTitle.
std::string MainWindowTitleU8(HWND form);

// Finds every running client status form and applies the current status to those selected, and
// leaves behind what it did to each (report/last_update.h).
// False when the update's time ran out before some client it would have served.
bool SetText();
