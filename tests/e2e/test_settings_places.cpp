// Where the real DLL keeps its settings when the folder it was installed in cannot be written:
// the host's settings folder, else the user's application data; and what a full disk does.
// The folders come from the test tools: a read-only bind mount of a writable folder (what a
// normal user meets under Program Files) and a small tmpfs.
#include <gtest/gtest.h>

#include <memory>

#include "common/client_process.h"
#include "common/texts.h"
#include "common/dialog_driver.h"
#include "common/files.h"
#include "common/player.h"
#include "lite/resource.h"

namespace {
const std::string Dll = WinPath(LUMTRA_DLL);
const std::string Mounts = WinPath(LUMTRA_TEST_MOUNTS);
const std::string Writable = Mounts + "\\plugins";    // the plugin's folder, as the setup sees it
const std::string ReadOnly = Mounts + "\\plugins-ro"; // the same folder, as the user sees it
const std::string InstalledDll = Writable + "\\gen_Lumtra.dll";
const std::string InstalledIni = InstalledDll + ".ini";
const std::string UserRunDll = ReadOnly + "\\gen_Lumtra.dll"; // what Winamp loads
const std::string Full = Mounts + "\\full";                   // a small file system, filled up
const std::string HostFolder = Mounts + "\\winamp-user";
const std::string HostIni = HostFolder + "\\Plugins\\gen_Lumtra.dll.ini";
const std::string AppDataIni = AppDataPluginsFolder() + "\\gen_Lumtra.dll.ini";

bool Writes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void DeletePluginFiles(const std::string& folder) {
    for (const char* ending : {".ini", ".statuses.txt"})
        DeleteFileIfAny(folder + "\\gen_Lumtra.dll" + ending);
}

class PlacesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string probe = "\\lumtra-probe";
        if (!Writes(Writable + probe) || !FileExists(ReadOnly + probe) ||
            Writes(ReadOnly + probe + "2"))
            GTEST_SKIP() << "the test folders are not mounted under " << Mounts
                         << ": run the tests through tools/test";
        DeleteFileA((Writable + probe).c_str());
        CreateDirectoryA(HostFolder.c_str(), nullptr);
        Clean();
        DeleteFileA(InstalledDll.c_str());
        ASSERT_TRUE(CopyFileA(Dll.c_str(), InstalledDll.c_str(), FALSE));
        PresetPluginSetting(InstalledDll, "DelayV", "5");
        PresetPluginSetting(InstalledDll, "SetTray", "0");
        installed = ReadFileBytes(InstalledIni);
    }
    void TearDown() override {
        player.reset();
        Clean();
    }
    static void Clean() {
        DeletePluginFiles(Writable);
        DeletePluginFiles(HostFolder + "\\Plugins");
        DeletePluginFiles(AppDataPluginsFolder());
    }
    void Start(const std::string& dll, LRESULT hostAnswer, int version = 0x5666) {
        player = std::make_unique<Player>();
        player->version = version;
        player->iniDirectoryAnswer = hostAnswer;
        ASSERT_TRUE(player->Load(dll));
    }
    // Picks 2 s as the delay and presses OK: the texts of any message boxes that came up.
    std::string ChooseDelay2AndOk() {
        std::string told;
        RunDialog([&] { player->Configure(); },
                  [&](HWND dlg) {
                      Choose(dlg, IDC_DelayV, 0);
                      told = ClickReadingMessages(dlg, IDOK);
                  });
        return told;
    }
    // A QIP client showing a status of its own, which it must have back at the end.
    static void StartQip(FakeClientProcess& qip) {
        ASSERT_TRUE(qip.running());
        qip.Qip("q1");
        qip.SetText("q1.edit2", "Работаю");
        qip.SetText("q1.edit1", "В офисе");
    }
    std::string ShownDelay() {
        std::string shown;
        RunDialog([&] { player->Configure(); },
                  [&](HWND dlg) { shown = ShownText(dlg, IDC_DelayV); });
        return shown;
    }
    // What the settings tell of the last update, one line each.
    std::string ShownReport() {
        std::string shown;
        RunDialog([&] { player->Configure(); },
                  [&](HWND dlg) {
                      for (const std::string& line : LinesOf(dlg, IDC_LastUpdate))
                          shown += line + "\n";
                  });
        return shown;
    }
    std::unique_ptr<Player> player;
    std::string installed; // the settings file the setup's folder holds
    const std::string host = HostFolder;
};
} // namespace

// The journal of stored statuses goes the same way: a crash would otherwise lose the user's own.
TEST_F(PlacesTest, AReadOnlyFolderStoresInTheHostsFolderAndTheNextStartReadsItThere) {
    FakeClientProcess qip;
    ASSERT_NO_FATAL_FAILURE(StartQip(qip));
    Start(UserRunDll, reinterpret_cast<LRESULT>(host.c_str()));
    player->playlist = DemoPlaylist();
    player->PlayAndSettle(0, 5);
    const std::string journal = HostFolder + "\\Plugins\\gen_Lumtra.dll.statuses.txt";
    EXPECT_NE(std::string::npos, ReadFileBytes(journal).find(U8(u8"status=Работаю\r\n")));
    EXPECT_NE(std::string::npos, qip.State("q1.form").confirmed.find("Кино")) << "served";
    EXPECT_EQ("5", ShownDelay()) << "read from beside the library";
    EXPECT_EQ("", ChooseDelay2AndOk());
    EXPECT_NE(std::string::npos, ReadFileBytes(HostIni).find("DelayV.Value=2\r\n"));
    player->Close();
    EXPECT_EQ(installed, ReadFileBytes(InstalledIni));
    EXPECT_FALSE(FileExists(AppDataIni));
    EXPECT_EQ("pic=0|status=Работаю|long=В офисе", qip.State("q1.form").confirmed);

    Start(UserRunDll, reinterpret_cast<LRESULT>(host.c_str()));
    EXPECT_EQ("2", ShownDelay());
    EXPECT_EQ("", player->imports().debugOutput);
}

// Winamp answers 1 to a request it does not know; other hosts answer anything. Only a path of an
// existing folder from a host that knows the request counts; otherwise the user's application
// data takes the settings.
TEST_F(PlacesTest, AHostAnswerThatNamesNoFolderLeavesTheSettingsToTheUsersApplicationData) {
    const std::string missing = Mounts + "\\no-such-folder";
    const std::string tooLong = "Z:\\" + std::string(300, 'a');
    const struct {
        const char* what;
        LRESULT answer;
        int version;
    } cases[] = {
        {"1", 1, 0x5666},
        {"a null pointer", 0, 0x5666},
        {"a folder that does not exist", reinterpret_cast<LRESULT>(missing.c_str()), 0x5666},
        {"300 characters", reinterpret_cast<LRESULT>(tooLong.c_str()), 0x5666},
        {"a folder, from Winamp 2.81 (too old to know)", reinterpret_cast<LRESULT>(host.c_str()),
         0x2081},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Start(UserRunDll, c.answer, c.version);
        player->Close();
        EXPECT_NE(std::string::npos, ReadFileBytes(AppDataIni).find("DelayV.Value=5\r\n"));
        EXPECT_FALSE(FileExists(HostIni));
        EXPECT_EQ(installed, ReadFileBytes(InstalledIni));
        DeletePluginFiles(AppDataPluginsFolder());
    }
}

// Winamp 2.yx answers 0x20yx to the version request: the folder request came with 2.90, that is
// 0x2090, and every later host is asked (see above for one too old).
TEST_F(PlacesTest, WinampFrom290OnIsAskedForItsFolder) {
    const struct {
        const char* what;
        int version;
    } hosts[] = {{"Winamp 2.90", 0x2090}, {"Winamp 2.91", 0x2091}};
    for (const auto& h : hosts) {
        SCOPED_TRACE(h.what);
        Start(UserRunDll, reinterpret_cast<LRESULT>(host.c_str()), h.version);
        player->Close();
        EXPECT_NE(std::string::npos, ReadFileBytes(HostIni).find("DelayV.Value=5\r\n"));
        EXPECT_FALSE(FileExists(AppDataIni));
        DeletePluginFiles(HostFolder + "\\Plugins");
    }
}

// Nowhere to store them: the user is told over the dialog which files and why, quit says so
// too, the file the user had stays whole, and the new settings apply for this run. A journal
// that cannot be written is said and changes nothing else: the client is served and restored.
TEST_F(PlacesTest, OnAFullDiskTheOldFileStaysWholeAndTheUserIsTold) {
    FakeClientProcess qip;
    ASSERT_NO_FATAL_FAILURE(StartQip(qip));
    const std::string dll = Full + "\\gen_Lumtra.dll", ini = dll + ".ini";
    const std::string fullHost = Full + "\\winamp", filler = Full + "\\filler";
    ASSERT_TRUE(CopyFileA(Dll.c_str(), dll.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(InstalledIni.c_str(), ini.c_str(), FALSE));
    CreateDirectoryA(fullHost.c_str(), nullptr);
    CreateDirectoryA((fullHost + "\\Plugins").c_str(), nullptr);
    {
        HANDLE f =
            CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        const std::string chunk(64 * 1024, 'x');
        for (DWORD size = 64 * 1024; size > 0; size /= 2) {
            DWORD written = 0;
            while (WriteFile(f, chunk.data(), size, &written, nullptr) && written == size) {
            }
        }
        CloseHandle(f);
    }
    Start(dll, reinterpret_cast<LRESULT>(fullHost.c_str()));
    player->playlist = DemoPlaylist();
    player->PlayAndSettle(0, 5);
    EXPECT_NE(std::string::npos, player->imports().debugOutput.find("journal"))
        << player->imports().debugOutput;
    EXPECT_NE(std::string::npos, qip.State("q1.form").confirmed.find("Кино")) << "served";
    const std::string told = ChooseDelay2AndOk();
    EXPECT_NE(std::string::npos, told.find(ini + ": ")) << told;
    EXPECT_NE(std::string::npos, told.find(fullHost + "\\Plugins\\gen_Lumtra.dll.ini: ")) << told;
    EXPECT_EQ("2", ShownDelay()) << "applied for this run";
    // Both failures stand where the user looks. (Named outside the checks: their text is quoted
    // in the code page, which has no mark.)
    const std::string settingsFailed = U8(u8"⚠ настройки не сохранены: ") + ini;
    const std::string journalFailed = U8(u8"⚠ сохранённые статусы не записаны в файл: ");
    const std::string report = ShownReport();
    EXPECT_NE(std::string::npos, report.find(settingsFailed)) << report;
    EXPECT_NE(std::string::npos, report.find(journalFailed)) << report;
    player->Close();
    EXPECT_NE(std::string::npos, player->imports().debugOutput.find(ini + ": "))
        << player->imports().debugOutput;
    EXPECT_EQ(installed, ReadFileBytes(ini));
    EXPECT_EQ("pic=0|status=Работаю|long=В офисе", qip.State("q1.form").confirmed);
    player.reset();
    DeleteFileA(filler.c_str());
    DeleteFileA(ini.c_str());
    DeleteFileA(dll.c_str());
}

// Folders named in alphabets the ANSI code page lacks (a user profile named in Polish or Greek on
// a Russian Windows): the library's own folder, and the host's folder for plugin files where the
// library's cannot be written. The settings and the journal are kept and read back there.
TEST_F(PlacesTest, FoldersNamedInAnyAlphabetHoldTheSettingsAndTheJournal) {
    const std::string name = U8(u8"\\Плагины Ωμέγα Łódź");
    const std::string own = Recode(Writable, CP_ACP, CP_UTF8) + name;
    const std::string hostOwn = Recode(HostFolder, CP_ACP, CP_UTF8) + name;
    for (const std::string& folder : {own, hostOwn, hostOwn + "\\Plugins"})
        CreateDirectoryW(Wide(folder).c_str(), nullptr);
    ASSERT_TRUE(GetFileAttributesW(Wide(own).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
        << "Wine cannot make such a folder here (is ru_RU.UTF-8 generated in its root?)";
    const std::string dll = own + "\\gen_Lumtra.dll";
    ASSERT_TRUE(CopyFileW(Wide(Dll, CP_ACP).c_str(), Wide(dll).c_str(), FALSE));
    auto exists = [](const std::string& path) {
        return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    auto remove = [](const std::string& path) { DeleteFileW(Wide(path).c_str()); };
    // The delay the other tests preset, written by the wide name.
    const std::wstring ini = Wide(dll + ".ini");
    WritePrivateProfileStringW(L"Winamp to ICQ client status", L"Lang", L"Russian", ini.c_str());
    for (const wchar_t* key : {L"DelayV.Value", L"SetTray.Value"})
        WritePrivateProfileStringW(L"Winamp to ICQ client status_Russian", key,
                                   key[0] == L'D' ? L"5" : L"0", ini.c_str());
    FakeClientProcess qip;
    ASSERT_NO_FATAL_FAILURE(StartQip(qip));

    // Beside the library.
    player = std::make_unique<Player>();
    player->dllPathCodePage = CP_UTF8;
    ASSERT_TRUE(player->Load(dll));
    player->playlist = DemoPlaylist();
    player->PlayAndSettle(0, 5);
    EXPECT_TRUE(exists(dll + ".statuses.txt")) << "the journal, before the first change";
    player.reset(); // quit: the settings stored, the status given back
    EXPECT_TRUE(exists(dll + ".ini"));
    EXPECT_EQ("pic=0|status=Работаю|long=В офисе", qip.State("q1.form").confirmed);

    // In the host's folder, named by the host in Unicode, where the library's folder refuses.
    remove(dll + ".ini");
    remove(dll + ".statuses.txt");
    const std::wstring hostAnswer = Wide(hostOwn);
    player = std::make_unique<Player>();
    player->dllPathCodePage = CP_UTF8;
    player->iniDirectoryAnswerW = reinterpret_cast<LRESULT>(hostAnswer.c_str());
    ASSERT_TRUE(player->Load(UserRunDll));
    player.reset();
    EXPECT_TRUE(exists(hostOwn + "\\Plugins\\gen_Lumtra.dll.ini"));
    remove(hostOwn + "\\Plugins\\gen_Lumtra.dll.ini");
    remove(dll);
    for (const std::string& folder : {hostOwn + "\\Plugins", hostOwn, own})
        RemoveDirectoryW(Wide(folder).c_str());
}

// Two installs of Winamp for one user: one whose folder cannot be written keeps its files in the
// per-user folder, the other beside its library. The other one's Winamp dies holding a status;
// the first starts and quits cleanly; when the other starts again it reads its own journal, not
// the first one's, and leaves the first one's files where they are.
TEST_F(PlacesTest, AnotherInstallsPerUserFilesAreNeitherReadNorRemoved) {
    FakeClientProcess qip;
    ASSERT_NO_FATAL_FAILURE(StartQip(qip));
    const std::string other = Writable + "\\other", otherDll = other + "\\gen_Lumtra.dll";
    CreateDirectoryA(other.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(Dll.c_str(), otherDll.c_str(), FALSE));
    const double slowness = MachineSlowness(qip);
    ASSERT_EQ(3u, RunPlayerProcess(otherDll, "--tracks 1 --end-without-quit", slowness));
    ASSERT_NE(std::string::npos, qip.State("q1.form").confirmed.find("Кино"));

    Start(UserRunDll, 0); // the per-user folder under the application data
    player->Close();
    const std::string userJournal = AppDataPluginsFolder() + "\\gen_Lumtra.dll.statuses.txt";
    ASSERT_TRUE(FileExists(AppDataIni));
    ASSERT_TRUE(FileExists(userJournal));
    const std::string userFiles = ReadFileBytes(AppDataIni) + ReadFileBytes(userJournal);

    EXPECT_EQ(0u, RunPlayerProcess(otherDll, "--tracks 0", slowness));
    EXPECT_EQ("pic=0|status=Работаю|long=В офисе", qip.State("q1.form").confirmed);
    EXPECT_EQ(userFiles, ReadFileBytes(AppDataIni) + ReadFileBytes(userJournal));
    for (const char* ending : {".ini", ".statuses.txt"})
        DeleteFileIfAny(otherDll + ending);
    DeleteFileA(otherDll.c_str());
    RemoveDirectoryA(other.c_str());
}
