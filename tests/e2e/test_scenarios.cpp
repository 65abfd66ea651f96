// The real win64 DLL in a player, as Winamp runs it, beside fake QIP and R&Q clients that each
// run in a process of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <thread>

#include "common/client_messages.h"
#include "common/client_process.h"
#include "common/dialog_driver.h"
#include "common/files.h"
#include "common/player.h"
#include "common/texts.h"
#include "lite/resource.h"

namespace {
const std::string Dll = WinPath(LUMTRA_DLL);
const std::string Ini = Dll + ".ini";
const std::string Journal = Dll + ".statuses.txt";
// Where a save would go when the build folder could not be written; left from another test, it
// would be read instead of Ini.
const std::string UserIni = AppDataPluginsFolder() + "\\gen_Lumtra.dll.ini";

// What a client confirmed for playlist entry i with the scenario's templates: the "Музыка"
// picture, "%Artist - %Title" as the caption and the playlist title as the long status.
std::string Expected(size_t i) {
    const PlayerTrack t = DemoPlaylist().at(i);
    return "pic=11|status=" + t.tags.at("ARTIST") + " - " + t.tags.at("TITLE") + "|long=" + t.title;
}

const std::string QipBefore = "pic=5|status=Работаю|long=В офисе";
// Long enough for any delay here in seconds on the slowest machine; reached only by a fault.
constexpr DWORD QuietPatience = 120000;
const std::string RnqBefore = "pic=0|status=Занят|long=Обед";

class ScenarioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteFileIfAny(Ini);
        DeleteFileIfAny(Journal);
        DeleteFileIfAny(UserIni);
        Preset("SetPicture", "1");
        Preset("SetStatus", "1");
        Preset("Status", "%Artist - %Title");
        Preset("DelayV", "3");
        Preset("SetTray", "0");
    }
    void TearDown() override {
        player.reset();
        DeleteFileIfAny(Ini);
        DeleteFileIfAny(Journal);
    }
    static void Preset(const std::string& key, const std::string& value) {
        PresetPluginSetting(Dll, key, value);
    }
    void StartPlayer() {
        player = std::make_unique<Player>();
        player->playlist = DemoPlaylist();
        player->clockSlowness = slowness;
        ASSERT_TRUE(player->Load(Dll));
    }
    // A QIP client showing picture 5 and a status of its own.
    static void StartQip(FakeClientProcess& p, const std::string& name) {
        ASSERT_TRUE(p.running());
        p.Qip(name);
        p.Select(name + ".combo", 5);
        p.SetText(name + ".edit2", "Работаю");
        p.SetText(name + ".edit1", "В офисе");
    }
    static void StartRnq(FakeClientProcess& p, const std::string& name) {
        ASSERT_TRUE(p.running());
        p.Rnq(name);
        p.SetText(name + ".edit1", "Занят");
        p.SetText(name + ".memo1", "Обед");
    }
    // What the client took as its status at its last confirmation.
    static std::string Confirmed(FakeClientProcess& p, const std::string& form) {
        return p.State(form).confirmed;
    }
    static std::string Shows(FakeClientProcess& p, const std::string& form) {
        return p.State(form).applied;
    }
    std::unique_ptr<Player> player;
    double slowness = 1.0; // of this machine, once a test has clients to measure it with
};

// A QIP and an R&Q client, each in its own process, showing a status of their own; the player
// starts in the test, after any settings it presets.
class BothClientsTest : public ScenarioTest {
  protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        StartQip(qip, "q1");
        StartRnq(rnq, "r1");
        slowness = MachineSlowness(rnq);
    }
    FakeClientProcess qip, rnq;
};
} // namespace

TEST_F(BothClientsTest, ThreeTracksInARowReachBothClientsOnlyOnceWinampsOwnWorkIsDone) {
    // A delay of 2: Winamp's second message at a start (13003, inside its play routine) ends it.
    Preset("DelayV", "2");
    StartPlayer();
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        player->Play(i); // what Winamp sends itself is over; what it posted waits
        EXPECT_NE(Expected(i), Confirmed(qip, "q1.form"));
        EXPECT_NE(Expected(i), Confirmed(rnq, "r1.form"));
        player->Loop();
        EXPECT_EQ(Expected(i), Confirmed(qip, "q1.form"));
        EXPECT_EQ(Expected(i), Confirmed(rnq, "r1.form"));
    }
}

TEST_F(BothClientsTest, ATrackChangeDuringTheCountdownStartsItAgain) {
    Preset("DelayV", "20");
    StartPlayer();
    player->Play(0);
    player->Loop();
    player->Tick(12); // a modern skin's polls
    player->Next();   // re-armed to the full delay, and the new entry is the one shown
    player->Loop();
    player->Tick(13);
    EXPECT_EQ(0, qip.State("q1.form").confirmations);
    EXPECT_EQ(0, rnq.State("r1.form").confirmations);
    player->Tick(5);
    EXPECT_EQ(Expected(1), Confirmed(qip, "q1.form"));
    EXPECT_EQ(Expected(1), Confirmed(rnq, "r1.form"));
}

TEST_F(BothClientsTest, AQuietWinampShowsEachTrackAndGivesTheStatusesBackWithinTheDelay) {
    // The classic skin and no other plugin: after a start or a stop Winamp sends nothing more.
    // Six is more than its own messages count, so only the delay's seconds can end it.
    Preset("DelayV", "6");
    StartPlayer();
    player->Play(0);
    EXPECT_TRUE(
        player->LoopUntil([&] { return Confirmed(qip, "q1.form") == Expected(0); }, QuietPatience));
    EXPECT_EQ(Expected(0), Confirmed(rnq, "r1.form"));
    player->Stop();
    EXPECT_TRUE(
        player->LoopUntil([&] { return Confirmed(qip, "q1.form") == QipBefore; }, QuietPatience));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

namespace {
// An internet radio stream: one address, whose songs only its playlist title names.
PlayerTrack RadioStream(const std::string& title) {
    return PlayerTrack{"http://radio.example.com:8000/live", title, {}};
}
// What a client confirmed for it: with no tags, both templates fall back to the title.
std::string StreamShown(const std::string& title) {
    return "pic=11|status=" + title + "|long=" + title;
}
} // namespace

TEST_F(BothClientsTest, ARadioStreamsNewSongReachesBothClientsAndTheTrayOnce) {
    Preset("SetTray", "1");
    Preset("Tray", "%Copy");
    StartPlayer();
    player->playlist = {RadioStream("Radio One - First Song")};
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(StreamShown("Radio One - First Song"), Confirmed(qip, "q1.form"));

    const std::string second = "Radio One - Second Song";
    player->Retitle(second);
    player->Tick(1);
    EXPECT_NE(StreamShown(second), Confirmed(qip, "q1.form")); // the delay as for a file
    player->Tick(1);
    EXPECT_EQ(StreamShown(second), Confirmed(qip, "q1.form"));
    EXPECT_EQ(StreamShown(second), Confirmed(rnq, "r1.form"));
    EXPECT_EQ(second, player->TrayTip());

    // The same title told again and again reaches no client.
    qip.Records();
    rnq.Records();
    for (int i = 0; i < 200; ++i)
        player->Retitle(second);
    player->Tick(5);
    ok_sequence(qip.Records(), "q1", NothingSeq, "SameTitleQip");
    ok_sequence(rnq.Records(), "r1", NothingSeq, "SameTitleRnq");
}

TEST_F(BothClientsTest, AStreamReachesTheClientsOnlyWithItsSong) {
    Preset("DelayV", "2");
    StartPlayer();
    const std::string address = RadioStream("").file;
    qip.Records();
    rnq.Records();
    // Connecting, the bare address, buffering: Winamp's words, not a song.
    player->StartStream(address);
    player->Loop();
    player->ShowTitle("[Buffering: 37%] " + address);
    EXPECT_FALSE(player->LoopUntil([&] { return !qip.Records().empty(); }, 3000));
    ok_sequence(rnq.Records(), "r1", NothingSeq, "BufferingRnq");
    const std::string song = "Radio One - First Song";
    player->ShowTitle(song);
    EXPECT_TRUE(player->LoopUntil([&] { return Confirmed(qip, "q1.form") == StreamShown(song); },
                                  QuietPatience));
    EXPECT_EQ(StreamShown(song), Confirmed(rnq, "r1.form"));
}

TEST_F(BothClientsTest, QuitBeforeWinampsLoopCameRoundLeavesNothingOfThePluginBehind) {
    // Delay 1: an update is asked for and not run; delay 3: a deadline is running. Winamp closes
    // before its loop comes round, quits the plugin and unloads it; its loop runs on after.
    for (const char* delay : {"1", "3"}) {
        SCOPED_TRACE(delay);
        Preset("DelayV", delay);
        StartPlayer();
        player->Play(0);
        player->Close();
        EXPECT_FALSE(player->LoopUntil([] { return false; }, 4000)); // no crash, nothing run
        EXPECT_EQ(0, qip.State("q1.form").confirmations);
        EXPECT_EQ(0, rnq.State("r1.form").confirmations);
        player.reset();
    }
}

TEST_F(BothClientsTest, AStoppedPlayerGivesTheStatusesBackAndTheNextTrackStoresThemAnew) {
    Preset("SetTray", "1");
    Preset("Tray", "%Copy");
    StartPlayer();
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(Expected(0), Confirmed(qip, "q1.form"));

    // A stop shorter than the delay (the gap between two tracks): straight on to the next track,
    // the users' own statuses never set in between.
    qip.Records();
    rnq.Records();
    player->ChangePlayState(0);
    player->Tick(1);
    player->PlayAndSettle(1, 3);
    EXPECT_EQ(Expected(1), Confirmed(qip, "q1.form"));
    EXPECT_EQ(Expected(1), Confirmed(rnq, "r1.form"));
    for (const ClientRecord& r : qip.Records())
        EXPECT_NE("Работаю", r.text) << "given back in the gap between two tracks";
    for (const ClientRecord& r : rnq.Records())
        EXPECT_NE("Занят", r.text) << "given back in the gap between two tracks";

    // The player stops (the playlist ends, a media key): after the delay each user has their own
    // status back, and the tray names no song.
    player->ChangePlayState(0);
    player->Tick(2);
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
    EXPECT_EQ("", player->TrayTip());

    // Stopped on, told so again: nothing more reaches the clients.
    qip.Records();
    rnq.Records();
    player->ChangePlayState(0);
    player->Tick(5);
    ok_sequence(qip.Records(), "q1", NothingSeq, "StoppedOnQip");
    ok_sequence(rnq.Records(), "r1", NothingSeq, "StoppedOnRnq");

    // The user sets another status meanwhile: the next track stores that one, and quit gives it.
    qip.SetText("q1.edit2", "Обедаю");
    player->PlayAndSettle(2, 3);
    EXPECT_EQ(Expected(2), Confirmed(qip, "q1.form"));
    EXPECT_EQ(Expected(2), Confirmed(rnq, "r1.form"));
    player->Close();
    EXPECT_EQ("pic=5|status=Обедаю|long=В офисе", Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

TEST_F(BothClientsTest, WithThePlayStateInTheStatusAPauseOrStopFromAnywhereShows) {
    Preset("Status", "%PlayState %Artist - %Title");
    StartPlayer();
    player->PlayAndSettle(0, 3);
    const PlayerTrack t = DemoPlaylist().at(0);
    const auto shown = [&](const std::string& state) {
        return "pic=11|status=" + state + " " + t.tags.at("ARTIST") + " - " + t.tags.at("TITLE") +
               "|long=" + t.title;
    };
    ASSERT_EQ(shown("[PLAY]"), Confirmed(qip, "q1.form"));
    // Without one of Winamp's buttons: a media key, a stream that ends. The stop keeps the song
    // with the stop text, as this user asked.
    const std::pair<int, const char*> rows[] = {{3, "[PAUSE]"}, {1, "[PLAY]"}, {0, "[STOP]"}};
    for (const auto& [state, text] : rows) {
        player->ChangePlayState(state);
        player->Tick(2);
        EXPECT_EQ(shown(text), Confirmed(qip, "q1.form")) << text;
        EXPECT_EQ(shown(text), Confirmed(rnq, "r1.form")) << text;
    }
}

TEST_F(BothClientsTest, QuitRestoresBothClientsAndKeepsTheSettings) {
    StartPlayer();
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(Expected(0), Confirmed(qip, "q1.form"));
    player->Close();
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    // The R&Q picture cannot be read back, so its restore confirms picture 0.
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
    const std::string ini = ReadFileBytes(Ini);
    EXPECT_NE(std::string::npos, ini.find("Enable.Value=1\r\n")); // the user's choice
    EXPECT_NE(std::string::npos, ini.find("DelayV.Value=3\r\n"));
    EXPECT_NE(std::string::npos, ini.find("Status.Value=%Artist - %Title\r\n"));
    EXPECT_NE(std::string::npos, ini.find("Compatible.Caption="));
}

TEST_F(ScenarioTest, ASecondStartReadsTheStoredSettingsBack) {
    StartPlayer();
    player->Close();
    player.reset();
    // Only what the first run's quit wrote is left to tell the second start what to do.
    const std::string written = ReadFileBytes(Ini);
    DeleteFileIfAny(Ini);
    WriteFileBytes(Ini, written);

    FakeClientProcess qip;
    StartQip(qip, "q1");
    StartPlayer();
    player->Play(2);
    player->Tick(2); // DelayV 3 from the file, not the built-in 10
    EXPECT_EQ(Expected(2), Confirmed(qip, "q1.form"));
}

TEST_F(BothClientsTest, OkWithEnableUncheckedRestoresAtOnce) {
    StartPlayer();
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(Expected(0), Confirmed(qip, "q1.form"));

    RunDialog([&] { player->Configure(); },
              [](HWND dlg) {
                  Click(dlg, IDC_Enable);
                  Click(dlg, IDOK);
              });
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
    EXPECT_NE(std::string::npos, ReadFileBytes(Ini).find("Enable.Value=0\r\n"));

    // Switched off: later tracks leave the clients alone.
    const int before = qip.State("q1.form").confirmations;
    player->PlayAndSettle(1, 3);
    EXPECT_EQ(before, qip.State("q1.form").confirmations);
}

TEST_F(ScenarioTest, OnlyTheQipWhoseTitleHoldsTheChosenTextIsServed) {
    Preset("AllQIP", "0");
    Preset("AllQIPNo", "1");
    Preset("CustomQIP", "12345");
    FakeClientProcess first, second;
    StartQip(first, "qa");
    first.SetText("qa.main", "QIP 2005 - 12345");
    StartQip(second, "qb");
    second.SetText("qb.main", "QIP 2005 - 67890");
    StartPlayer();
    player->PlayAndSettle(0, 3);
    EXPECT_EQ(Expected(0), Confirmed(first, "qa.form"));
    EXPECT_EQ(0, second.State("qb.form").confirmations);
    EXPECT_EQ(QipBefore, Shows(second, "qb.form"));
}

TEST_F(ScenarioTest, AClientStartedLaterIsStoredAtItsFirstUpdate) {
    StartPlayer();
    player->PlayAndSettle(0, 3); // nobody to serve yet
    FakeClientProcess rnq;
    StartRnq(rnq, "r1");
    player->PlayAndSettle(1, 3);
    EXPECT_EQ(Expected(1), Confirmed(rnq, "r1.form"));
    player->Close();
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

TEST_F(BothClientsTest, ATrackChangeDuringASlowUpdateFollowsItAndTheFirstStatusIsKept) {
    StartPlayer();
    const BlockWatch slow;
    qip.Block("q1.edit2", WM_GETTEXTLENGTH, 1000, 1); // slow as its status is first read
    const HWND winamp = player->window();
    // Meanwhile another program presses "next track" and Winamp gets two more messages.
    bool inside = false;
    std::thread other([winamp, &slow, &inside] {
        inside = slow.Wait();
        DWORD_PTR r = 0;
        SendMessageTimeoutA(winamp, WM_COMMAND, 40048, 0, SMTO_NORMAL, 10000, &r);
        for (int i = 0; i < 2; ++i)
            SendMessageTimeoutA(winamp, WM_USER, 0, 105, SMTO_NORMAL, 10000, &r);
    });
    player->PlayAndSettle(0, 3);
    other.join();
    ASSERT_TRUE(inside) << "the update never waited on the slow client";
    EXPECT_EQ(Expected(1), Confirmed(qip, "q1.form"));
    EXPECT_EQ(Expected(1), Confirmed(rnq, "r1.form"));
    player->Close();
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

TEST_F(BothClientsTest, SlowAndBusyClientsGetTheirStatusBackAtQuit) {
    StartPlayer();
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(Expected(0), Confirmed(qip, "q1.form"));
    qip.Block("q1.ok", WM_LBUTTONDOWN, 2000); // its OK button now takes two seconds
    rnq.Hang(2500);                           // busy as Winamp quits
    player->Close();
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

TEST_F(BothClientsTest, QuitWhileTheDialogIsOpenEndsItAndItsOkAppliesNothing) {
    Preset("SetTray", "1");
    StartPlayer();
    player->PlayAndSettle(0, 3);
    RunDialog([&] { player->Configure(); },
              [&](HWND dlg) {
                  player->Quit(); // Windows shuts down while the dialog is open
                  SendMessageA(dlg, WM_COMMAND, IDOK, 0);
              });
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
    EXPECT_EQ(1, player->imports().iconsAdded) << "the icon of init only, never again";
    const int confirmations = qip.State("q1.form").confirmations;
    player->Unload();
    player->PlayAndSettle(1, 3); // Winamp's window works on without the plugin
    EXPECT_EQ(confirmations, qip.State("q1.form").confirmations);
}

// Winamp's process ends without quit after an update (a crash, a kill): when Winamp starts again
// the plugin finds what it changed in its journal and gives the clients their own statuses back.
TEST_F(BothClientsTest, AfterWinampIsKilledItsNextStartGivesTheStatusesBack) {
    ASSERT_EQ(3u, RunPlayerProcess(Dll, "--tracks 1 --end-without-quit", slowness));
    ASSERT_EQ(Expected(0), Confirmed(qip, "q1.form"));
    ASSERT_EQ(Expected(0), Confirmed(rnq, "r1.form"));
    EXPECT_EQ(0u, RunPlayerProcess(Dll, "--tracks 0", slowness));
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

// The settings opened by a message sent while an update waits on slow clients, Enable unchecked,
// OK: each client gets its own status back, and the update below the dialog stops there instead
// of serving the rest with what the restore set.
TEST_F(BothClientsTest, ASwitchOffInsideAnUpdatesWaitEndsTheUpdate) {
    FakeClientProcess qip2;
    StartQip(qip2, "q2");
    qip2.Select("q2.combo", 7);
    qip2.SetText("q2.edit2", "Отдыхаю");
    qip2.SetText("q2.edit1", "Дома");
    StartPlayer();
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(Expected(0), Confirmed(qip2, "q2.form"));
    // Every client slow once as the next update reads it: the first one met holds the wait.
    const BlockWatch slow;
    qip.Block("q1.edit2", WM_GETTEXTLENGTH, 1000, 1);
    qip2.Block("q2.edit2", WM_GETTEXTLENGTH, 1000, 1);
    rnq.Block("r1.edit1", WM_GETTEXTLENGTH, 1000, 1);
    const HWND winamp = player->window();
    bool inside = false;
    std::thread other([winamp, &slow, &inside] {
        inside = slow.Wait();
        DWORD_PTR r = 0;
        SendMessageTimeoutA(winamp, Player::ConfigureMessage, 0, 0, SMTO_NORMAL, 30000, &r);
    });
    RunDialog([&] { player->PlayAndSettle(1, 3); },
              [](HWND dlg) {
                  Click(dlg, IDC_Enable);
                  Click(dlg, IDOK);
              });
    other.join();
    ASSERT_TRUE(inside) << "the update never waited on a slow client";
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form"));
    EXPECT_EQ("pic=7|status=Отдыхаю|long=Дома", Confirmed(qip2, "q2.form"));
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

// Windows ends while an update waits on a slow client: Winamp's window gets WM_ENDSESSION inside
// that wait, calls quit and unloads the plugin at once. Both clients have their own status back
// before quit returns, the update below it sends nothing more, and returning into it is safe.
// (Last in this file: the library stays loaded in this process from here on.)
TEST_F(BothClientsTest, QuitInsideAnUpdatesWaitRestoresBothBeforeItReturns) {
    StartPlayer();
    player->PlayAndSettle(0, 3);
    ASSERT_EQ(Expected(0), Confirmed(rnq, "r1.form"));
    player->unloadAtEndSession = true;
    const BlockWatch slow;
    rnq.Block("r1.edit1", WM_GETTEXTLENGTH, 3000, 1); // slow as the next update reads it
    const HWND winamp = player->window();
    std::string qipAtReturn, rnqAtReturn;
    bool inside = false;
    std::thread windows([&] {
        inside = slow.Wait();
        DWORD_PTR r = 0;
        SendMessageTimeoutA(winamp, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 30000, &r);
        qipAtReturn = Confirmed(qip, "q1.form");
        rnqAtReturn = Confirmed(rnq, "r1.form");
    });
    player->PlayAndSettle(1, 3);
    windows.join();
    ASSERT_TRUE(inside) << "the update never waited on the slow client";
    EXPECT_EQ(QipBefore, qipAtReturn);
    EXPECT_EQ(RnqBefore, rnqAtReturn);
    EXPECT_EQ(QipBefore, Confirmed(qip, "q1.form")) << "the update went on after quit";
    EXPECT_EQ(RnqBefore, Confirmed(rnq, "r1.form"));
}

namespace {
// Clients of Unicode windows, as the later QIP and R&Q builds have, whose users' statuses hold
// characters no ANSI code page has.
const std::string QipBeforeU8 = U8(u8"pic=5|status=Занят ☺|long=♥ Работаю ♥");
const std::string RnqBeforeU8 = U8(u8"pic=0|status=♫ Занят ♫|long=Обед ☺ 日本");

class UnicodeClientsTest : public ScenarioTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        ASSERT_TRUE(qip.running() && rnq.running());
        qip.Qip("q1", "unicode");
        qip.Select("q1.combo", 5);
        qip.SetTextU8("q1.edit2", U8(u8"Занят ☺"));
        qip.SetTextU8("q1.edit1", U8(u8"♥ Работаю ♥"));
        rnq.Rnq("r1", "unicode");
        rnq.SetTextU8("r1.edit1", U8(u8"♫ Занят ♫"));
        rnq.SetTextU8("r1.memo1", U8(u8"Обед ☺ 日本"));
        slowness = MachineSlowness(rnq);
    }
    FakeClientProcess qip, rnq;
};
} // namespace

// One track, then quit, or Winamp killed after the track and started again: each user's own
// status comes back character for character (through the journal after the kill).
TEST_P(UnicodeClientsTest, TheUsersOwnStatusesComeBackExactly) {
    const bool killed = GetParam();
    if (killed) {
        ASSERT_EQ(3u, RunPlayerProcess(Dll, "--tracks 1 --end-without-quit", slowness));
    } else {
        StartPlayer();
        player->PlayAndSettle(0, 3);
    }
    ASSERT_EQ(Expected(0), Confirmed(qip, "q1.form"));
    ASSERT_EQ(Expected(0), Confirmed(rnq, "r1.form"));
    if (killed)
        EXPECT_EQ(0u, RunPlayerProcess(Dll, "--tracks 0", slowness));
    else
        player->Close();
    EXPECT_EQ(QipBeforeU8, qip.State("q1.form").confirmedU8);
    EXPECT_EQ(RnqBeforeU8, rnq.State("r1.form").confirmedU8);
}

INSTANTIATE_TEST_SUITE_P(Ends, UnicodeClientsTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "WinampKilled" : "Quit");
});

// A track Winamp names outside the code page: exact in a Unicode client and in the tray's
// tooltip; in an ANSI client what the code page makes of it.
TEST_F(ScenarioTest, ATrackNamedOutsideTheCodePageReachesEachWindowInItsOwnForm) {
    Preset("SetTray", "1");
    FakeClientProcess unicode, ansi;
    ASSERT_TRUE(unicode.running() && ansi.running());
    unicode.Qip("q1", "unicode");
    ansi.Rnq("r1");
    slowness = MachineSlowness(ansi);
    StartPlayer();
    PlayerTrack track{"C:\\Music\\Bjork.mp3", "1. Bjork - Joga", {{"ARTIST", "Bjork"}}};
    track.titleU8 = U8(u8"1. Björk – Jóga 日本");
    track.tagsU8 = {{"ARTIST", U8(u8"Björk")}, {"TITLE", U8(u8"Jóga 日本")}};
    player->playlist = {track};
    player->PlayAndSettle(0, 3);
    const std::string shown = U8(u8"pic=11|status=Björk - Jóga 日本|long=1. Björk – Jóga 日本");
    EXPECT_EQ(shown, unicode.State("q1.form").confirmedU8);
    EXPECT_EQ(Recode(Recode(shown, CP_UTF8, CP_ACP), CP_ACP, CP_UTF8),
              ansi.State("r1.form").confirmedU8);
    const std::string tip = U8(u8"Файл: Bjork\r\nИсполнитель: Björk\r\nНазвание: Jóga 日本");
    EXPECT_EQ(tip, player->TrayTipU8());
}

// ---- what the settings tell of the last update

namespace {
// A line of the update's list with its time ("12:34:56  ") made "@ ".
std::string WithoutTime(const std::string& line) {
    const bool timed =
        line.size() > 10 && line[2] == ':' && line[5] == ':' && line.compare(8, 2, "  ") == 0;
    return timed ? "@ " + line.substr(10) : line;
}

// The client processes a row needs, each made at its first use.
class ReportTest : public ScenarioTest, public ::testing::WithParamInterface<size_t> {
  public:
    using ScenarioTest::player;
    using ScenarioTest::slowness;
    void SetUp() override {
        ScenarioTest::SetUp();
        Preset("DelayV", "30"); // only the messages a step counts end a countdown
    }
    FakeClientProcess& Proc(size_t i) {
        while (procs.size() <= i)
            procs.push_back(std::make_unique<FakeClientProcess>());
        if (slowness == 1.0) slowness = MachineSlowness(*procs[i]);
        return *procs[i];
    }
    // Long enough to outlast the update that finds it hung and the restore after it.
    int LongHang() const { return static_cast<int>(6000 * slowness); }
    std::vector<std::unique_ptr<FakeClientProcess>> procs;
};

struct ReportStep {
    std::function<void(ReportTest&)> act; // done while the settings are open
    std::vector<std::string> russian, english;
    std::string tray = {}; // the tooltip's last line when not empty
};

struct ReportRow {
    const char* name;
    std::function<void(ReportTest&)> start; // the clients and settings, before the player starts
    std::vector<ReportStep> steps;
};

std::string Track(size_t i) {
    return "@ " + Recode(DemoPlaylist().at(i).title, CP_ACP, CP_UTF8);
}

const ReportRow ReportRows[] = {
    {"SetLeftOutClosedAndHung",
     [](ReportTest& t) {
         PresetPluginSetting(Dll, "AllQIP", "0");
         PresetPluginSetting(Dll, "AllQIPNo", "1");
         PresetPluginSetting(Dll, "CustomQIP", "QIP");
         PresetPluginSetting(Dll, "AllowOpen", "0");
         t.Proc(0).Qip("q1");
         t.Proc(0).Qip("q2", "nook");
         t.Proc(1).Rnq("r1");
         t.Proc(2).Rnq("r3");
     },
     {{[](ReportTest& t) {
           t.Proc(2).Hang(t.LongHang());
           t.player->PlayAndSettle(0, 30);
       },
       {Track(0), U8(u8"QIP q1 — статус установлен"),
        U8(u8"QIP q2 — окно статуса закрыто, принудительное открытие выключено"),
        U8(u8"R&Q r1 — пропущен: в заголовке нет «QIP» (Только для)"),
        U8(u8"R&Q r3 — не отвечает, пропущен")},
       {Track(0), U8(u8"QIP q1 — status set"),
        U8(u8"QIP q2 — status form closed, forced opening off"),
        U8(u8"R&Q r1 — left out: its title lacks \"QIP\" (Only for)"),
        U8(u8"R&Q r3 — not answering: skipped")}}}},
    {"UnchangedHeldNoFormThenARestoreThatFails",
     [](ReportTest& t) {
         PresetPluginSetting(Dll, "SetTray", "1");
         t.Proc(0).Qip("q1");
         t.Proc(0).Rnq("r2");
         t.Proc(0).Destroy("r2.form"); // a later R&Q: no form until the user opens it
         t.Proc(1).Rnq("r1");
     },
     {{[](ReportTest& t) {
           t.player->PlayAndSettle(0, 30);
           t.Proc(1).Hang(t.LongHang());
           t.player->PlayAndSettle(0, 30); // the same track again
       },
       {Track(0), U8(u8"QIP q1 — без изменений: трек уже показан"),
        U8(u8"R&Q r1 — не отвечает, пропущен; его статус хранится и будет возвращён"),
        U8(u8"R&Q r2 — окно статуса не найдено: R&Q создаёт его, только пока оно у вас открыто")},
       {Track(0), U8(u8"QIP q1 — unchanged: it already shows the track"),
        U8(u8"R&Q r1 — not answering: skipped; its status is still stored, to be given back "
           u8"later"),
        U8(u8"R&Q r2 — no status form found: R&Q makes this form only while you have it open")}},
      {[](ReportTest& t) {
           t.player->ChangePlayState(0); // the player stops: the statuses go back
           t.player->Tick(30);
       },
       {U8(u8"⚠ статус не возвращён"), U8(u8"@ возврат статусов"),
        U8(u8"QIP q1 — статус возвращён"),
        U8(u8"⚠ R&Q r1 — статус не возвращён: не отвечает; хранится, будет возвращён позже")},
       {U8(u8"⚠ a status was not given back"), U8(u8"@ statuses given back"),
        U8(u8"QIP q1 — status given back"),
        U8(u8"⚠ R&Q r1 — status not given back: not answering; still stored, to be given back "
           u8"later")},
       U8(u8"⚠ статус не возвращён")},
      {[](ReportTest& t) { t.player->PlayAndSettle(1, 30); },
       {U8(u8"⚠ статус не возвращён"), Track(1), U8(u8"QIP q1 — статус установлен"),
        U8(u8"R&Q r1 — не отвечает, пропущен; его статус хранится и будет возвращён"),
        U8(u8"R&Q r2 — окно статуса не найдено: R&Q создаёт его, только пока оно у вас открыто")},
       {U8(u8"⚠ a status was not given back"), Track(1), U8(u8"QIP q1 — status set"),
        U8(u8"R&Q r1 — not answering: skipped; its status is still stored, to be given back "
           u8"later"),
        U8(u8"R&Q r2 — no status form found: R&Q makes this form only while you have it open")},
       U8(u8"⚠ статус не возвращён")}}},
    {"NoClientRunning",
     [](ReportTest&) {},
     {{[](ReportTest& t) { t.player->PlayAndSettle(0, 30); },
       {Track(0), U8(u8"Не запущен ни QIP, ни R&Q")},
       {Track(0), U8(u8"No QIP or R&Q is running")}}}},
    {"TheUpdatesTimeRunsOut",
     [](ReportTest& t) {
         t.Proc(0).Qip("q1");
         // Its status caption takes most of a message's time twice: read to be stored, and read
         // again to be compared. The plugin's clock is not stretched here, so the update's time
         // is shorter than two such reads: however slow the machine, it runs out before the
         // client is served (a stretched clock would lengthen the update's time but not the
         // limit of one message, and a slow machine would then skip the client as hung).
         t.Proc(0).Block("q1.edit2", WM_GETTEXTLENGTH, 1200, 2);
         t.slowness = 1.0;
     },
     {{[](ReportTest& t) { t.player->PlayAndSettle(0, 30); },
       {Track(0), U8(u8"QIP q1 — не обслужен: время обновления кончилось; будет при следующем")},
       {Track(0), U8(u8"QIP q1 — not reached: the update's time ran out before it; served at the "
                     u8"next update")}}}},
};

std::vector<std::string> ShownReport(HWND dlg) {
    // The update's word reaches the dialog as a posted message.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    std::vector<std::string> lines;
    for (const std::string& l : LinesOf(dlg, IDC_LastUpdate))
        lines.push_back(WithoutTime(l));
    std::sort(lines.begin(), lines.end()); // the clients come in the desktop's order
    return lines;
}

void ChooseLanguage(HWND dlg, const std::string& language) {
    const std::vector<std::string> offered = ListOf(dlg, IDC_Lang);
    const auto at = std::find(offered.begin(), offered.end(), language);
    ASSERT_NE(offered.end(), at) << language << " is not offered";
    Choose(dlg, IDC_Lang, static_cast<int>(at - offered.begin()));
}
} // namespace

// Each outcome, produced by the clients as they are, read back from the open settings in both
// built-in languages while the updates run.
TEST_P(ReportTest, TheSettingsTellWhatTheLastUpdateDidToEachClient) {
    const ReportRow& row = ReportRows[GetParam()];
    row.start(*this);
    StartPlayer();
    RunDialog([&] { player->Configure(); },
              [&](HWND dlg) {
                  for (size_t i = 0; i < row.steps.size(); ++i) {
                      SCOPED_TRACE("step " + std::to_string(i + 1));
                      const ReportStep& step = row.steps[i];
                      step.act(*this);
                      auto russian = step.russian, english = step.english;
                      std::sort(russian.begin(), russian.end());
                      std::sort(english.begin(), english.end());
                      EXPECT_EQ(russian, ShownReport(dlg));
                      ChooseLanguage(dlg, "English");
                      EXPECT_EQ(english, ShownReport(dlg));
                      ChooseLanguage(dlg, "Russian");
                      if (!step.tray.empty()) {
                          const std::string tip = player->TrayTipU8();
                          EXPECT_EQ(step.tray, tip.substr(tip.rfind('\n') + 1)) << tip;
                      }
                  }
              });
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportTest, ::testing::Range<size_t>(0, std::size(ReportRows)),
                         [](const auto& info) { return std::string(ReportRows[info.param].name); });
