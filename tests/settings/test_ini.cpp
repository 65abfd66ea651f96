// The settings record, its accessors and the INI file beside the library.
#include <gtest/gtest.h>

#include "common/files.h"
#include "common/plugin_fixture.h"
#include "common/texts.h"
#include "settings/captions.h"
#include "settings/places.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"

namespace {
using SettingsTest = PluginTest;

const std::string RussianSection = std::string(AppName) + "_Russian";

std::string DataFile(const char* name) {
    return WinPath(LUMTRA_TEST_DATA) + "\\" + name;
}
} // namespace

TEST_F(SettingsTest, NoFileGivesTheBuiltInSettingsAndPlayStates) {
    config_read();
    EXPECT_EQ(DefValues(), ps.DlgControlsV);
    EXPECT_EQ(DefCaptions(), ps.DlgControlsC);
    EXPECT_EQ("Russian", ps.DlgControlsV[IDC_Lang]);
    EXPECT_EQ("[PLAY]", ps.PlayState[0]);
    EXPECT_EQ("[PAUSE]", ps.PlayState[1]);
    EXPECT_EQ("[STOP]", ps.PlayState[2]);
    EXPECT_EQ(30u, ListItems(ps.DlgControlsC[IDC_Picture]).size());
    EXPECT_EQ(9u, ListItems(ps.DlgControlsC[IDC_Status]).size());
}

TEST_F(SettingsTest, FirstStoreWritesLangThenValuesThenCaptionsInIdOrder) {
    config_read();
    config_write();
    const std::string expected = ReadFileBytes(DataFile("first_store.ini"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, ReadFileBytes(ini));
}

TEST_F(SettingsTest, EveryStoredTextReadsBackByteForByte) {
    config_read();
    const char* tricky[] = {" Общие ", "\"quoted\"",  "'single'",           "\"",
                            "\"\"",    "  ",          "\xA0nbsp",           "tab\t",
                            "\"open",  "mid \"q\" x", "%Artist \"%Title\"", "a\\nb",
                            "=equals="};
    int id = DlgControlsFirst;
    for (const char* ansi : tricky) {
        const std::string text = U8FromAnsi(ansi); // the plugin's texts are UTF-8
        ps.DlgControlsV[id] = text;
        ps.DlgControlsC[id] = text + " c";
        ps.DlgControlsC[id + 1] = " " + text;
        id += 2;
    }
    const TPS written = ps;
    config_write();
    ps = TPS{};
    config_read();
    EXPECT_EQ(written.DlgControlsV, ps.DlgControlsV);
    EXPECT_EQ(written.DlgControlsC, ps.DlgControlsC);
}

TEST_F(SettingsTest, FilesOfOtherWritersReadAsThePlainProfileFunctionsRead) {
    WriteFileBytes(ini, "[Winamp to ICQ client status_Russian]\r\n"
                        "Status.Value=\"quoted\"\r\n"
                        "LongStatus.Value=   spaced   \r\n"
                        "Tray.Value='x'\r\n");
    config_read();
    EXPECT_EQ("quoted", ps.DlgControlsV[IDC_Status]);
    EXPECT_EQ("spaced", ps.DlgControlsV[IDC_LongStatus]);
    EXPECT_EQ("x", ps.DlgControlsV[IDC_Tray]);
}

TEST_F(SettingsTest, EmptyLangNamesTheDefaultLanguage) {
    WriteFileBytes(ini, "[Winamp to ICQ client status]\r\nLang=\r\n"
                        "[Winamp to ICQ client status_Default]\r\nDelayV.Value=5\r\n"
                        "Enable.Caption=On\r\n");
    config_read();
    EXPECT_EQ("Default", ps.DlgControlsV[IDC_Lang]);
    EXPECT_EQ("5", ps.DlgControlsV[IDC_DelayV]);
    EXPECT_EQ("On", ps.DlgControlsC[IDC_Enable]);
}

TEST_F(SettingsTest, MissingKeysKeepTheirDefaultsWholeEvenInATinyFile) {
    // The file is far shorter than the default tray template and picture list.
    WriteFileBytes(ini, "[Winamp to ICQ client status_Russian]\r\nSetTray.Value=0\r\n");
    config_read();
    EXPECT_EQ("0", ps.DlgControlsV[IDC_SetTray]);
    EXPECT_EQ(DefValues()[IDC_Tray], ps.DlgControlsV[IDC_Tray]);
    EXPECT_EQ(DefCaptions()[IDC_Picture], ps.DlgControlsC[IDC_Picture]);
}

// What a language's section lacks is the built-in text of that language: English is built in,
// whatever the case of its name; a translation of the user's own falls back to the Russian texts.
TEST_F(SettingsTest, ALanguageSectionOfOnlySomeCaptionsFallsBackToItsBuiltInOnes) {
    const struct {
        std::string language, ifAny, status;
    } cases[] = {
        {"English", "With any status", "Listening"},
        {"eNGLISH", "With any status", "Listening"},
        {"German", DefCaptions()[IDC_IfAny], DefValues()[IDC_Status]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        WriteFileBytes(ini, "[Winamp to ICQ client status]\r\nLang=" + c.language + "\r\n[" +
                                AppName + "_" + c.language + "]\r\nEnable.Caption=On\r\n" +
                                "VirtPlayState.Caption=||Playing\r\n");
        config_read();
        EXPECT_EQ(c.language, ps.DlgControlsV[IDC_Lang]);
        EXPECT_EQ("On", ps.DlgControlsC[IDC_Enable]);
        EXPECT_EQ(c.ifAny, ps.DlgControlsC[IDC_IfAny]);
        EXPECT_EQ(c.status, ps.DlgControlsV[IDC_Status]);
        EXPECT_EQ("Playing", ps.PlayState[0]);
        EXPECT_EQ("", ps.PlayState[1]);
        EXPECT_EQ("", ps.PlayState[2]);
    }
}

TEST_F(SettingsTest, BrokenFilesGiveDefaultsOrWhatCanBeRead) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"one byte", "\n"},
        {"section without keys", "[Winamp to ICQ client status_Russian]\r\n"},
        {"binary",
         std::string("\0\xff\x01[\x80\x00=\x1a\xfe]\n\0\0=\r", 16) + std::string(3000, '\xcc')},
        {"truncated", "[Winamp to ICQ client status_Russian]\r\nDelayV.Value=5\r\nStat"},
        {"unterminated section", "[Winamp to ICQ client status_Russian\r\nDelayV.Value=5"},
    };
    for (const Case& c : cases) {
        WriteFileBytes(ini, c.bytes);
        config_read();
        SCOPED_TRACE(c.what);
        EXPECT_EQ("Russian", ps.DlgControlsV[IDC_Lang]);
        EXPECT_EQ(DefCaptions(), ps.DlgControlsC);
        EXPECT_EQ(DefValues()[IDC_Status], ps.DlgControlsV[IDC_Status]);
        const std::string delay = ps.DlgControlsV[IDC_DelayV];
        EXPECT_TRUE(delay == "10" || (std::string(c.what) == "truncated" && delay == "5")) << delay;
    }
}

TEST_F(SettingsTest, HugeValuesAreCutAtTheReadLimit) {
    const std::string huge(20000, 'z');
    WriteFileBytes(ini, "[Winamp to ICQ client status_Russian]\r\nStatus.Value=" + huge +
                            "\r\nTray.Caption=" + huge + "\r\n");
    config_read();
    EXPECT_EQ(std::string(ValueReadLimit - 1, 'z'), ps.DlgControlsV[IDC_Status]);
    EXPECT_EQ(std::string(ValueReadLimit - 1, 'z'), ps.DlgControlsC[IDC_Tray]);
}

TEST_F(SettingsTest, AnAbsurdLangOnlyNamesASection) {
    WriteFileBytes(ini,
                   "[Winamp to ICQ client status]\r\nLang=" + std::string(20000, 'L') + "\r\n");
    config_read();
    EXPECT_EQ(std::string(LangReadLimit - 1, 'L'), ps.DlgControlsV[IDC_Lang]);
    EXPECT_EQ(DefCaptions(), ps.DlgControlsC);
    EXPECT_EQ(DefValues()[IDC_Tray], ps.DlgControlsV[IDC_Tray]);
}

TEST_F(SettingsTest, StoringOneLanguageLeavesTheOthersAndUnknownKeysAlone) {
    const std::string english =
        "[Winamp to ICQ client status_English]\r\nEnable.Caption=Enabled\r\n";
    WriteFileBytes(ini, english + "[Winamp to ICQ client status_Russian]\r\n; a note\r\n"
                                  "Later.Value=kept\r\nDelayV.Value=7\r\n");
    config_read();
    ASSERT_EQ("", config_write());
    const std::string once = ReadFileBytes(ini);
    EXPECT_EQ(0u, once.find(english + "[Winamp to ICQ client status_Russian]\r\n; a note\r\n"
                                      "Later.Value=kept\r\nDelayV.Value=7\r\n"))
        << "the value stays where it stood, the rest is appended to its section";
    EXPECT_NE(std::string::npos, once.find("[Winamp to ICQ client status]\r\nLang=Russian\r\n"));
    ASSERT_EQ("", config_write());
    EXPECT_EQ(once, ReadFileBytes(ini)) << "a second store changes no byte";
}

// The library's folder cannot take the file (as Program Files for a normal user): the settings go
// to the per-user file, which the next start reads; once the library's folder can be written
// again, a store there removes the per-user file it supersedes. Where neither can be written,
// the store says which files and why, and both are as they were.
TEST_F(SettingsTest, AStoreGoesWhereItCanAndTheNextReadFindsIt) {
    const std::string user = PlacesOf(".ini").user;
    ASSERT_FALSE(user.empty());
    const std::string before = "[Winamp to ICQ client status_Russian]\r\nDelayV.Value=5\r\n";
    WriteFileBytes(ini, before);
    config_read();
    ps.DlgControlsV[IDC_DelayV] = "2";
    ASSERT_TRUE(CreateDirectoryA((ini + ".new").c_str(), nullptr)); // where the new file would go
    EXPECT_EQ("", config_write());
    EXPECT_EQ(before, ReadFileBytes(ini));
    EXPECT_EQ(user, IniFileName());
    config_read();
    EXPECT_EQ("2", ps.DlgControlsV[IDC_DelayV]) << "read back from " << IniFileName();

    ps.DlgControlsV[IDC_DelayV] = "3";
    ASSERT_TRUE(CreateDirectoryA((user + ".new").c_str(), nullptr));
    const std::string stored = ReadFileBytes(user);
    const std::string failure = config_write();
    RemoveDirectoryA((user + ".new").c_str());
    EXPECT_NE(std::string::npos, failure.find(ini + ": ")) << failure;
    EXPECT_NE(std::string::npos, failure.find(user + ": ")) << failure;
    EXPECT_EQ(before, ReadFileBytes(ini));
    EXPECT_EQ(stored, ReadFileBytes(user));

    RemoveDirectoryA((ini + ".new").c_str());
    EXPECT_EQ("", config_write());
    EXPECT_FALSE(FileExists(user));
    config_read();
    EXPECT_EQ(ini, IniFileName());
    EXPECT_EQ("3", ps.DlgControlsV[IDC_DelayV]);
}

// A settings file made read-only in a folder that can be written is not replaced behind the
// user's back: the store goes to the per-user file, which the next start reads.
TEST_F(SettingsTest, AReadOnlyFileIsLeftAsItIs) {
    const std::string before = "[Winamp to ICQ client status_Russian]\r\nDelayV.Value=5\r\n";
    WriteFileBytes(ini, before);
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    config_read();
    ps.DlgControlsV[IDC_DelayV] = "2";
    const std::string failure = config_write();
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("", failure);
    EXPECT_EQ(before, ReadFileBytes(ini));
    config_read();
    EXPECT_EQ("2", ps.DlgControlsV[IDC_DelayV]) << "read back from " << IniFileName();
}

// Only a file that names the language counts as the per-user settings: an empty or binary one
// leaves the file beside the library in charge.
TEST_F(SettingsTest, AnEmptyOrForeignPerUserFileDoesNotHideTheLibrarysOne) {
    const std::string user = PlacesOf(".ini").user;
    WriteFileBytes(ini, "[Winamp to ICQ client status_Russian]\r\nDelayV.Value=5\r\n");
    for (const std::string& junk : {std::string(), std::string("\x00\xff[\x01=\n", 6)}) {
        WriteFileBytes(user, junk);
        config_read();
        EXPECT_EQ(ini, IniFileName());
        EXPECT_EQ("5", ps.DlgControlsV[IDC_DelayV]);
    }
}

TEST(SettingsAccessors, ReadValuesByTheKindOfTheirControl) {
    EXPECT_EQ("", GetControlValueT(IDC_Enable, "1"));
    EXPECT_EQ("", GetControlValueT(IDC_AllQIP, "1"));
    EXPECT_EQ("10", GetControlValueT(IDC_DelayV, "10"));
    EXPECT_EQ("x", GetControlValueT(IDC_About, "x"));
    EXPECT_FALSE(GetControlValueB(IDC_DelayV, "1"));
    EXPECT_FALSE(GetControlValueB(IDC_grMain, "1"));
    EXPECT_TRUE(GetControlValueB(IDC_Enable, "1"));
    EXPECT_TRUE(GetControlValueB(IDC_Enable, "2"));
    EXPECT_TRUE(GetControlValueB(IDC_Enable, "-1"));
    EXPECT_TRUE(GetControlValueB(IDC_AllQIPNo, "1"));
    EXPECT_FALSE(GetControlValueB(IDC_Enable, "abc"));
    EXPECT_FALSE(GetControlValueB(IDC_Enable, "0"));
    EXPECT_FALSE(GetControlValueB(IDC_Enable, ""));
}

TEST(SettingsTables, NamesAndKindsOfAllSettings) {
    const char* names[] = {
        "Enable",        "IfStatus",      "IfPicture",   "IfAny",    "SetPicture", "SetStatus",
        "SetLongStatus", "LongStatus",    "SaveRestore", "Picture",  "Status",     "SetTray",
        "About",         "CustomQIP",     "AllQIP",      "AllQIPNo", "Tray",       "AllowOpen",
        "DelayV",        "DelayT",        "grQIP",       "grIf",     "grSet",      "grMain",
        "Lang",          "VirtPlayState", "Compatible"};
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        EXPECT_STREQ(names[id - DlgControlsFirst], DlgControlsNames(id));
    EXPECT_EQ(DlgControlTypeRadio, DlgControlsTypes(IDC_AllQIPNo));
    EXPECT_EQ(DlgControlTypeGroup, DlgControlsTypes(IDC_grMain));
    EXPECT_EQ(DlgControlTypeStr, DlgControlsTypes(IDC_DelayT));
    EXPECT_EQ(DlgControlTypeCombo, DlgControlsTypes(IDC_VirtPlayState));
    EXPECT_STREQ("", DlgControlsNames(999)); // never outside the tables
}
