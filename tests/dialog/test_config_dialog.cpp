// The settings dialog, opened through config() and used as a user would, with the settings and
// the INI file checked afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/fake_winamp.h"
#include "common/files.h"
#include "common/plugin_fixture.h"
#include "common/texts.h"
#include "common/dialog_driver.h"
#include "plugin/gen_Lumtra.h"
#include "plugin/tray.h"
#include "settings/captions.h"
#include "settings/settings.h"
#include "windows/desktop.h"
#include "support/supportLumtra.h"

namespace {
using Items = std::vector<std::string>;

std::vector<DWORD> trayCalls;
BOOL WINAPI RecShellNotify(DWORD message, PNOTIFYICONDATAW) {
    trayCalls.push_back(message);
    return TRUE;
}

constexpr char Section[] = "[Winamp to ICQ client status_";

class DialogTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        plugin.hwndParent = host.hwnd();
        Desktop.Shell_NotifyIconW = &RecShellNotify;
        trayCalls.clear();
    }
    void TearDown() override {
        Desktop = RealDesktop();
        PluginTest::TearDown();
    }
    // Starts the plugin with the built-in settings changed by `change`, stored as the plugin
    // itself stores them.
    template <typename F> void StartWith(F change) {
        ps = defPS;
        change(ps);
        config_write();
        init();
        trayCalls.clear();
    }
    void StartWithFile(const std::string& contents) {
        WriteFileBytes(ini, contents);
        init();
        trayCalls.clear();
    }
    FakeWinamp host;
};

const std::vector<int> AllSettings = [] {
    std::vector<int> ids;
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        ids.push_back(id);
    return ids;
}();

// Compares two tables of texts id by id, naming the ids that differ.
void ExpectSameTexts(const TDlgControlsAr& expected, const TDlgControlsAr& actual) {
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        EXPECT_EQ(expected[id], actual[id]) << "id " << id;
}

// The built-in captions as OK stores them: the empty client list comes back as an empty list.
TDlgControlsAr BuiltInCaptionsAsStored() {
    TDlgControlsAr c = defPS.DlgControlsC;
    c[IDC_CustomQIP] = "||";
    return c;
}

// The controls the dialog greys when the plugin is switched off.
bool GreyedWithEnable(int id) {
    return id != IDC_Enable;
}
} // namespace

TEST_F(DialogTest, OpensOverWinampShowingTheCurrentSettings) {
    init();
    trayCalls.clear();
    const TPS before = ps;
    HWND dlg = RunConfigDialog([&](HWND dlg) {
        EXPECT_EQ(host.hwnd(), GetWindow(dlg, GW_OWNER));
        // Captions: "\n" is a second line in a check box, two characters in a list.
        EXPECT_EQ("Показывать иконку в \r\nтрее (свой статус)", ShownText(dlg, IDC_SetTray));
        EXPECT_EQ(" Общие ", ShownText(dlg, IDC_grMain));
        EXPECT_EQ("Задержка установки статуса", ShownText(dlg, IDC_DelayT));
        EXPECT_EQ((Items{"2", "5", "10", "15", "20", "30"}), ListOf(dlg, IDC_DelayV));
        EXPECT_EQ((Items{"Russian", "English"}), ListOf(dlg, IDC_Lang));
        EXPECT_EQ((Items{"[PLAY]", "[PAUSE]", "[STOP]"}), ListOf(dlg, IDC_VirtPlayState));
        EXPECT_EQ(Items{}, ListOf(dlg, IDC_CustomQIP));
        const Items pictures = ListOf(dlg, IDC_Picture);
        ASSERT_EQ(30u, pictures.size());
        EXPECT_EQ("", pictures[0]);
        EXPECT_EQ("Музыка", pictures[11]);
        EXPECT_EQ(" ", pictures[25]);
        EXPECT_EQ(ListItems(Recode(defPS.DlgControlsC[IDC_Status], CP_UTF8, CP_ACP)),
                  ListOf(dlg, IDC_Tray));
        // Values: the items they name, check states.
        EXPECT_EQ("10", ShownText(dlg, IDC_DelayV));
        EXPECT_EQ("Russian", ShownText(dlg, IDC_Lang));
        EXPECT_EQ("Музыка", ShownText(dlg, IDC_Picture));
        EXPECT_EQ(11, SelectedIndex(dlg, IDC_Picture));
        EXPECT_EQ("Слушаю", ShownText(dlg, IDC_Status));
        EXPECT_EQ("%Copy", ShownText(dlg, IDC_LongStatus));
        EXPECT_EQ("Файл: %File\\nИсполнитель: %Artist\\nНазвание: %Title",
                  ShownText(dlg, IDC_Tray));
        EXPECT_EQ("", ShownText(dlg, IDC_CustomQIP));
        EXPECT_TRUE(IsChecked(dlg, IDC_Enable));
        EXPECT_TRUE(IsChecked(dlg, IDC_AllQIP));
        EXPECT_FALSE(IsChecked(dlg, IDC_AllQIPNo));
        EXPECT_FALSE(IsChecked(dlg, IDC_IfStatus));
        EXPECT_TRUE(IsChecked(dlg, IDC_IfAny));
        EXPECT_FALSE(IsChecked(dlg, IDC_SetStatus));
        EXPECT_TRUE(IsChecked(dlg, IDC_SetLongStatus));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_CustomQIP)); // AllQIPNo is off
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_Status));
        // The title and the buttons keep their own texts.
        char title[64] = {};
        GetWindowTextA(dlg, title, sizeof title);
        EXPECT_STREQ("Winamp to ICQ client status", title);
        EXPECT_EQ("Default", ShownText(dlg, IDC_Default));
        // Opened before any update, the list says so.
        EXPECT_EQ("Последнее обновление", ShownText(dlg, IDC_LastUpdateT));
        EXPECT_EQ(Items{U8(u8"Обновлений ещё не было")}, LinesOf(dlg, IDC_LastUpdate));
        Click(dlg, IDCANCEL);
    });
    ASSERT_NE(nullptr, dlg);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(before.DlgControlsV, ps.DlgControlsV);
    EXPECT_EQ(before.DlgControlsC, ps.DlgControlsC);
    EXPECT_FALSE(FileExists(ini));  // Cancel stores nothing
    EXPECT_TRUE(trayCalls.empty()); // and applies nothing
}

// A modern skin parks Winamp's main window out of sight and names another window for dialogs
// (Winamp 5.51 and later): the settings open over that one. A host too old to know the request,
// or one answering no window, gets them over its main window.
TEST_F(DialogTest, TheSettingsAreOwnedByTheWindowTheHostNamesForDialogs) {
    const HWND skin = CreateWindowExA(0, "STATIC", "skin", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      nullptr, nullptr);
    ASSERT_NE(nullptr, skin);
    const auto named = reinterpret_cast<LRESULT>(skin);
    const struct {
        const char* what;
        int version;
        LRESULT answer;
        HWND owner;
    } cases[] = {
        {"Winamp 5.9, a skin's window", 0x5092, named, skin},
        {"Winamp 5.51, a skin's window", 0x5051, named, skin},
        {"Winamp 5.5, too old to be asked", 0x5050, named, host.hwnd()},
        {"Winamp 5.9, its main window", 0x5092, reinterpret_cast<LRESULT>(host.hwnd()),
         host.hwnd()},
        {"1: a host that does not know", 0x5092, 1, host.hwnd()},
        {"0: a host that does not know", 0x5092, 0, host.hwnd()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.options.version = c.version;
        host.options.dialogParent = c.answer;
        init();
        RunConfigDialog([&](HWND dlg) {
            EXPECT_EQ(c.owner, GetWindow(dlg, GW_OWNER));
            Click(dlg, IDCANCEL);
        });
        quit();
    }
    DestroyWindow(skin);
}

TEST_F(DialogTest, OkWithoutChangesRewritesTheSameContents) {
    StartWith([](TPS& s) {
        s.DlgControlsV[IDC_DelayV] = "5";
        s.DlgControlsV[IDC_Status] = "%Artist - %Title";
        s.DlgControlsV[IDC_AllQIP] = "0";
        s.DlgControlsV[IDC_AllQIPNo] = "1";
        s.DlgControlsV[IDC_CustomQIP] = U8(u8"Домашний");
        s.DlgControlsC[IDC_CustomQIP] = U8(u8"||Домашний||Рабочий||");
        s.DlgControlsV[IDC_VirtPlayState] = "[PLAY]";
        s.DlgControlsC[IDC_Enable] = U8(u8"Включен\\nвторая строка");
    });
    const std::string stored = ReadFileBytes(ini);
    const TPS before = ps;
    RunConfigDialog([](HWND dlg) { Click(dlg, IDOK); });
    EXPECT_EQ(before.DlgControlsV, ps.DlgControlsV);
    EXPECT_EQ(before.DlgControlsC, ps.DlgControlsC);
    EXPECT_EQ(stored, ReadFileBytes(ini));
    // OK applies: the icon is removed and added again.
    EXPECT_EQ((std::vector<DWORD>{NIM_DELETE, NIM_ADD}), trayCalls);
}

// A template in any alphabet, from a file the user saved in UTF-8: the dialog shows it as it is,
// and OK stores it back as it was, in the file's encoding.
TEST_F(DialogTest, OkKeepsATemplateInAnyAlphabet) {
    const std::string note = U8(u8"♫ %Artist - %Title");
    StartWithFile("\xEF\xBB\xBF[Winamp to ICQ client status_Russian]\r\nStatus.Value=" + note +
                  "\r\n");
    RunConfigDialog([](HWND dlg) {
        wchar_t shown[64] = {};
        GetWindowTextW(GetDlgItem(dlg, IDC_Status), shown, 64);
        EXPECT_EQ(L"\u266B %Artist - %Title", std::wstring(shown));
        Click(dlg, IDOK);
    });
    EXPECT_EQ(note, ps.DlgControlsV[IDC_Status]);
    const std::string stored = ReadFileBytes(ini);
    EXPECT_EQ(0u, stored.find("\xEF\xBB\xBF[Winamp to ICQ client status_Russian]\r\nStatus.Value=" +
                              note + "\r\n"))
        << stored;
    EXPECT_NE(std::string::npos, stored.find("Picture.Value=" + U8(u8"Музыка") + "\r\n"));
}

TEST_F(DialogTest, TheTwoLineCaptionsAreStoredBackUnchanged) {
    init();
    RunConfigDialog([](HWND dlg) {
        EXPECT_EQ("Разрешить принудительное открытие \r\nокна статуса (только QIP)",
                  ShownText(dlg, IDC_AllowOpen));
        Click(dlg, IDOK);
    });
    EXPECT_EQ(U8(u8"Показывать иконку в \\nтрее (свой статус)"), ps.DlgControlsC[IDC_SetTray]);
    ExpectSameTexts(BuiltInCaptionsAsStored(), ps.DlgControlsC);
    EXPECT_NE(
        std::string::npos,
        ReadFileBytes(ini).find("SetTray.Caption=Показывать иконку в \\nтрее (свой статус)\r\n"));
}

TEST_F(DialogTest, DefaultThenCancelChangesNothing) {
    StartWith([](TPS& s) {
        s.DlgControlsV[IDC_Enable] = "0";
        s.DlgControlsV[IDC_DelayV] = "30";
        s.DlgControlsC[IDC_grMain] = " Main ";
    });
    const std::string stored = ReadFileBytes(ini);
    const TPS before = ps;
    RunConfigDialog([](HWND dlg) {
        EXPECT_EQ(" Main ", ShownText(dlg, IDC_grMain));
        Click(dlg, IDC_Default);
        EXPECT_EQ(" Общие ", ShownText(dlg, IDC_grMain));
        EXPECT_EQ("10", ShownText(dlg, IDC_DelayV));
        EXPECT_TRUE(IsChecked(dlg, IDC_Enable));
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_DelayV)); // the rules follow the defaults
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(before.DlgControlsV, ps.DlgControlsV);
    EXPECT_EQ(before.DlgControlsC, ps.DlgControlsC);
    EXPECT_EQ(stored, ReadFileBytes(ini));
    EXPECT_TRUE(trayCalls.empty());
}

TEST_F(DialogTest, DefaultThenOkStoresTheBuiltInSettingsUnderRussian) {
    StartWithFile("[Winamp to ICQ client status]\r\nLang=German\r\n"
                  "[Winamp to ICQ client status_German]\r\n"
                  "Enable.Caption=Enabled\r\nLang.Caption=||Russian||German||\r\n"
                  "DelayV.Value=20\r\nSetPicture.Value=1\r\n");
    ASSERT_EQ("German", ps.DlgControlsV[IDC_Lang]);
    RunConfigDialog([](HWND dlg) {
        Click(dlg, IDC_Default);
        EXPECT_EQ("Russian", ShownText(dlg, IDC_Lang));
        Click(dlg, IDOK);
    });
    ExpectSameTexts(defPS.DlgControlsV, ps.DlgControlsV);
    ExpectSameTexts(BuiltInCaptionsAsStored(), ps.DlgControlsC);
    const std::string file = ReadFileBytes(ini);
    EXPECT_NE(std::string::npos, file.find("Lang=Russian\r\n"));
    EXPECT_NE(std::string::npos, file.find(std::string(Section) + "Russian]"));
    // The German section is left as it was.
    EXPECT_NE(std::string::npos, file.find("Enable.Caption=Enabled\r\n"));
    EXPECT_NE(std::string::npos, file.find("DelayV.Value=20\r\n"));
}

TEST_F(DialogTest, ListBoxesSelectTheFirstItemTheValueBegins) {
    StartWith([](TPS& s) {
        s.DlgControlsV[IDC_DelayV] = "1";
        s.DlgControlsV[IDC_Status] = "music";
        s.DlgControlsV[IDC_LongStatus] = "no such template";
    });
    RunConfigDialog([](HWND dlg) {
        EXPECT_EQ("10", ShownText(dlg, IDC_DelayV));
        EXPECT_EQ(2, SelectedIndex(dlg, IDC_DelayV));
        EXPECT_EQ("Music", ShownText(dlg, IDC_Status));
        EXPECT_EQ("no such template", ShownText(dlg, IDC_LongStatus));
        EXPECT_EQ(CB_ERR, SelectedIndex(dlg, IDC_LongStatus));
        Click(dlg, IDOK);
    });
    EXPECT_EQ("10", ps.DlgControlsV[IDC_DelayV]);
    EXPECT_EQ("Music", ps.DlgControlsV[IDC_Status]);
    EXPECT_EQ("no such template", ps.DlgControlsV[IDC_LongStatus]);
    EXPECT_EQ(defPS.DlgControlsC[IDC_LongStatus], ps.DlgControlsC[IDC_LongStatus]);
}

TEST_F(DialogTest, ATypedTemplateThatBeginsAnItemComesBackAsTheItem) {
    init();
    RunConfigDialog([](HWND dlg) {
        TypeInto(dlg, IDC_Status, "%Art");
        TypeInto(dlg, IDC_LongStatus, "Сейчас: %Artist\\n%Title");
        EXPECT_EQ("%Art", ShownText(dlg, IDC_Status));
        Click(dlg, IDOK);
    });
    EXPECT_EQ("%Art", ps.DlgControlsV[IDC_Status]);
    EXPECT_EQ(U8(u8"Сейчас: %Artist\\n%Title"), ps.DlgControlsV[IDC_LongStatus]);
    // Typed text is a value, never a list item.
    EXPECT_EQ(defPS.DlgControlsC[IDC_Status], ps.DlgControlsC[IDC_Status]);
    EXPECT_EQ(defPS.DlgControlsC[IDC_LongStatus], ps.DlgControlsC[IDC_LongStatus]);
    RunConfigDialog([](HWND dlg) {
        EXPECT_EQ("%Artist", ShownText(dlg, IDC_Status));
        EXPECT_EQ("Сейчас: %Artist\\n%Title", ShownText(dlg, IDC_LongStatus));
        Click(dlg, IDOK);
    });
    EXPECT_EQ("%Artist", ps.DlgControlsV[IDC_Status]);
    EXPECT_NE(std::string::npos, ReadFileBytes(ini).find("Status.Value=%Artist\r\n"));
}

TEST_F(DialogTest, WithEnableOffEverythingButEnableIsGreyed) {
    StartWith([](TPS& s) { s.DlgControlsV[IDC_Enable] = "0"; });
    RunConfigDialog([](HWND dlg) {
        for (int id : AllSettings)
            EXPECT_EQ(!GreyedWithEnable(id), IsEnabledControl(dlg, id)) << id;
        for (int id : {IDOK, IDCANCEL, IDC_Default})
            EXPECT_TRUE(IsEnabledControl(dlg, id)) << id;
        // Switching it on in the dialog brings them back, with the rules of the live settings.
        Click(dlg, IDC_Enable);
        for (int id : AllSettings)
            EXPECT_EQ(id != IDC_CustomQIP, IsEnabledControl(dlg, id)) << id;
        Click(dlg, IDC_Enable);
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_Status));
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ("0", ps.DlgControlsV[IDC_Enable]);
}

TEST_F(DialogTest, TheRadioPairSwitchesAndGreysTheClientName) {
    StartWith([](TPS& s) {
        s.DlgControlsV[IDC_Enable] = "0";
        s.DlgControlsV[IDC_AllQIP] = "0";
        s.DlgControlsV[IDC_AllQIPNo] = "1";
    });
    const TPS before = ps;
    RunConfigDialog([](HWND dlg) {
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_CustomQIP)); // whatever Enable is
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_AllQIP));
        Click(dlg, IDC_Enable);
        Click(dlg, IDC_AllQIP);
        EXPECT_TRUE(IsChecked(dlg, IDC_AllQIP));
        EXPECT_FALSE(IsChecked(dlg, IDC_AllQIPNo));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_CustomQIP));
        Click(dlg, IDC_AllQIPNo);
        EXPECT_FALSE(IsChecked(dlg, IDC_AllQIP));
        EXPECT_TRUE(IsChecked(dlg, IDC_AllQIPNo));
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_CustomQIP));
        // The radio rule reads Enable from the live settings, which are still off.
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_Status));
        Click(dlg, IDC_AllQIP);
        Click(dlg, IDOK);
    });
    EXPECT_EQ("1", ps.DlgControlsV[IDC_Enable]);
    EXPECT_EQ("1", ps.DlgControlsV[IDC_AllQIP]);
    EXPECT_EQ("0", ps.DlgControlsV[IDC_AllQIPNo]);
}

TEST_F(DialogTest, TheStatusConditionUnchecksAndGreysTheCaptionOption) {
    StartWith([](TPS& s) {
        s.DlgControlsV[IDC_IfStatus] = "1";
        s.DlgControlsV[IDC_IfAny] = "0";
        s.DlgControlsV[IDC_SetStatus] = "1";
    });
    RunConfigDialog([](HWND dlg) {
        // Opened as stored: checked, but greyed with its template box.
        EXPECT_TRUE(IsChecked(dlg, IDC_SetStatus));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_SetStatus));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_Status));
        Click(dlg, IDOK);
    });
    EXPECT_EQ("1", ps.DlgControlsV[IDC_SetStatus]);

    RunConfigDialog([](HWND dlg) {
        Click(dlg, IDC_IfAny); // on: the caption option is allowed again
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_SetStatus));
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_Status));
        EXPECT_TRUE(IsChecked(dlg, IDC_SetStatus));
        Click(dlg, IDC_IfAny); // off again, with IfStatus on
        EXPECT_FALSE(IsChecked(dlg, IDC_SetStatus));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_SetStatus));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_Status));
        Click(dlg, IDC_IfStatus); // off: allowed, but stays unchecked
        EXPECT_TRUE(IsEnabledControl(dlg, IDC_SetStatus));
        EXPECT_FALSE(IsChecked(dlg, IDC_SetStatus));
        Click(dlg, IDC_SetStatus);
        Click(dlg, IDC_IfStatus); // on again: cleared at once
        EXPECT_FALSE(IsChecked(dlg, IDC_SetStatus));
        Click(dlg, IDOK);
    });
    EXPECT_EQ("0", ps.DlgControlsV[IDC_SetStatus]);
    EXPECT_EQ("1", ps.DlgControlsV[IDC_IfStatus]);
    EXPECT_EQ("0", ps.DlgControlsV[IDC_IfAny]);
}

TEST_F(DialogTest, AListTextNotBeginningWithTheSeparatorLosesItsHead) {
    StartWith([](TPS& s) {
        s.DlgControlsC[IDC_CustomQIP] = U8(u8"head||Дом||Работа");
        s.DlgControlsC[IDC_Tray] = "no separator at all";
    });
    RunConfigDialog([](HWND dlg) {
        EXPECT_EQ((Items{"Дом", "Работа"}), ListOf(dlg, IDC_CustomQIP));
        EXPECT_EQ(Items{}, ListOf(dlg, IDC_Tray));
        Click(dlg, IDOK);
    });
    EXPECT_EQ(U8(u8"||Дом||Работа||"), ps.DlgControlsC[IDC_CustomQIP]);
    EXPECT_EQ("||", ps.DlgControlsC[IDC_Tray]);
}

TEST_F(DialogTest, ChoosingALanguageShowsItsSection) {
    StartWithFile("[Winamp to ICQ client status]\r\nLang=Russian\r\n"
                  "[Winamp to ICQ client status_Russian]\r\n"
                  "Lang.Caption=||Russian||German||\r\n" // stored before English was built in
                  "[Winamp to ICQ client status_English]\r\n"
                  "Enable.Caption=Enabled\r\ngrMain.Caption=\" General \"\r\n"
                  "SetTray.Caption=Tray icon\\n(own status)\r\n"
                  "Lang.Caption=||Russian||English||German||\r\n"
                  "LastUpdate.Caption=What happened\r\n"
                  "DelayV.Value=5\r\nEnable.Value=0\r\n");
    const TPS before = ps;
    RunConfigDialog([&](HWND dlg) {
        ASSERT_EQ((Items{"Russian", "German", "English"}), ListOf(dlg, IDC_Lang));
        Choose(dlg, IDC_Lang, 2);
        EXPECT_EQ("Enabled", ShownText(dlg, IDC_Enable));
        EXPECT_EQ(" General ", ShownText(dlg, IDC_grMain));
        EXPECT_EQ("Tray icon\r\n(own status)", ShownText(dlg, IDC_SetTray));
        // What the section lacks is the built-in English.
        EXPECT_EQ("Save and restore status", ShownText(dlg, IDC_SaveRestore));
        EXPECT_EQ("5", ShownText(dlg, IDC_DelayV));
        EXPECT_FALSE(IsChecked(dlg, IDC_Enable));
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_DelayV));
        EXPECT_EQ("English", ShownText(dlg, IDC_Lang));
        // The list's texts too: the section's own, else the built-in English.
        EXPECT_EQ("What happened", ShownText(dlg, IDC_LastUpdateT));
        EXPECT_EQ(Items{"No update yet"}, LinesOf(dlg, IDC_LastUpdate));
        EXPECT_EQ(before.DlgControlsV, ps.DlgControlsV); // nothing stored before OK
        EXPECT_EQ(before.DlgControlsC, ps.DlgControlsC);
        Click(dlg, IDOK);
    });
    EXPECT_EQ("English", ps.DlgControlsV[IDC_Lang]);
    EXPECT_EQ("Enabled", ps.DlgControlsC[IDC_Enable]);
    EXPECT_EQ("Tray icon\\n(own status)", ps.DlgControlsC[IDC_SetTray]);
    EXPECT_EQ("What happened", ps.ReportC[rtHeading]);
    EXPECT_EQ("No update yet", ps.ReportC[rtNoUpdate]);
    const std::string file = ReadFileBytes(ini);
    EXPECT_NE(std::string::npos, file.find("]\r\nLang=English\r\n"));
    EXPECT_NE(std::string::npos, file.find("Lang.Value=English\r\n"));
    // Switched off through the dialog: no icon comes back.
    EXPECT_EQ((std::vector<DWORD>{NIM_DELETE}), trayCalls);
}

TEST_F(DialogTest, ALanguageWithoutASectionShowsTheBuiltInsAndKeepsItsName) {
    StartWith([](TPS& s) {
        s.DlgControlsC[IDC_Lang] = "||Russian||German||";
        s.DlgControlsV[IDC_DelayV] = "20";
        s.DlgControlsC[IDC_Enable] = "An";
    });
    RunConfigDialog([](HWND dlg) {
        Choose(dlg, IDC_Lang, 1);
        EXPECT_EQ("Включен", ShownText(dlg, IDC_Enable));
        EXPECT_EQ("10", ShownText(dlg, IDC_DelayV));
        // The built-in language list does not name it; it is offered all the same, so that OK
        // stores the settings under a section the next start reads.
        EXPECT_EQ((Items{"Russian", "English", "German"}), ListOf(dlg, IDC_Lang));
        EXPECT_EQ("German", ShownText(dlg, IDC_Lang));
        Click(dlg, IDOK);
    });
    EXPECT_EQ("German", ps.DlgControlsV[IDC_Lang]);
    EXPECT_EQ("||Russian||English||German||", ps.DlgControlsC[IDC_Lang]);
    const std::string file = ReadFileBytes(ini);
    EXPECT_NE(std::string::npos, file.find("]\r\nLang=German\r\n"));
    EXPECT_NE(std::string::npos, file.find(std::string(Section) + "German]"));
    // What was stored is what the next start reads.
    config_read();
    EXPECT_EQ("German", ps.DlgControlsV[IDC_Lang]);
    EXPECT_EQ("10", ps.DlgControlsV[IDC_DelayV]);
}

// English is built in: naming it is enough for a dialog without a Russian word, chosen from the
// list or named in the file, and "Default" keeps it.
TEST_F(DialogTest, EnglishNeedsNoSectionOfItsOwn) {
    StartWithFile("[Winamp to ICQ client status]\r\nLang=English\r\n");
    const auto expectEnglish = [](HWND dlg, const char* when) {
        SCOPED_TRACE(when);
        for (int id : AllSettings) {
            std::string shown = ShownText(dlg, id);
            if (DlgControlsTypes(id) == DlgControlTypeCombo)
                for (const std::string& item : ListOf(dlg, id))
                    shown += "|" + item;
            EXPECT_TRUE(std::all_of(shown.begin(), shown.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                << "id " << id << ": " << shown;
        }
        EXPECT_EQ("Show tray icon \r\n(own status)", ShownText(dlg, IDC_SetTray));
        EXPECT_EQ(30u, ListOf(dlg, IDC_Picture).size());
        EXPECT_EQ("Music", ShownText(dlg, IDC_Picture));
        EXPECT_EQ(11, SelectedIndex(dlg, IDC_Picture)); // the picture the Russian default names
        EXPECT_EQ("Listening", ShownText(dlg, IDC_Status));
        EXPECT_EQ("File: %File\\nArtist: %Artist\\nTitle: %Title", ShownText(dlg, IDC_Tray));
        EXPECT_EQ("English", ShownText(dlg, IDC_Lang));
        EXPECT_TRUE(IsChecked(dlg, IDC_Enable));
    };
    RunConfigDialog([&](HWND dlg) {
        expectEnglish(dlg, "named in the file");
        Choose(dlg, IDC_Lang, 0);
        EXPECT_EQ("Включен", ShownText(dlg, IDC_Enable));
        EXPECT_EQ("Слушаю", ShownText(dlg, IDC_Status));
        Choose(dlg, IDC_Lang, 1);
        expectEnglish(dlg, "chosen from the list");
        Click(dlg, IDC_Enable);
        Click(dlg, IDC_Default);
        expectEnglish(dlg, "Default");
        Click(dlg, IDOK);
    });
    ExpectSameTexts(DefValues("English"), ps.DlgControlsV);
    EXPECT_NE(std::string::npos, ReadFileBytes(ini).find("]\r\nLang=English\r\n"));
}

TEST_F(DialogTest, TheHiddenPlayStateListTravelsLikeEveryCaption) {
    init();
    const auto playState = ps.PlayState;
    RunConfigDialog([](HWND dlg) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_VirtPlayState)));
        EXPECT_EQ((Items{"[PLAY]", "[PAUSE]", "[STOP]"}), ListOf(dlg, IDC_VirtPlayState));
        // A translation typed into the INI later; here the list is replaced in place.
        SendDlgItemMessageA(dlg, IDC_VirtPlayState, CB_RESETCONTENT, 0, 0);
        for (const char* word : {"Играю", "Пауза", "Стоп"})
            SendDlgItemMessageA(dlg, IDC_VirtPlayState, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(word));
        Click(dlg, IDC_Enable);
        EXPECT_FALSE(IsEnabledControl(dlg, IDC_VirtPlayState));
        Click(dlg, IDC_Enable);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(U8(u8"||Играю||Пауза||Стоп||"), ps.DlgControlsC[IDC_VirtPlayState]);
    // The play-state words themselves wait for the next start.
    EXPECT_EQ(playState, ps.PlayState);
}

TEST_F(DialogTest, EnterAndEscapeAreOkAndCancel) {
    init();
    RunConfigDialog([](HWND dlg) {
        Click(dlg, IDC_SetPicture);
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0); // Esc, through the dialog manager
    });
    EXPECT_EQ("0", ps.DlgControlsV[IDC_SetPicture]);
    RunConfigDialog([](HWND dlg) {
        Click(dlg, IDC_SetPicture);
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ("1", ps.DlgControlsV[IDC_SetPicture]);
}
