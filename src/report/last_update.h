// What the last update or restore did to each client it met, and the failures that lose the
// user something while they stand: told in the settings dialog and the tray's tooltip, where the
// user looks, instead of a debugger's output that no user ever sees.
//
// Winamp's thread only: an update leaves its record behind as a value, and only the last one is
// kept.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "settings/report_texts.h"

enum class TClientResult {
    Set,
    Unchanged, // it already showed what the update would set
    Restored,
    LeftOut,       // the client-name choice did not take it
    Skipped,       // not answering; nothing of it is held
    SkippedStored, // not answering; its status is held, to be given back
    FormClosed,    // QIP's form closed while forced opening is off
    FormNotOpened, // QIP's form closed; a click to open it did not open it (yet)
    NoForm,        // an R&Q main window without its status form
    NotReached,    // the update's time ran out before it
    Conditions,    // its status is not the one the conditions name
    Gone,          // closed while it was served
    RestoreKept,   // not answering at a restore: still held
    RestoreClosed, // closed before its status came back: kept for its next start
};

struct TClientLine {
    std::string kind;  // "QIP", "R&Q"
    std::string title; // its main window's, UTF-8
    TClientResult result = TClientResult::Set;
    bool operator==(const TClientLine&) const = default;
};

struct TLastUpdate {
    bool restore = false;
    SYSTEMTIME time{};
    std::string track;     // what it showed, UTF-8
    std::string lookedFor; // the client-name choice's text, for a client left out
    std::vector<TClientLine> clients;
};

// The longest title kept: the list shows less, and the record stays small whatever a client
// names its window.
inline constexpr size_t ReportTitleMax = 256;
// At most this many client lines (the search takes at most 21 forms, and as many main windows).
inline constexpr size_t ReportClientsMax = 64;

// The update or restore just done, stamped with the local time; the watcher hears of it.
void PublishUpdate(TLastUpdate update);
// Nothing is recorded before the first update.
bool HaveLastUpdate();
const TLastUpdate& LastUpdate();

enum class TFailure { Restore, Settings, Journal };
// A failure that stands until the next success of the same kind; why is said with it (UTF-8).
void SetFailure(TFailure failure, bool stands, const std::string& why = {});
bool FailureStands(TFailure failure);

// The lines the settings show, in these texts: standing failures first, marked, then the time
// and what was shown, then one line per client.
std::vector<std::string> ReportLines(const TReportTexts& texts);
// One short line for the tray's tooltip while a failure stands, marked; empty otherwise.
std::string TrayWarning(const TReportTexts& texts);

// The window that is posted message whenever the record or a failure changes (the open
// dialog); none with nullptr.
void WatchReport(HWND window, UINT message);
// As at library load.
void ForgetReport();
