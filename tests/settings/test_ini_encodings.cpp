// The INI file as users' editors save it: each row a file, each taken through a start, OK (a
// store the user asks for), quit and the next start, with the values read and the bytes left.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <vector>

#include "common/files.h"
#include "common/plugin_fixture.h"
#include "common/texts.h"
#include "settings/places.h"
#include "settings/settings.h"

namespace {
using IniEncodingTest = PluginTest;

enum class Enc { Ansi, Utf8, Utf8Bom, Utf16Le, Utf16Be };

const std::string Main = std::string("[") + AppName + "]";
const std::string Russian = std::string("[") + AppName + "_Russian]";

// A UTF-8 text as the file's bytes.
std::string Encode(const std::string& utf8, Enc enc) {
    std::string bytes;
    switch (enc) {
    case Enc::Ansi: return Recode(utf8, CP_UTF8, CP_ACP);
    case Enc::Utf8: return utf8;
    case Enc::Utf8Bom: return "\xEF\xBB\xBF" + utf8;
    case Enc::Utf16Le:
    case Enc::Utf16Be:
        bytes = enc == Enc::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
        for (const wchar_t c : Wide(utf8)) {
            const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
            bytes += enc == Enc::Utf16Le ? std::string{lo, hi} : std::string{hi, lo};
        }
        return bytes;
    }
    return bytes;
}

// The file's bytes as UTF-8 text, read as the encoding the row expects.
std::string Decode(const std::string& bytes, Enc enc) {
    switch (enc) {
    case Enc::Ansi: return Recode(bytes, CP_ACP, CP_UTF8);
    case Enc::Utf8: return bytes;
    case Enc::Utf8Bom: return bytes.substr(3);
    case Enc::Utf16Le:
    case Enc::Utf16Be: {
        std::wstring w;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]),
                       b = static_cast<unsigned char>(bytes[i + 1]);
            w += static_cast<wchar_t>(enc == Enc::Utf16Le ? a | b << 8 : b | a << 8);
        }
        return Narrow(w, CP_UTF8);
    }
    }
    return {};
}

bool IsUtf8(const std::string& s) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                               nullptr, 0) > 0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

const std::string Note = U8(u8"; заметка ♪");                        // a comment a store keeps
const std::string English = "[Winamp to ICQ client status_English]"; // another language's section
const std::string Listening = U8(u8"Слушаю: %Artist - %Title");
const std::string Note8 = U8(u8"♫ %Artist - %Title");

// The usual file: a main section, a comment, another language, the status and the delay.
std::string UserFile(const std::string& status, const std::string& eol) {
    return Main + eol + "Lang=Russian" + eol + Note + eol + English + eol + "Enable.Caption=On" +
           eol + Russian + eol + "Status.Value=" + status + eol + "DelayV.Value=5" + eol;
}

struct Row {
    const char* name;
    std::string bytes;
    std::optional<Enc> enc; // how a store leaves it; none: nothing may be written over it
    std::string status;     // read at start
    std::string delay;
    bool quitKeeps;            // a store at quit leaves every byte
    std::string okStatus;      // what OK stores
    bool okTold;               // and the user is told something could not be stored
    std::string statusAfterOk; // read at the next start
    std::string delayAfterOk;
};

std::vector<Row> Rows() {
    const std::string def = DefValues()[IDC_Status], crlf = "\r\n";
    const std::string mixed = Encode(UserFile(Note8, crlf), Enc::Utf8) +
                              "Tray.Value=" + Encode(Listening, Enc::Ansi) + crlf;
    const std::string huge =
        Russian + crlf + "DelayV.Value=5" + crlf + "; " + std::string(10 * 1024 * 1024, 'x') + crlf;
    return {
        // The control: code page 1251, as the plugin writes it. A character it lacks is not
        // stored; the file keeps the old value and the user is told.
        {"ansi", Encode(UserFile(Listening, crlf), Enc::Ansi), Enc::Ansi, Listening, "5", false,
         Note8, true, Listening, "7"},
        {"utf8 without a mark, LF", Encode(UserFile(Note8, "\n"), Enc::Utf8), Enc::Utf8, Note8, "5",
         false, Listening, false, Listening, "7"},
        {"utf8 with a mark", Encode(UserFile(Listening, crlf), Enc::Utf8Bom), Enc::Utf8Bom,
         Listening, "5", false, Note8, false, Note8, "7"},
        {"utf16le", Encode(UserFile(Note8, crlf), Enc::Utf16Le), Enc::Utf16Le, Note8, "5", false,
         Listening, false, Listening, "7"},
        {"utf16be", Encode(UserFile(Note8, crlf), Enc::Utf16Be), Enc::Utf16Be, Note8, "5", false,
         Listening, false, Listening, "7"},
        {"a mark and nothing else", "\xFF\xFE", Enc::Utf16Le, def, "10", false, Note8, false, Note8,
         "7"},
        // Bad files: read as well as they can be, left alone at quit, rewritten only at OK.
        {"utf8 with a 1251 line", mixed, Enc::Utf8, Note8, "5", true, Note8, false, Note8, "7"},
        {"utf16 with an odd byte", Encode(UserFile(Note8, crlf), Enc::Utf16Le) + "x", Enc::Utf16Le,
         Note8, "5", true, Listening, false, Listening, "7"},
        {"a NUL in a value",
         Encode(Russian + crlf + "Status.Value=ab", Enc::Ansi) + std::string(1, '\0') + "cd" +
             crlf + "DelayV.Value=5" + crlf,
         Enc::Ansi, def, "5", true, Listening, false, Listening, "7"},
        {"10 MB", huge, std::nullopt, def, "10", true, Listening, true, def, "10"},
    };
}

TEST_F(IniEncodingTest, EachFileIsReadInItsEncodingAndKeepsIt) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        // Start, quit, start again.
        WriteFileBytes(ini, row.bytes);
        config_read();
        EXPECT_EQ(row.status, ps.DlgControlsV[IDC_Status]);
        EXPECT_EQ(row.delay, ps.DlgControlsV[IDC_DelayV]);
        if (std::string(row.name) == "utf8 with a 1251 line") {
            EXPECT_EQ(Listening, ps.DlgControlsV[IDC_Tray]) << "each line in its own encoding";
        }
        EXPECT_EQ("", config_write_at_quit());
        const std::string afterQuit = ReadFileBytes(ini);
        if (row.quitKeeps) {
            EXPECT_TRUE(afterQuit == row.bytes) << "quit wrote over the file";
        }
        config_read();
        EXPECT_EQ(row.status, ps.DlgControlsV[IDC_Status]);
        EXPECT_EQ(row.delay, ps.DlgControlsV[IDC_DelayV]);

        // Start, OK with a new status and delay, quit, start again.
        WriteFileBytes(ini, row.bytes);
        config_read();
        ps.DlgControlsV[IDC_Status] = row.okStatus;
        ps.DlgControlsV[IDC_DelayV] = "7";
        const std::string told = config_write();
        EXPECT_EQ(row.okTold, !told.empty()) << told;
        const std::string afterOk = ReadFileBytes(ini);
        // Quit tells again what it could not store; a file it could not read it leaves alone.
        EXPECT_EQ(row.enc ? told : "", config_write_at_quit());
        EXPECT_TRUE(afterOk == ReadFileBytes(ini)) << "quit after OK changed the file";
        config_read();
        EXPECT_EQ(row.statusAfterOk, ps.DlgControlsV[IDC_Status]);
        EXPECT_EQ(row.delayAfterOk, ps.DlgControlsV[IDC_DelayV]);

        if (!row.enc) {
            EXPECT_TRUE(afterOk == row.bytes) << "a file not read was written over";
            continue;
        }
        std::vector<std::string> written{afterOk};
        if (!row.quitKeeps) written.push_back(afterQuit);
        for (const std::string& bytes : written) {
            // Its own mark, encoding and line ends, one main section, every line of the user's.
            const std::string mark = Encode("", *row.enc);
            EXPECT_EQ(mark, bytes.substr(0, mark.size()));
            const std::string text = Decode(bytes, *row.enc);
            if (*row.enc != Enc::Ansi) {
                EXPECT_TRUE(IsUtf8(text)) << text;
            }
            EXPECT_EQ(1u, Count(text, Main)) << text;
            const bool lf = row.bytes.find("\r\n") == std::string::npos && *row.enc == Enc::Utf8;
            EXPECT_EQ(lf ? 0u : Count(text, "\n"), Count(text, "\r\n")) << "line ends mixed";
            for (const std::string& line : Lines(Decode(row.bytes, *row.enc)))
                if (IsUtf8(line) && line.rfind("Status.", 0) != 0 &&
                    line.rfind("DelayV.", 0) != 0) {
                    EXPECT_NE(std::string::npos, text.find(line)) << "lost: " << line;
                }
        }
        if (std::string(row.name) == "utf8 with a 1251 line") {
            EXPECT_NE(std::string::npos, afterOk.find("Tray.Value=" + Listening)) << afterOk;
        }
    }
}

// A per-user file its user saved as "Unicode": the line naming its library is UTF-16 after the mark
// like the rest, is still recognised, and a store there keeps the mark first.
TEST_F(IniEncodingTest, APerUserFileWithAMarkKeepsItsOwnerLineAfterTheMark) {
    const TFilePlaces places = PlacesOf(".ini");
    ASSERT_FALSE(places.user.empty());
    const std::string owner = "; gen_Lumtra library=" + places.owner + "\r\n";
    // A fresh Wine prefix has no per-user plugin folder yet; the user's editor saved it there.
    SHCreateDirectoryExA(nullptr, places.user.substr(0, places.user.find_last_of('\\')).c_str(),
                         nullptr);
    WriteFileBytes(places.user, Encode(owner + UserFile(Note8, "\r\n"), Enc::Utf16Le));
    config_read();
    EXPECT_EQ(places.user, IniFileName());
    EXPECT_EQ(Note8, ps.DlgControlsV[IDC_Status]);
    ps.DlgControlsV[IDC_DelayV] = "7";
    ASSERT_TRUE(CreateDirectoryA((ini + ".new").c_str(), nullptr)); // the library's place refuses
    EXPECT_EQ("", config_write());
    RemoveDirectoryA((ini + ".new").c_str());
    const std::string stored = ReadFileBytes(places.user);
    EXPECT_EQ(0u, stored.find(Encode(owner + Main, Enc::Utf16Le)));
    EXPECT_EQ(1u, Count(Decode(stored, Enc::Utf16Le), owner));
    config_read();
    EXPECT_EQ(places.user, IniFileName());
    EXPECT_EQ("7", ps.DlgControlsV[IDC_DelayV]);
    EXPECT_EQ(Note8, ps.DlgControlsV[IDC_Status]);
}
} // namespace
