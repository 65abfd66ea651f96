#include "clients/journal.h"

#include "report/last_update.h"

#include "clients/clients.h"
#include "clients/journal_writer.h"
#include "settings/places.h"
#include "settings/settings.h"
#include "support/file_text.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
// Version 2 holds UTF-8, so a status from a Unicode client comes back character for character.
// Version 1 held the ANSI code page; such a journal, left by an earlier version of the plugin, is
// still read.
constexpr char Header[] = "gen_Lumtra stored statuses, version 2";
constexpr char HeaderAnsi[] = "gen_Lumtra stored statuses, version 1";
// A journal is a few lines per client: anything far larger is no journal of ours.
constexpr DWORD MaxJournalBytes = 1024 * 1024;

// One value per line: backslashes and line breaks are written as escapes.
std::string Escape(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '\\')
            r += "\\\\";
        else if (c == '\r')
            r += "\\r";
        else if (c == '\n')
            r += "\\n";
        else
            r += c;
    }
    return r;
}

std::string Unescape(const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            r += s[i];
            continue;
        }
        const char c = s[++i];
        r += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return r;
}

bool ParseNumber(const std::string& s, long long low, long long high, long long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long long v = strtoll(s.c_str(), &end, 0);
    if (*end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

void Say(const std::string& what) {
    OutputDebugStringA(("gen_Lumtra: " + what + "\n").c_str());
}

// Whether an entry read back names a client the plugin could ever have held.
bool Usable(const TQIPState& e) {
    return e.wnd != nullptr && e.pid != 0 &&
           std::any_of(ICQClients.begin(), ICQClients.end(),
                       [&](const TICQClient& c) { return c.szStatusClass == e.formClass; });
}

TFilePlaces JournalPlaces() {
    return PlacesOf(".statuses.txt");
}

bool StartsWith(const std::string& text, const char* head) {
    return text.rfind(head, 0) == 0;
}

// An editor may save the journal with a UTF-8 byte order mark in front (of the owner line of a
// per-user file, or of the header). The mark says the text is UTF-8 whatever version the header
// names: an editor that opened a version 1 journal in the code page converted it as it saved.
constexpr char Bom[] = "\xEF\xBB\xBF";

struct TJournalBody {
    std::string text; // from the header on
    bool utf8Mark = false;
};

TJournalBody BodyOf(const std::string& file) {
    const bool mark = StartsWith(file, Bom);
    return {WithoutOwner(mark ? file.substr(sizeof Bom - 1) : file), mark};
}

bool HoldsJournal(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text, MaxJournalBytes)) return false;
    const std::string head = BodyOf(text).text;
    return StartsWith(head, Header) || StartsWith(head, HeaderAnsi);
}
} // namespace

bool SameWindow(const TQIPState& a, const TQIPState& b) {
    return a.wnd == b.wnd && a.pid == b.pid && a.formClass == b.formClass;
}

std::string JournalFileName() {
    JournalWritten(JournalWaitMs); // what is read is what was last written
    return FileToRead(JournalPlaces(), &HoldsJournal);
}

std::string JournalText(const std::vector<TQIPState>& entries) {
    std::string t = std::string(Header) + "\r\n";
    for (const TQIPState& e : entries) {
        char handle[32];
        snprintf(handle, sizeof handle, "0x%llx",
                 static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(e.wnd)));
        t += "\r\n[client]\r\n";
        t += "form=" + std::string(handle) + "\r\n";
        // The class and title are the system's ANSI texts; the rest is UTF-8 already.
        t += "class=" + Escape(Utf8FromAnsi(e.formClass)) + "\r\n";
        t += "process=" + std::to_string(e.pid) + "\r\n";
        t += "title=" + Escape(Utf8FromAnsi(e.mainTitle)) + "\r\n";
        t += "picture=" + std::to_string(e.prevPic) + "\r\n";
        t += "status=" + Escape(e.prevStatus) + "\r\n";
        t += "long=" + Escape(e.prevLongStatus) + "\r\n";
        // A change under way counts as made: the client may have it already.
        t += "changed=" + std::string(e.changed || e.underWay ? "1" : "0") + "\r\n";
        if (e.underWay) {
            t += "announced=1\r\n";
            t += "next.picture=" + std::to_string(e.nextPic) + "\r\n";
            t += "next.status=" + Escape(e.nextStatus) + "\r\n";
            t += "next.long=" + Escape(e.nextLongStatus) + "\r\n";
        }
        t += "set.picture=" + std::to_string(e.setPic) + "\r\n";
        t += "set.status=" + Escape(e.setStatus) + "\r\n";
        t += "set.long=" + Escape(e.setLongStatus) + "\r\n";
    }
    return t;
}

std::vector<TQIPState> ParseJournal(const std::string& text, bool utf8Mark) {
    std::vector<TQIPState> out;
    const bool utf8 = StartsWith(text, Header) || (utf8Mark && StartsWith(text, HeaderAnsi));
    if (!utf8 && !StartsWith(text, HeaderAnsi)) return out; // another version, or not ours
    // Each text as the plugin holds it: the system's ANSI for the class and title, UTF-8 for
    // what clients show.
    auto ansi = [utf8](const std::string& v) { return utf8 ? AnsiFromUtf8(v) : v; };
    auto shown = [utf8](const std::string& v) { return utf8 ? v : Utf8FromAnsi(v); };
    bool inEntry = false, whole = false;
    TQIPState e;
    // A window is one client: an entry naming one an earlier entry names is left out, so that
    // no look-alike can take it for its own.
    auto named = [&] {
        return std::any_of(out.begin(), out.end(),
                           [&](const TQIPState& o) { return SameWindow(o, e); });
    };
    auto finish = [&] {
        if (inEntry && whole && Usable(e) && out.size() <= ICQClientsMaxCount && !named())
            out.push_back(e);
        e = TQIPState{};
        whole = false;
    };
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break; // a last line without its end was cut off
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('\0') != std::string::npos) return {}; // binary: nothing of it is trusted
        if (line == "[client]") {
            finish();
            inEntry = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (!inEntry || eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = Unescape(line.substr(eq + 1));
        long long n = 0;
        if (key == "form" && ParseNumber(value, 1, 0xFFFFFFFFLL, n))
            e.wnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(n));
        else if (key == "class")
            e.formClass = ansi(value);
        else if (key == "process" && ParseNumber(value, 1, 0xFFFFFFFFLL, n))
            e.pid = static_cast<DWORD>(n);
        else if (key == "title")
            e.mainTitle = ansi(value);
        else if (key == "picture" && ParseNumber(value, INT32_MIN, INT32_MAX, n))
            e.prevPic = static_cast<int32_t>(n);
        else if (key == "status")
            e.prevStatus = shown(value);
        else if (key == "long")
            e.prevLongStatus = shown(value);
        else if (key == "changed")
            e.changed = value == "1";
        else if (key == "announced")
            e.underWay = value == "1";
        else if (key == "next.picture" && ParseNumber(value, INT32_MIN, INT32_MAX, n))
            e.nextPic = static_cast<int32_t>(n);
        else if (key == "next.status")
            e.nextStatus = shown(value);
        else if (key == "next.long")
            e.nextLongStatus = shown(value);
        else if (key == "set.picture" && ParseNumber(value, INT32_MIN, INT32_MAX, n))
            e.setPic = static_cast<int32_t>(n);
        else if (key == "set.status")
            e.setStatus = shown(value);
        else if (key == "set.long") {
            e.setLongStatus = shown(value);
            whole = true; // the last line of an entry: one cut off before it is left out
        }
    }
    finish();
    return out;
}

bool JournalWritten(DWORD limitMs) {
    std::vector<std::string> failures;
    const bool done = JournalTextsWritten(limitMs, failures);
    std::string why;
    for (const std::string& f : failures) {
        Say("the journal of stored statuses could not be written (" + f +
            "); the statuses stay stored while Winamp runs");
        why += (why.empty() ? "" : "; ") + StringReplace(Utf8FromAnsi(f), "\n", "; ", rfReplaceAll);
    }
    // It stands until everything handed over is written; a write still under way decides nothing.
    if (!failures.empty() || done) SetFailure(TFailure::Journal, !failures.empty(), why);
    return done;
}

void EndJournalWrites() {
    JournalWritten(JournalWaitMs);
    StopJournalWriter(JournalWaitMs);
}

void StartJournalWrites() {
    AllowJournalWriter();
}

std::vector<TQIPState> ReadJournal() {
    std::string text;
    ReadWholeFile(JournalFileName(), text, MaxJournalBytes);
    const TJournalBody body = BodyOf(text);
    return ParseJournal(body.text, body.utf8Mark);
}

namespace {
std::vector<TQIPState> pending; // Winamp's thread only
} // namespace

std::vector<TQIPState>& PendingJournalEntries() {
    return pending;
}

void HandOverJournal() {
    std::vector<TQIPState> entries;
    for (const TQIPState& s : ps.SaveData)
        if (s.wnd) entries.push_back(s);
    // Within the slots' number: the newest pending entries are kept.
    const size_t room = static_cast<size_t>(ICQClientsMaxCount + 1) - entries.size();
    if (pending.size() > room)
        pending.erase(pending.begin(),
                      pending.begin() + static_cast<ptrdiff_t>(pending.size() - room));
    entries.insert(entries.end(), pending.begin(), pending.end());
    HandOverJournalText(JournalPlaces(), JournalText(entries));
}

void SaveJournal() {
    HandOverJournal();
    JournalWritten(JournalWaitMs);
}
