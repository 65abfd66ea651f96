#include "settings/settings.h"

#include "host/plugin_record.h"
#include "settings/captions.h"
#include "settings/places.h"
#include "support/file_text.h"
#include "support/owners.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

#include <vector>

std::string GetControlValueT(int id, const std::string& value) {
    switch (DlgControlsTypes(id)) {
    case DlgControlTypeStr:
    case DlgControlTypeCombo:
    case DlgControlTypeGroup: return value;
    default: return {};
    }
}

std::string GetControlValueT(int id) {
    return GetControlValueT(id, ps.DlgControlsV[id]);
}

bool GetControlValueB(int id, const std::string& value) {
    switch (DlgControlsTypes(id)) {
    case DlgControlTypeCheck:
    case DlgControlTypeRadio: return StrToIntDef(value, 0) != 0;
    default: return false;
    }
}

std::string Value2ValueText(bool b) {
    return b ? "1" : "0";
}
std::string Value2ValueText(const std::string& s) {
    return StringReplace(s, vbcrlf, "\\n", rfReplaceAll);
}

bool GetControlValueB(int id) {
    return GetControlValueB(id, ps.DlgControlsV[id]);
}

namespace {
// The profile functions drop blanks around a value and one pair of matching quotes when they
// read it back. A value that would lose either is written inside one more pair of double quotes,
// which the reader removes again, so " Общие " or "%Title" survive a restart byte for byte.
// Files written by anyone else read exactly as before.
bool IsStrippedBlank(unsigned char c) {
    return c <= 0x20 || c == 0xA0;
}

std::string IniQuote(const std::string& v) {
    if (v.empty()) return v;
    const unsigned char first = v.front(), last = v.back();
    const bool quoted = v.size() >= 2 && (first == '"' || first == '\'') && last == first;
    if (IsStrippedBlank(first) || IsStrippedBlank(last) || quoted) return '"' + v + '"';
    return v;
}

std::string ReadKey(const std::string& section, const std::string& key, const char* def, int limit,
                    const std::string& file) {
    // By the file's wide name; the file's text is the code page's, as the ANSI function reads it.
    const size_t count = static_cast<size_t>(limit);
    LocalBuffer b(count * sizeof(wchar_t));
    if (!b) return def;
    auto* text = reinterpret_cast<wchar_t*>(b.get());
    GetPrivateProfileStringW(WideFromAnsi(section).c_str(), WideFromAnsi(key).c_str(),
                             WideFromAnsi(def).c_str(), text, static_cast<DWORD>(limit),
                             WideOf(file).c_str());
    return AnsiFromWide(std::wstring(text, wcsnlen(text, count)));
}

// One key, read up to the file's size (at most ValueReadLimit). An absent key yields its default
// whole, however small the file: the profile function would otherwise cut the default too.
std::string GetData(const std::string& section, const std::string& key, const std::string& def,
                    const std::string& file) {
    const int limit = std::min(GetFileSizeLOW(file), ValueReadLimit);
    if (limit < 1) return def;
    // The absence probes need room for their one-character marker even in a one-byte file.
    const int probe = std::max(limit, 2);
    const std::string first = ReadKey(section, key, "\x01", probe, file);
    if (first != "\x01") return first.substr(0, static_cast<size_t>(limit - 1));
    const std::string second = ReadKey(section, key, "\x02", probe, file);
    return second == "\x02" ? def : second.substr(0, static_cast<size_t>(limit - 1));
}

std::string LangKeyName() {
    char name[64] = {};
    if (LoadStringA(plugin.hDllInstance, IDS_ININameLang, name, sizeof name) > 0) return name;
    return DlgControlsNames(IDC_Lang);
}

std::string SectionOf(const std::string& language) {
    return std::string(AppName) + "_" + language;
}

// ---- the whole file, edited in memory and written once

// The file's lines without their line ends, and where each section begins.
struct TIniLines {
    std::vector<std::string> lines;
};

// The profile functions compare section and key names without regard to case.
bool SameName(const std::string& a, const std::string& b) {
    return sStrCompareText(a, b) == 0;
}

// The section's name when the line heads one, else empty.
std::string SectionHeading(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return {};
    const size_t close = t.find(']');
    return close == std::string::npos ? std::string() : Trim(t.substr(1, close - 1));
}

TIniLines ReadLines(const std::string& file) {
    TIniLines r;
    std::string text;
    ReadWholeFile(file, text);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.lines.push_back(std::move(line));
        at = end + 1;
    }
    return r;
}

// One section of the file, found once: the keys of a save are put into it one after another.
struct TIniSection {
    TIniLines& file;
    size_t heading; // index of its heading line
    size_t end;     // one past its last line
};

TIniSection FindOrAddSection(TIniLines& f, const std::string& name) {
    for (size_t i = 0; i < f.lines.size(); ++i) {
        if (!SameName(SectionHeading(f.lines[i]), name)) continue;
        size_t end = i + 1;
        while (end < f.lines.size() && SectionHeading(f.lines[end]).empty())
            ++end;
        // Keys follow the section's last key, not the blank lines that end it.
        while (end > i + 1 && Trim(f.lines[end - 1]).empty())
            --end;
        return {f, i, end};
    }
    f.lines.push_back("[" + name + "]");
    return {f, f.lines.size() - 1, f.lines.size()};
}

void SetKey(TIniSection& s, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + IniQuote(value);
    auto& lines = s.file.lines;
    for (size_t i = s.heading + 1; i < s.end; ++i) {
        const size_t eq = lines[i].find('=');
        if (eq != std::string::npos && SameName(Trim(lines[i].substr(0, eq)), key)) {
            lines[i] = line;
            return;
        }
    }
    lines.insert(lines.begin() + static_cast<ptrdiff_t>(s.end), line);
    ++s.end;
}

std::string TextOf(const TIniLines& f) {
    std::string text;
    for (const std::string& line : f.lines)
        text += line + "\r\n";
    return text;
}

// The file the settings were last read from or stored in; empty before the first read.
std::string settingsFile;

TFilePlaces SettingsPlaces() {
    return PlacesOf(".ini");
}

// Every store names the language in the main section; an empty or foreign file does not.
bool HoldsSettings(const std::string& file) {
    return ReadKey(AppName, LangKeyName(), "\x01", LangReadLimit, file) != "\x01";
}
} // namespace

std::string IniFileName() {
    return settingsFile.empty() ? SettingsPlaces().library : settingsFile;
}

void ForgetSettingsPlaces() {
    settingsFile.clear();
    ForgetUserFolder();
}

void Load2(TPS& record, const std::string& fileName, const std::string& language) {
    const std::string section = SectionOf(language);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        record.DlgControlsC[id] =
            GetData(section, std::string(DlgControlsNames(id)) + DlgININameCaption,
                    defPS.DlgControlsC[id], fileName);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        record.DlgControlsV[id] =
            GetData(section, std::string(DlgControlsNames(id)) + DlgININameValue,
                    defPS.DlgControlsV[id], fileName);
    record.DlgControlsV[IDC_Lang] = language;
    record.PlayState = PlayStateTexts(record.DlgControlsC[IDC_VirtPlayState]);
}

std::string Save2(const TPS& record, const std::string& fileName, const std::string& language) {
    // Other languages' sections and keys the plugin does not know stay as they were.
    TIniLines f = ReadLines(fileName);
    TIniSection main = FindOrAddSection(f, AppName);
    SetKey(main, DlgControlsNames(IDC_Lang), language);
    TIniSection section = FindOrAddSection(f, SectionOf(language));
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        SetKey(section, std::string(DlgControlsNames(id)) + DlgININameValue,
               record.DlgControlsV[id]);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        SetKey(section, std::string(DlgControlsNames(id)) + DlgININameCaption,
               record.DlgControlsC[id]);
    return TextOf(f);
}

void config_read() {
    try {
        // The stored client statuses are no setting: a second init must not forget them.
        const auto slots = ps.SaveData;
        ps = defPS;
        ps.SaveData = slots;
        FindUserFolder();
        settingsFile = FileToRead(SettingsPlaces(), &HoldsSettings);
        std::string language = ReadKey(AppName, LangKeyName(), defPS.DlgControlsV[IDC_Lang].c_str(),
                                       LangReadLimit, settingsFile);
        if (language.empty()) language = "Default";
        Load2(ps, settingsFile, language);
    } catch (...) {
    }
}

std::string config_write() {
    try {
        const std::string file = IniFileName();
        const TPlacedWrite w =
            WritePlaced(SettingsPlaces(), Save2(ps, file, GetControlValueT(IDC_Lang)), true);
        if (w.failure.empty()) settingsFile = w.path;
        return w.failure;
    } catch (...) {
        return FileFailure(IniFileName(), ERROR_NOT_ENOUGH_MEMORY);
    }
}
