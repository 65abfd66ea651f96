#include "report/last_update.h"

#include <array>
#include <cstdio>
#include <optional>

#include "support/supportLumtra.h"

namespace {
// U+26A0, the mark of a line that tells of something lost or at risk.
constexpr char Warning[] = "\xE2\x9A\xA0 ";
constexpr char Dash[] = " \xE2\x80\x94 ";

struct TStanding {
    bool stands = false;
    std::string why;
};

std::optional<TLastUpdate> last;
std::array<TStanding, 3> failures;
HWND watcher = nullptr;
UINT watchMessage = 0;

void Tell() {
    // Posted: the dialog draws from its own loop, never inside the update that changed it.
    if (watcher && IsWindow(watcher)) PostMessageW(watcher, watchMessage, 0, 0);
}

TStanding& Of(TFailure f) {
    return failures.at(static_cast<size_t>(f));
}

TReportText TextOf(TClientResult r) {
    switch (r) {
    case TClientResult::Set: return rtSet;
    case TClientResult::Unchanged: return rtUnchanged;
    case TClientResult::Restored: return rtRestored;
    case TClientResult::LeftOut: return rtLeftOut;
    case TClientResult::Skipped: return rtSkipped;
    case TClientResult::SkippedStored: return rtSkippedStored;
    case TClientResult::FormClosed: return rtFormClosed;
    case TClientResult::FormNotOpened: return rtFormNotOpened;
    case TClientResult::NoForm: return rtNoForm;
    case TClientResult::NotReached: return rtNotReached;
    case TClientResult::Conditions: return rtConditions;
    case TClientResult::Gone: return rtGone;
    case TClientResult::RestoreKept: return rtRestoreKept;
    case TClientResult::RestoreClosed: return rtRestoreClosed;
    }
    return rtSet;
}

bool LosesSomething(TClientResult r) {
    return r == TClientResult::RestoreKept || r == TClientResult::RestoreClosed;
}

std::string With(const std::string& text, const std::string& what) {
    return StringReplace(text, "%1", what, rfReplaceAll);
}

// A title that already begins with the kind ("QIP 2005 - 12345") is not prefixed with it again.
std::string ClientName(const TClientLine& c) {
    if (c.title.empty()) return c.kind;
    if (c.title.compare(0, c.kind.size(), c.kind) == 0) return c.title;
    return c.kind + " " + c.title;
}

// At most max bytes, never half a character.
std::string CutUtf8(const std::string& text, size_t max) {
    size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

std::string TimeText(const SYSTEMTIME& t) {
    char text[16];
    snprintf(text, sizeof text, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    return text;
}
} // namespace

void PublishUpdate(TLastUpdate update) {
    GetLocalTime(&update.time);
    if (update.clients.size() > ReportClientsMax) update.clients.resize(ReportClientsMax);
    for (TClientLine& c : update.clients)
        if (c.title.size() > ReportTitleMax) c.title = CutUtf8(c.title, ReportTitleMax);
    last = std::move(update);
    Tell();
}

bool HaveLastUpdate() {
    return last.has_value();
}

const TLastUpdate& LastUpdate() {
    static const TLastUpdate none;
    return last ? *last : none;
}

void SetFailure(TFailure failure, bool stands, const std::string& why) {
    TStanding& s = Of(failure);
    const TStanding now{stands, stands ? why : std::string()};
    if (s.stands == now.stands && s.why == now.why) return;
    s = now;
    Tell();
}

bool FailureStands(TFailure failure) {
    return Of(failure).stands;
}

std::vector<std::string> ReportLines(const TReportTexts& texts) {
    std::vector<std::string> lines;
    if (Of(TFailure::Restore).stands) lines.push_back(Warning + texts[rtTrayRestore]);
    if (Of(TFailure::Settings).stands)
        lines.push_back(Warning + With(texts[rtSettingsFailed], Of(TFailure::Settings).why));
    if (Of(TFailure::Journal).stands)
        lines.push_back(Warning + With(texts[rtJournalFailed], Of(TFailure::Journal).why));
    if (!last) {
        lines.push_back(texts[rtNoUpdate]);
        return lines;
    }
    lines.push_back(TimeText(last->time) + "  " + (last->restore ? texts[rtRestore] : last->track));
    if (last->clients.empty()) lines.push_back(texts[rtNoClient]);
    for (const TClientLine& c : last->clients)
        lines.push_back((LosesSomething(c.result) ? Warning : "") + ClientName(c) + Dash +
                        With(texts[TextOf(c.result)], last->lookedFor));
    return lines;
}

std::string TrayWarning(const TReportTexts& texts) {
    if (Of(TFailure::Restore).stands) return Warning + texts[rtTrayRestore];
    if (Of(TFailure::Journal).stands) return Warning + texts[rtTrayJournal];
    if (Of(TFailure::Settings).stands) return Warning + texts[rtTraySettings];
    return {};
}

void WatchReport(HWND window, UINT message) {
    watcher = window;
    watchMessage = message;
}

void ForgetReport() {
    last.reset();
    failures = {};
    watcher = nullptr;
}
