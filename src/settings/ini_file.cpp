#include "settings/ini_file.h"

#include "settings/places.h"
#include "support/file_text.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

namespace {
constexpr char Utf8Mark[] = "\xEF\xBB\xBF";
constexpr char Utf16LeMark[] = "\xFF\xFE";
constexpr char Utf16BeMark[] = "\xFE\xFF";

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool IsUtf8(const std::string& s) {
    return Utf8Of(WideOf(s)) == s;
}

bool HasHighByte(const std::string& s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) > 127) return true;
    return false;
}

std::wstring SwapBytes(std::wstring w) {
    for (wchar_t& c : w)
        c = static_cast<wchar_t>(((c & 0xFF) << 8) | ((c >> 8) & 0xFF));
    return w;
}

std::wstring Utf16Of(const std::string& bytes, bool bigEndian) {
    std::wstring w(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return bigEndian ? SwapBytes(w) : w;
}

std::string BytesOf(const std::wstring& text, bool bigEndian) {
    const std::wstring w = bigEndian ? SwapBytes(text) : text;
    std::string bytes(w.size() * 2, '\0');
    for (size_t i = 0; i < w.size(); ++i) {
        bytes[2 * i] = static_cast<char>(w[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>((w[i] >> 8) & 0xFF);
    }
    return bytes;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

// The profile functions compare section and key names without regard to case.
bool SameName(const std::string& a, const std::string& b) {
    return SameTextU(a, b);
}

// What the profile functions drop around a value: blanks, control characters and the
// no-break space.
constexpr char Nbsp[] = "\xC2\xA0";
bool BlankAt(const std::string& s, size_t i) {
    return static_cast<unsigned char>(s[i]) <= 0x20 || s.compare(i, 2, Nbsp) == 0;
}
bool BlankBefore(const std::string& s, size_t end) {
    return static_cast<unsigned char>(s[end - 1]) <= 0x20 ||
           (end >= 2 && s.compare(end - 2, 2, Nbsp) == 0);
}
std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && BlankAt(s, b))
        b += static_cast<unsigned char>(s[b]) <= 0x20 ? 1 : 2;
    while (e > b && BlankBefore(s, e))
        e -= static_cast<unsigned char>(s[e - 1]) <= 0x20 ? 1 : 2;
    return s.substr(b, e - b);
}

// The section's name when the line heads one, else empty.
std::string SectionHeading(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return {};
    const size_t close = t.find(']');
    return close == std::string::npos ? std::string() : Trim(t.substr(1, close - 1));
}

bool IsKeyLine(const std::string& line, const std::string& key, size_t& eq) {
    eq = line.find('=');
    return eq != std::string::npos && SameName(Trim(line.substr(0, eq)), key);
}

bool IsQuoted(const std::string& v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// A value that would lose blanks or quotes when read back is written inside one more pair of
// double quotes, which the reader removes again, so " Общие " or "%Title" survive a restart byte
// for byte.
std::string IniQuote(const std::string& v) {
    if (v.empty()) return v;
    if (BlankAt(v, 0) || BlankBefore(v, v.size()) || IsQuoted(v)) return '"' + v + '"';
    return v;
}

// At most limit - 1 characters, never cut inside one.
std::string CutToChars(const std::string& s, int limit) {
    size_t chars = 0, i = 0;
    while (i < s.size() && chars + 1 < static_cast<size_t>(limit)) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
        ++chars;
    }
    return s.substr(0, i);
}

std::string EncodeLine(TIniEncoding encoding, const std::string& text) {
    return encoding == TIniEncoding::Ansi ? AnsiFromUtf8(text) : text;
}
} // namespace

TIniFile IniFromBytes(const std::string& bytes) {
    TIniFile f;
    std::string text;
    if (StartsWith(bytes, Utf16LeMark) || StartsWith(bytes, Utf16BeMark)) {
        const bool be = StartsWith(bytes, Utf16BeMark);
        f.encoding = be ? TIniEncoding::Utf16Be : TIniEncoding::Utf16Le;
        f.damaged = bytes.size() % 2 != 0; // half a unit at the end is dropped
        text = Utf8Of(Utf16Of(bytes.substr(2), be));
        for (const std::string& line : SplitLines(text))
            f.lines.push_back({line, {}});
    } else {
        const bool mark = StartsWith(bytes, Utf8Mark);
        text = mark ? bytes.substr(3) : bytes;
        // Text in the ANSI code page with letters beyond ASCII is practically never valid UTF-8;
        // a file that holds both (written into by an earlier version after the user converted
        // it) is read line by line, each in the encoding it is valid in.
        const bool wholeUtf8 = IsUtf8(text);
        f.encoding = mark                             ? TIniEncoding::Utf8Bom
                     : wholeUtf8 && HasHighByte(text) ? TIniEncoding::Utf8
                                                      : TIniEncoding::Ansi;
        for (const std::string& line : SplitLines(text)) {
            const bool utf8 =
                IsUtf8(line) && (HasHighByte(line) || f.encoding != TIniEncoding::Ansi);
            if (utf8 && HasHighByte(line) && f.encoding == TIniEncoding::Ansi) f.damaged = true;
            if (!utf8 && f.encoding != TIniEncoding::Ansi) f.damaged = true;
            f.lines.push_back({utf8 ? line : Utf8FromAnsi(line), line});
        }
        // Half and half: written back whole in UTF-8, which keeps every line and character.
        if (f.damaged && f.encoding == TIniEncoding::Ansi) f.encoding = TIniEncoding::Utf8;
    }
    if (text.find('\0') != std::string::npos) f.damaged = true;
    const size_t crlf = text.find("\r\n"), lf = text.find('\n');
    f.bareLineFeeds = lf != std::string::npos && (crlf == std::string::npos || crlf > lf);
    return f;
}

TIniFile ReadIniFile(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes, MaxIniBytes);
    bytes = WithoutOwner(bytes);
    if (bytes.empty() && GetFileSizeLOW(path) > 0) {
        TIniFile f;
        f.damaged = f.unreadable = true;
        return f;
    }
    return IniFromBytes(bytes);
}

std::string IniBytes(const TIniFile& f) {
    std::string text;
    for (const TIniLine& line : f.lines) {
        // An ANSI file's unchanged lines go back as they were read, byte for byte.
        if (f.encoding == TIniEncoding::Ansi && line.raw)
            text += *line.raw;
        else
            text += EncodeLine(f.encoding, line.text);
        text += f.bareLineFeeds ? "\n" : "\r\n";
    }
    switch (f.encoding) {
    case TIniEncoding::Utf8Bom: return Utf8Mark + text;
    case TIniEncoding::Utf16Le: return Utf16LeMark + BytesOf(WideOf(text), false);
    case TIniEncoding::Utf16Be: return Utf16BeMark + BytesOf(WideOf(text), true);
    default: return text;
    }
}

bool Encodable(const TIniFile& f, const std::string& text) {
    return f.encoding != TIniEncoding::Ansi || Utf8FromAnsi(AnsiFromUtf8(text)) == text;
}

std::optional<std::string> IniValue(const TIniFile& f, const std::string& section,
                                    const std::string& key, int limit) {
    size_t i = 0;
    while (i < f.lines.size() && !SameName(SectionHeading(f.lines[i].text), section))
        ++i;
    for (++i; i < f.lines.size() && SectionHeading(f.lines[i].text).empty(); ++i) {
        const std::string& line = f.lines[i].text;
        size_t eq = 0;
        // A line holding a NUL is damage, not a key.
        if (line.find('\0') != std::string::npos || !IsKeyLine(line, key, eq)) continue;
        std::string value = TrimBlanks(line.substr(eq + 1));
        if (IsQuoted(value)) value = value.substr(1, value.size() - 2);
        return CutToChars(value, limit);
    }
    return std::nullopt;
}

TIniSection FindOrAddSection(TIniFile& f, const std::string& name) {
    for (size_t i = 0; i < f.lines.size(); ++i) {
        if (!SameName(SectionHeading(f.lines[i].text), name)) continue;
        size_t end = i + 1;
        while (end < f.lines.size() && SectionHeading(f.lines[end].text).empty())
            ++end;
        // Keys follow the section's last key, not the blank lines that end it.
        while (end > i + 1 && Trim(f.lines[end - 1].text).empty())
            --end;
        return {f, i, end};
    }
    f.lines.push_back({"[" + name + "]", {}});
    return {f, f.lines.size() - 1, f.lines.size()};
}

void SetKey(TIniSection& s, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + IniQuote(value);
    auto& lines = s.file.lines;
    for (size_t i = s.heading + 1; i < s.end; ++i) {
        size_t eq = 0;
        if (lines[i].text.find('\0') != std::string::npos || !IsKeyLine(lines[i].text, key, eq))
            continue;
        if (lines[i].text != line) lines[i] = {line, {}};
        return;
    }
    lines.insert(lines.begin() + static_cast<ptrdiff_t>(s.end), TIniLine{line, {}});
    ++s.end;
}
