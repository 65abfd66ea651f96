// The 27 settings, their defaults, the typed accessors and the INI file that holds them.
#pragma once
#include <string>

#include "settings/tps.h"

enum TDlgControlType : int {
    DlgControlTypeStr = 0,
    DlgControlTypeCheck = 1,
    DlgControlTypeRadio = 2,
    DlgControlTypeCombo = 3,
    DlgControlTypeGroup = 4,
};

inline constexpr char AppName[] = "Winamp to ICQ client status";
inline constexpr char defLang[] = "Russian";
inline constexpr char DlgININameValue[] = ".Value";
inline constexpr char DlgININameCaption[] = ".Caption";

// Read limits in characters: the language key, and every other key.
inline constexpr int LangReadLimit = 1024;
inline constexpr int ValueReadLimit = 10 * 1024;

const char* DlgControlsNames(int id);
TDlgControlType DlgControlsTypes(int id);
const TDlgControlsAr& DefValues(); // the Russian ones
// The built-in values of a language: English texts for English, the Russian ones otherwise.
const TDlgControlsAr& DefValues(const std::string& language);

extern TPS ps;    // the live settings and state
extern TPS defPS; // built-in values and captions, and the host's version

std::string GetControlValueT(int id);
std::string GetControlValueT(int id, const std::string& value);
bool GetControlValueB(int id);
bool GetControlValueB(int id, const std::string& value);
// A value as the record stores it: a check as "1" or "0", a text with each line break as \n.
std::string Value2ValueText(bool b);
std::string Value2ValueText(const std::string& s);
// A literal would silently pick the boolean form.
std::string Value2ValueText(const char*) = delete;

// The file that holds the settings: the one read at init or last stored in.
std::string IniFileName();
void ForgetSettingsPlaces(); // as at library load
// Every text of the settings is UTF-8 inside the plugin; the INI file keeps the encoding it has
// (see settings/ini_file.h), and one the plugin creates is in the ANSI code page.
void config_read();
// Stores the settings: the whole file at once, put in place atomically, beside the library or,
// where that cannot be written, in the per-user folder. Empty, or what the user is to be told, in
// the code page's text: when they could not be stored where the next start reads them, each file
// tried and why (a file not written is as it was); the settings that the file's code page cannot
// spell (the file keeps what it had for them); a file too large to read, left as it is.
std::string config_write();
// The same at quit, where nothing was asked of the user: a file that could be read only in part
// (damaged, in two encodings) is left as it is.
std::string config_write_at_quit();
// The settings and captions of language from the file (defaults where it has none).
void Load2(TPS& record, const std::string& fileName, const std::string& language);

// Fills defPS from the built-in tables (library load).
void InitDefaults();
