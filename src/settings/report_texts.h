// The texts the settings dialog uses to tell what the last update did: captions like the others,
// built in in Russian and English, and read from a language section that names them.
#pragma once
#include <array>
#include <string>

enum TReportText : int {
    rtHeading,  // above the list
    rtNoUpdate, // the dialog opened before any update
    rtRestore,  // the line of a restore, after its time
    rtNoClient, // no QIP or R&Q running
    rtSet,      // the outcomes, one per client
    rtUnchanged,
    rtRestored,
    rtLeftOut, // %1: the text looked for in the title
    rtSkipped,
    rtSkippedStored,
    rtFormClosed,
    rtFormNotOpened,
    rtNoForm,
    rtNotReached,
    rtConditions,
    rtGone,
    rtRestoreKept, // failures that lose something, or may
    rtRestoreClosed,
    rtSettingsFailed, // %1: each file tried and why
    rtJournalFailed,  // %1: each file tried and why
    rtTrayRestore,    // the short forms of the failures for the tray's tooltip
    rtTraySettings,
    rtTrayJournal,
    ReportTextCount
};

struct TReportTexts {
    std::array<std::string, ReportTextCount> items; // UTF-8
    const std::string& operator[](TReportText t) const { return items.at(static_cast<size_t>(t)); }
    std::string& operator[](TReportText t) { return items.at(static_cast<size_t>(t)); }
    bool operator==(const TReportTexts&) const = default;
};

// The key of a text in a language section ("LastUpdate" for "LastUpdate.Caption").
const char* ReportTextName(TReportText t);
// English for a language named so, Russian for every other.
const TReportTexts& DefReportTexts(const std::string& language);
