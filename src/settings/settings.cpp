#include "settings/settings.h"

#include "host/plugin_record.h"
#include "settings/captions.h"
#include "settings/ini_file.h"
#include "settings/places.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

#include <optional>

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
std::string LangKeyName() {
    char name[64] = {};
    if (LoadStringA(plugin.hDllInstance, IDS_ININameLang, name, sizeof name) > 0) return name;
    return DlgControlsNames(IDC_Lang);
}

std::string SectionOf(const std::string& language) {
    return std::string(AppName) + "_" + language;
}

// The file the settings were last read from or stored in; empty before the first read.
std::string settingsFile;

TFilePlaces SettingsPlaces() {
    return PlacesOf(".ini");
}

std::optional<std::string> ReadLanguage(const TIniFile& f) {
    return IniValue(f, AppName, LangKeyName(), LangReadLimit);
}

// Every store names the language in the main section; an empty or foreign file does not.
bool HoldsSettings(const std::string& file) {
    return ReadLanguage(ReadIniFile(file)).has_value();
}

void Load(TPS& record, const TIniFile& f, const std::string& language) {
    const std::string section = SectionOf(language);
    // What the section lacks is the language's own built-in text where it has one.
    const TDlgControlsAr& defCaptions = DefCaptions(language);
    const TDlgControlsAr& defValues = DefValues(language);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        record.DlgControlsC[id] =
            IniValue(f, section, std::string(DlgControlsNames(id)) + DlgININameCaption,
                     ValueReadLimit)
                .value_or(defCaptions[id]);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        record.DlgControlsV[id] =
            IniValue(f, section, std::string(DlgControlsNames(id)) + DlgININameValue,
                     ValueReadLimit)
                .value_or(defValues[id]);
    // Read only where the section names them: the store writes none of them, so a section
    // written before they existed stays as it was.
    const TReportTexts& builtIn = DefReportTexts(language);
    for (int i = 0; i < ReportTextCount; ++i) {
        const auto t = static_cast<TReportText>(i);
        record.ReportC[t] =
            IniValue(f, section, std::string(ReportTextName(t)) + DlgININameCaption, ValueReadLimit)
                .value_or(builtIn[t]);
    }
    record.DlgControlsV[IDC_Lang] = language;
    record.PlayState = PlayStateTexts(record.DlgControlsC[IDC_VirtPlayState]);
}

// The file's text with the record's settings put in under language. A value the file's code page
// cannot spell is left as the file had it and named in unstored.
std::string Save(const TPS& record, TIniFile& f, const std::string& language,
                 std::string& unstored) {
    // Other languages' sections and keys the plugin does not know stay as they were.
    const auto put = [&](TIniSection& s, const std::string& key, const std::string& value) {
        if (Encodable(f, value))
            SetKey(s, key, value);
        else
            unstored += (unstored.empty() ? "" : ", ") + key;
    };
    const std::string langKey = DlgControlsNames(IDC_Lang);
    if (!Encodable(f, language)) {
        unstored = langKey;
        return IniBytes(f);
    }
    TIniSection main = FindOrAddSection(f, AppName);
    put(main, langKey, language);
    TIniSection section = FindOrAddSection(f, SectionOf(language));
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        put(section, std::string(DlgControlsNames(id)) + DlgININameValue, record.DlgControlsV[id]);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        put(section, std::string(DlgControlsNames(id)) + DlgININameCaption,
            record.DlgControlsC[id]);
    return IniBytes(f);
}

std::string Store(bool atQuit) {
    try {
        const std::string file = IniFileName();
        TIniFile f = ReadIniFile(file);
        // A file read only as well as it could be is rewritten only when the user asks (OK).
        if (atQuit && f.damaged) return {};
        if (f.unreadable)
            return AnsiFromUtf8(file) + ": файл больше " + std::to_string(MaxIniBytes / 1024) +
                   " КБ и не прочитан; он оставлен как есть";
        std::string unstored;
        const std::string text = Save(ps, f, GetControlValueT(IDC_Lang), unstored);
        const TPlacedWrite w = WritePlaced(SettingsPlaces(), text, true);
        if (!w.failure.empty()) return w.failure;
        settingsFile = w.path;
        if (unstored.empty()) return {};
        return AnsiFromUtf8(w.path) +
               ": в кодировке файла нет знаков этих настроек, в нём они "
               "остались прежними: " +
               unstored;
    } catch (...) {
        return FileFailure(IniFileName(), ERROR_NOT_ENOUGH_MEMORY);
    }
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
    Load(record, ReadIniFile(fileName), language);
}

void config_read() {
    try {
        // The stored client statuses are no setting: a second init must not forget them.
        const auto slots = ps.SaveData;
        ps = defPS;
        ps.SaveData = slots;
        FindUserFolder();
        settingsFile = FileToRead(SettingsPlaces(), &HoldsSettings);
        const TIniFile f = ReadIniFile(settingsFile);
        std::string language = ReadLanguage(f).value_or(defPS.DlgControlsV[IDC_Lang]);
        if (language.empty()) language = "Default";
        Load(ps, f, language);
    } catch (...) {
    }
}

std::string config_write() {
    return Store(false);
}

std::string config_write_at_quit() {
    return Store(true);
}
