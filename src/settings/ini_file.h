// The INI file as text: read in the encoding it has, edited line by line, written back in the same
// encoding with the same line ends. The plugin reads and parses it itself rather than through the
// system's profile functions, which read a file with a UTF-8 byte-order mark differently on
// Windows and under Wine, and know nothing of UTF-8 without one.
#pragma once
#include <optional>
#include <string>
#include <vector>

enum class TIniEncoding {
    Ansi,    // the ANSI code page: every file the plugin creates, and every file without a mark
             // that is not UTF-8 with letters beyond ASCII
    Utf8,    // no mark, valid UTF-8 with at least one byte above 127
    Utf8Bom, // UTF-8 behind its byte-order mark, as Notepad saves "UTF-8 with BOM"
    Utf16Le,
    Utf16Be,
};

// Far more than the plugin ever writes; a larger file is not read (and not written over).
inline constexpr int MaxIniBytes = 1024 * 1024;

struct TIniLine {
    std::string text;               // UTF-8, without the line end
    std::optional<std::string> raw; // the bytes as read, while the line is unchanged (ANSI files)
};

struct TIniFile {
    TIniEncoding encoding = TIniEncoding::Ansi;
    bool bareLineFeeds = false; // its lines end in LF alone (else CR LF, as the plugin writes)
    std::vector<TIniLine> lines;
    // Read only as well as it could be (lines in two encodings, a NUL, half a UTF-16 unit): written
    // back, lines nobody changed would change, so only a store the user asks for writes it.
    bool damaged = false;
    // Not read at all (too large): nothing may be written over it.
    bool unreadable = false;
};

TIniFile ReadIniFile(const std::string& path);
TIniFile IniFromBytes(const std::string& bytes);
std::string IniBytes(const TIniFile& f);

// The value of key in the first section of that name (names without regard to case), blanks
// around it and one pair of matching quotes removed as the profile functions do; at most limit - 1
// characters. Empty when absent.
std::optional<std::string> IniValue(const TIniFile& f, const std::string& section,
                                    const std::string& key, int limit);

// Whether the text can be written in the file's encoding as it is.
bool Encodable(const TIniFile& f, const std::string& text);

// One section of the file, found once: the keys of a save are put into it one after another.
struct TIniSection {
    TIniFile& file;
    size_t heading; // index of its heading line
    size_t end;     // one past its last key
};
TIniSection FindOrAddSection(TIniFile& f, const std::string& name);
// Puts key=value into the section (in place of its first line of that key, else after its last
// key). The value is quoted where the reader would otherwise lose its blanks or quotes.
void SetKey(TIniSection& s, const std::string& key, const std::string& value);
