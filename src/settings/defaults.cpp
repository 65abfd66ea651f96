#include "settings/captions.h"
#include "settings/settings.h"
#include "support/unicode.h"

namespace {
struct SettingDef {
    const char* name;
    TDlgControlType type;
    const char* value;
};

// In id order, 1000..1026. The texts are the code page's, as they always were in the INI file;
// they are kept in UTF-8 as every other text.
constexpr SettingDef Settings[DlgControlsCount] = {
    {"Enable", DlgControlTypeCheck, "1"},
    {"IfStatus", DlgControlTypeCheck, "0"},
    {"IfPicture", DlgControlTypeCheck, "0"},
    {"IfAny", DlgControlTypeCheck, "1"},
    {"SetPicture", DlgControlTypeCheck, "0"},
    {"SetStatus", DlgControlTypeCheck, "0"},
    {"SetLongStatus", DlgControlTypeCheck, "1"},
    {"LongStatus", DlgControlTypeCombo, "%Copy"},
    {"SaveRestore", DlgControlTypeCheck, "1"},
    {"Picture", DlgControlTypeCombo, "Музыка"},
    {"Status", DlgControlTypeCombo, "Слушаю"},
    {"SetTray", DlgControlTypeCheck, "1"},
    {"About", DlgControlTypeStr, ""},
    {"CustomQIP", DlgControlTypeCombo, ""},
    {"AllQIP", DlgControlTypeRadio, "1"},
    {"AllQIPNo", DlgControlTypeRadio, "0"},
    {"Tray", DlgControlTypeCombo, "Файл: %File\\nИсполнитель: %Artist\\nНазвание: %Title"},
    {"AllowOpen", DlgControlTypeCheck, "1"},
    {"DelayV", DlgControlTypeCombo, "10"},
    {"DelayT", DlgControlTypeStr, ""},
    {"grQIP", DlgControlTypeGroup, ""},
    {"grIf", DlgControlTypeGroup, ""},
    {"grSet", DlgControlTypeGroup, ""},
    {"grMain", DlgControlTypeGroup, ""},
    {"Lang", DlgControlTypeCombo, defLang},
    {"VirtPlayState", DlgControlTypeCombo, ""},
    {"Compatible", DlgControlTypeCheck, "1"},
};

// The values that are texts of the language, in English; the English picture is the Russian
// default's picture, named in the English list.
struct EnglishValue {
    int id;
    const char* value;
};
constexpr EnglishValue EnglishValues[] = {
    {IDC_Picture, "Music"},
    {IDC_Status, "Listening"},
    {IDC_Tray, "File: %File\\nArtist: %Artist\\nTitle: %Title"},
    {IDC_Lang, "English"},
};

const SettingDef& Def(int id) {
    static const SettingDef none{"", DlgControlTypeStr, ""};
    if (id < DlgControlsFirst || id > DlgControlsLast) return none;
    return Settings[id - DlgControlsFirst];
}
} // namespace

const char* DlgControlsNames(int id) {
    return Def(id).name;
}
TDlgControlType DlgControlsTypes(int id) {
    return Def(id).type;
}

const TDlgControlsAr& DefValues() {
    static const TDlgControlsAr values = [] {
        TDlgControlsAr v;
        for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
            v[id] = Utf8FromAnsi(Def(id).value);
        return v;
    }();
    return values;
}

const TDlgControlsAr& DefValues(const std::string& language) {
    static const TDlgControlsAr english = [] {
        TDlgControlsAr v = DefValues();
        for (const EnglishValue& e : EnglishValues)
            v[e.id] = e.value;
        return v;
    }();
    return IsEnglish(language) ? english : DefValues();
}

TPS ps;
TPS defPS;

void InitDefaults() {
    defPS = TPS{};
    defPS.DlgControlsV = DefValues();
    defPS.DlgControlsC = DefCaptions();
    defPS.ReportC = DefReportTexts(defLang);
    ps = defPS;
}
