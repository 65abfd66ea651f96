#include "settings/settings.h"

#include "plugin/gen_Lumtra.h"
#include "settings/captions.h"
#include "support/owners.h"
#include "support/supportLumtra.h"

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
    LocalBuffer b(static_cast<size_t>(limit));
    if (!b) return def;
    GetPrivateProfileStringA(section.c_str(), key.c_str(), def, b.get(), static_cast<DWORD>(limit),
                             file.c_str());
    return std::string(b.get(), strnlen(b.get(), b.size()));
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

void Write(const std::string& section, const std::string& key, const std::string& value,
           const std::string& file) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), IniQuote(value).c_str(), file.c_str());
}
} // namespace

std::string IniFileName() {
    return GetModuleName(plugin.hDllInstance) + ".ini";
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

void Save2(const TPS& record, const std::string& fileName, const std::string& language) {
    Write(AppName, DlgControlsNames(IDC_Lang), language, fileName);
    const std::string section = SectionOf(language);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        Write(section, std::string(DlgControlsNames(id)) + DlgININameValue, record.DlgControlsV[id],
              fileName);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        Write(section, std::string(DlgControlsNames(id)) + DlgININameCaption,
              record.DlgControlsC[id], fileName);
}

void config_read() {
    try {
        // The stored client statuses are no setting: a second init must not forget them.
        const auto slots = ps.SaveData;
        ps = defPS;
        ps.SaveData = slots;
        const std::string file = IniFileName();
        std::string language = ReadKey(AppName, LangKeyName(), defPS.DlgControlsV[IDC_Lang].c_str(),
                                       LangReadLimit, file);
        if (language.empty()) language = "Default";
        Load2(ps, file, language);
    } catch (...) {
    }
}

void config_write() {
    try {
        Save2(ps, IniFileName(), GetControlValueT(IDC_Lang));
    } catch (...) {
    }
}
