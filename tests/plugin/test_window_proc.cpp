// The hook on Winamp's window: when an update happens, what it builds, and that Winamp never
// notices the plugin.
#include <gtest/gtest.h>
#include <array>
#include <string>
#include <vector>
#include <stdexcept>

#include "common/texts.h"
#include "common/fake_winamp.h"
#include "common/files.h"
#include "common/plugin_fixture.h"
#include "plugin/gen_Lumtra.h"
#include "host/wa_ipc.h"
#include "plugin/pacer.h"
#include "plugin/window_proc.h"
#include "settings/settings.h"

namespace {
constexpr LPARAM AnyIpc = 1234; // a host message the plugin neither sends nor watches
constexpr char SongFile[] = "C:\\Music\\Band - Song.mp3";
constexpr char NextFile[] = "C:\\Music\\Next.mp3";

constexpr char StreamAddress[] = "http://radio.example.com:8000/live";
// A second of the delay, short enough for a test. What is asserted is what happened, not when.
constexpr UINT ShortSecondMs = 200;
constexpr DWORD Patience = 60000; // reached only by a fault

int setTextCalls = 0;
int tipCalls = 0;
int restoreCalls = 0;
bool failSetText = false;
bool cutSetText = false; // the update's time runs out before some client
// Client work that began while Winamp was inside a message it sent itself.
int clientWorkInsideWinamp = 0;
const FakeWinamp* watchedHost = nullptr;
void NoteWhere() {
    if (watchedHost && watchedHost->InsideOwnSend()) ++clientWorkInsideWinamp;
}
bool CountSetText() {
    NoteWhere();
    ++setTextCalls;
    if (failSetText) throw std::runtime_error("client driver failed");
    return !cutSetText;
}
void CountTip() {
    ++tipCalls;
}
void CountRestore() {
    NoteWhere();
    ++restoreCalls;
}

class HookTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        config_read();
        host.options.playlist = {
            FakeEntry{SongFile, "Band - Song", {{"ARTIST", "Band"}, {"TITLE", "Song"}}},
            FakeEntry{NextFile, "Next One", {{"ARTIST", "Next"}, {"TITLE", "One"}}}};
        plugin.hwndParent = host.hwnd();
        ps.WinampVer = host.options.version;
        SetStatusOnNext = 0;
        setTextCalls = tipCalls = restoreCalls = clientWorkInsideWinamp = 0;
        failSetText = cutSetText = false;
        watchedHost = &host;
        // Only the tests of the deadline let it end a countdown.
        CountdownSecondMs = 1000000;
        UpdateCalls = TUpdateCalls{&CountSetText, &CountTip, &CountRestore};
        lpWndProcOld = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
        host.Flush();
    }
    void TearDown() override {
        if (lpWndProcOld)
            SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lpWndProcOld));
        StopPacer();
        CountdownSecondMs = 1000;
        watchedHost = nullptr;
        UpdateCalls = RealUpdateCalls();
        SetStatusOnNext = 0;
        ps.SaveData = {};
        PluginTest::TearDown();
    }
    void Set(int id, const char* value) { ps.DlgControlsV[id] = value; }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i)
            host.Tick();
    }
    // A client whose status the plugin holds (the restore itself is counted, not run).
    void HoldASlot() { ps.SaveData[0].wnd = host.hwnd(); }
    // An internet radio stream: one address whose songs change inside it.
    void PlayStream(const char* title) {
        host.options.playlist[0] = FakeEntry{StreamAddress, title, {}};
        host.Notify(IPC_PLAYING_FILE);
    }
    // The queries the plugin sends about its own work, as a stream of messages of its own.
    void OwnQueries() {
        for (LPARAM code :
             {IPC_GETLISTPOS, IPC_GETPLAYLISTFILE, IPC_ISPLAYING, IPC_GETPLAYLISTTITLE,
              IPC_GET_EXTENDED_FILE_INFO, IPC_GETPLAYLISTFILEW, IPC_GETPLAYLISTTITLEW,
              IPC_GET_EXTENDED_FILE_INFOW, IPC_GETDIALOGBOXPARENT})
            host.Notify(code);
    }
    FakeWinamp host;
};

// What Winamp's window receives for one counted message, and for an update with the default
// templates ("Слушаю", "%Copy", the three-line tray text). The track's texts are asked in Unicode,
// as Winamp 5 offers them; the hook's own look at the file stays the ANSI one.
const HostMsg CountedSeq[] = {Ipc(AnyIpc), Ipc(IPC_GETLISTPOS), Ipc(IPC_GETPLAYLISTFILE), {0}};
const HostMsg UpdateSeq[] = {Ipc(IPC_PLAYING_FILE),
                             Ipc(IPC_GETLISTPOS),
                             Ipc(IPC_GETPLAYLISTFILE),
                             // the update, from Winamp's loop: which entry is current now?
                             Ipc(IPC_GETLISTPOS),
                             Ipc(IPC_GETPLAYLISTFILE),
                             // no template shows the play state: does anything play?
                             Ipc(IPC_ISPLAYING),
                             // status caption
                             Ipc(IPC_GETLISTPOS),
                             Ipc(IPC_GETPLAYLISTFILEW),
                             // long status
                             Ipc(IPC_GETLISTPOS),
                             Ipc(IPC_GETPLAYLISTFILEW),
                             Ipc(IPC_GETPLAYLISTTITLEW),
                             // tray text: %File costs no request
                             Ipc(IPC_GETLISTPOS),
                             Ipc(IPC_GETPLAYLISTFILEW),
                             Ipc(IPC_GET_EXTENDED_FILE_INFOW),
                             Ipc(IPC_GET_EXTENDED_FILE_INFOW),
                             // the title shown, which later title notifications are compared with
                             Ipc(IPC_GETLISTPOS),
                             Ipc(IPC_GETPLAYLISTTITLEW),
                             {0}};
// Winamp's word that its player changed, of the given kind.
constexpr HostMsg PlayerChanged(WPARAM what) {
    return HostMsg{WM_WA_IPC, hostWparam | hostLparam, what, IPC_CB_MISC};
}
// A title notification that brings the title already shown: one title asked, nothing else sent.
const HostMsg SameTitleSeq[] = {PlayerChanged(IPC_CB_MISC_TITLE),
                                Ipc(IPC_GETLISTPOS),
                                Ipc(IPC_GETPLAYLISTFILE),
                                Ipc(IPC_GETPLAYLISTTITLEW),
                                {0}};
// The player stops (delay 1): the stop arms the countdown, and its update builds no status.
const HostMsg StopGivesBackSeq[] = {PlayerChanged(IPC_CB_MISC_STATUS),
                                    Ipc(IPC_GETLISTPOS),
                                    Ipc(IPC_GETPLAYLISTFILE),
                                    Ipc(IPC_ISPLAYING), // news: nothing plays
                                    Ipc(IPC_GETLISTPOS),
                                    Ipc(IPC_GETPLAYLISTFILE),
                                    Ipc(IPC_ISPLAYING), // at the update, still nothing
                                    {0}};
const HostMsg PassedOnSeq[] = {
    Ipc(IPC_PLAYING_FILE), {WM_COMMAND, hostWparam, WINAMP_BUTTON2, 0}, {WM_TIMER, 0, 0, 0}, {0}};
} // namespace

// ---- counting

TEST_F(HookTest, TenFiresOnTheNinthCountedMessageAfterTheTrackStarts) {
    Set(IDC_DelayV, "10");
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(10, SetStatusOnNext);
    for (int i = 1; i <= 8; ++i) {
        OwnQueries();
        host.Flush();
        host.Notify(AnyIpc);
        ExpectHostSeq(host, CountedSeq, "CountedSeq");
        EXPECT_EQ(10 - i, SetStatusOnNext);
    }
    EXPECT_EQ(0, setTextCalls);
    OwnQueries();
    host.Notify(AnyIpc);
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ(0, SetStatusOnNext);
    host.Notify(AnyIpc);
    EXPECT_EQ(1, setTextCalls); // once per track
}

TEST_F(HookTest, OneFiresInTheCallThatStartsTheTrack) {
    Set(IDC_DelayV, "1");
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(1, setTextCalls);
    ExpectHostSeq(host, UpdateSeq, "UpdateSeq");
    host.Notify(IPC_GET_NEXT_PLITEM);
    EXPECT_EQ(2, setTextCalls);
    for (WPARAM button = WINAMP_BUTTON1; button <= WINAMP_BUTTON5; ++button)
        host.Command(button);
    EXPECT_EQ(7, setTextCalls);
    host.Command(WINAMP_BUTTON1 - 1);
    host.Command(WINAMP_BUTTON5 + 1);
    host.Command(MAKEWPARAM(WINAMP_BUTTON3, 1)); // the same button as an accelerator
    EXPECT_EQ(7, setTextCalls);
}

TEST_F(HookTest, DelaysThatNeverFireAndOneThatIsNoNumber) {
    for (const char* delay : {"0", "-3"}) {
        Set(IDC_DelayV, delay);
        host.Notify(IPC_PLAYING_FILE);
        host.Command(WINAMP_BUTTON2);
        for (int i = 0; i < 30; ++i)
            host.Notify(AnyIpc);
        EXPECT_EQ(0, setTextCalls) << delay;
    }
    Set(IDC_DelayV, "abc");
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(DelayDef, SetStatusOnNext);
    for (int i = 0; i < DelayDef - 1; ++i)
        host.Notify(AnyIpc);
    EXPECT_EQ(1, setTextCalls);
}

TEST_F(HookTest, ANewTrackReArmsTheFullDelay) {
    Set(IDC_DelayV, "4");
    host.Command(WINAMP_BUTTON5);
    host.Notify(AnyIpc);
    host.Notify(AnyIpc); // one more would fire
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(4, SetStatusOnNext);
    host.Notify(AnyIpc);
    host.Notify(AnyIpc);
    EXPECT_EQ(0, setTextCalls);
    host.Notify(AnyIpc);
    EXPECT_EQ(1, setTextCalls);
}

TEST_F(HookTest, CurrentHostTimerChangesNothing) {
    Set(IDC_DelayV, "3");
    host.Tick();
    EXPECT_EQ(0, SetStatusOnNext);
    host.Notify(IPC_PLAYING_FILE);
    for (int i = 0; i < 5; ++i)
        host.Tick();
    EXPECT_EQ(3, SetStatusOnNext);
    EXPECT_EQ(0, setTextCalls);
}

// ---- the old host's timer

TEST_F(HookTest, OldHostTimerActsOnlyWhenTheFileChanged) {
    ps.WinampVer = 0x1000;
    Set(IDC_DelayV, "3");
    host.Tick(); // idle: arms
    host.Tick();
    EXPECT_EQ(0, setTextCalls);
    host.Tick();
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ(1, tipCalls);
    EXPECT_EQ(SongFile, ps.CurFile);

    // Same file: the countdown keeps firing every three ticks but nothing is built or set.
    for (int i = 0; i < 6; ++i) {
        host.Flush();
        host.Tick();
        EXPECT_EQ(0u, host.CountIpc(IPC_GETPLAYLISTTITLE));
    }
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ(1, tipCalls);

    host.options.position = 1;
    Ticks(3);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(NextFile, ps.CurFile);
    EXPECT_EQ("Next One", ps.LongStatus);

    // Stopped: the statuses go back at the next firing, once; the same file played again is
    // shown anew.
    HoldASlot();
    host.options.playState = 0;
    Ticks(3);
    EXPECT_EQ(1, restoreCalls);
    ps.SaveData = {}; // the restore freed the slot
    Ticks(3);
    EXPECT_EQ(1, restoreCalls);
    EXPECT_EQ(3, tipCalls);
    host.options.playState = 1;
    Ticks(3);
    EXPECT_EQ(3, setTextCalls);
    EXPECT_EQ(NextFile, ps.CurFile);
}

// ---- the SaveRestore gate and Winamp's own answers

TEST_F(HookTest, SaveRestoreOffPassesEverythingOn) {
    Set(IDC_SaveRestore, "0");
    Set(IDC_DelayV, "1");
    SetStatusOnNext = 2;
    host.Notify(IPC_PLAYING_FILE);
    host.Command(WINAMP_BUTTON2);
    host.Tick();
    ExpectHostSeq(host, PassedOnSeq, "PassedOnSeq");
    EXPECT_EQ(2, SetStatusOnNext);
    EXPECT_EQ(0, setTextCalls);
    EXPECT_EQ(host.options.version, host.Notify(IPC_GETVERSION));
}

WNDPROC laterNext = nullptr;
LRESULT CALLBACK LaterSubclasser(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcA(laterNext, h, m, w, l);
}

TEST_F(HookTest, LeftInTheChainWhenSwitchedOffItOnlyPassesOn) {
    Set(IDC_DelayV, "1");
    laterNext = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterSubclasser)));
    Set(IDC_Enable, "0");
    Set(IDC_SaveRestore, "0"); // nothing to restore
    config_apply();
    Set(IDC_SaveRestore, "1");
    ASSERT_FALSE(HookWorking());
    host.Flush();
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(1u, host.received().size());
    EXPECT_EQ(0, SetStatusOnNext);
    EXPECT_EQ(0, setTextCalls);
    SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterNext));
}

TEST_F(HookTest, WinampsResultIsReturnedEvenFromTheUpdatingCall) {
    Set(IDC_DelayV, "2");
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(host.options.version, host.Notify(IPC_GETVERSION));
    EXPECT_EQ(1, setTextCalls);
}

// ---- what an update builds

TEST_F(HookTest, UpdateBuildsTheThreeTextsAndThePicture) {
    Set(IDC_DelayV, "1");
    Set(IDC_Status, "%Artist");
    Set(IDC_LongStatus, "%Artist - %Title");
    Set(IDC_Tray, "%File\\n%PlayState");
    Set(IDC_Picture, U8(u8"музыка").c_str());
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ("Band", ps.Status);
    EXPECT_EQ("Band - Song", ps.LongStatus);
    EXPECT_EQ("Band - Song\r\n[PLAY]", ps.Tray);
    EXPECT_EQ(11, ps.Picture);
    EXPECT_EQ(SongFile, ps.CurFile);
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ(1, tipCalls);

    Set(IDC_SetTray, "0");
    Set(IDC_Picture, U8(u8"Нет такой").c_str());
    host.options.position = 1;
    host.Command(WINAMP_BUTTON5);
    EXPECT_EQ("Next", ps.Status);
    EXPECT_EQ(-1, ps.Picture);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(1, tipCalls); // no tray, no tooltip
}

// Templates and play-state words from a file saved as "Unicode" reach the clients as typed.
TEST_F(HookTest, TemplatesInAnyAlphabetFromTheFileReachTheClientsWhole) {
    const std::wstring file =
        L"\uFEFF[Winamp to ICQ client status_Russian]\r\nDelayV.Value=1\r\n"
        L"Status.Value=\u266B %Artist\r\nTray.Value=%PlayState\r\n"
        L"VirtPlayState.Caption=||\u266A \u0438\u0433\u0440\u0430\u0435\u0442||"
        L"||||\r\n";
    WriteFileBytes(ini, std::string(reinterpret_cast<const char*>(file.data()),
                                    file.size() * sizeof(wchar_t)));
    config_read();
    ps.WinampVer = host.options.version;
    host.Notify(IPC_PLAYING_FILE);
    const std::string status = U8(u8"♫ Band"), tray = U8(u8"♪ играет");
    EXPECT_EQ(status, ps.Status);
    EXPECT_EQ(tray, ps.Tray);
}

// ---- what Winamp says of its player beyond a new file

TEST_F(HookTest, AStreamsNewTitleArmsTheCountdownAndOnlyANewOne) {
    Set(IDC_DelayV, "3");
    PlayStream("Radio One - First Song");
    host.Notify(AnyIpc);
    host.Notify(AnyIpc);
    ASSERT_EQ(1, setTextCalls);
    host.Flush();
    host.Retitle("Radio One - First Song");
    ExpectHostSeq(host, SameTitleSeq, "SameTitleSeq");

    // Each row puts another answer in the host, then it notifies once: one title asked at most,
    // and the countdown armed only for a readable title other than the last one seen.
    const auto stream = [](const char* title) { return FakeEntry{StreamAddress, title, {}}; };
    FakeEntry noTitle = stream("");
    noTitle.nullTitle = true;
    FakeEntry answersOne = stream("Radio One - Next");
    answersOne.titleWAnswer = 1;
    FakeEntry wideOnly = stream("Radio One - Next"); // the code page makes the same of both
    wideOnly.titleW = L"Radio One - J\u00f3ga \u65e5\u672c";
    struct Row {
        const char* what;
        FakeEntry entry;
        int version;
        bool arms;
    };
    const int current = host.options.version;
    const Row rows[] = {
        {"the same title", stream("Radio One - First Song"), current, false},
        {"a new song", stream("Radio One - Next"), current, true},
        {"the new song again", stream("Radio One - Next"), current, false},
        {"no title (0)", noTitle, current, false},
        {"a host that answers 1", answersOne, current, false},
        {"a song the Unicode title alone tells apart", wideOnly, current, true},
        {"an ANSI Winamp 5.0, a new song", stream("Radio One - Last"), 0x5000, true},
        // What Winamp shows before the station names a song is no song.
        {"connecting", stream("[Connecting] http://radio.example.com:8000/live"), current, false},
        {"the bare address", stream(StreamAddress), current, false},
        {"buffering", stream("[Buffering: 37%] http://radio.example.com:8000/live"), current,
         false},
        {"a song in brackets without a closing one", stream("[Live set"), current, true},
        {"the bare address in Cyrillic",
         FakeEntry{"http://радио.example/live", "http://радио.example/live", {}}, current, false},
    };
    for (const Row& row : rows) {
        SetStatusOnNext = 0;
        host.options.playlist[0] = row.entry;
        ps.WinampVer = row.version;
        host.Flush();
        host.Notify(IPC_CB_MISC, IPC_CB_MISC_TITLE);
        EXPECT_EQ(row.arms ? 3 : 0, SetStatusOnNext) << row.what;
        EXPECT_EQ(1u, host.CountIpc(IPC_GETPLAYLISTTITLEW) + host.CountIpc(IPC_GETPLAYLISTTITLE))
            << row.what;
    }
    EXPECT_EQ(1, setTextCalls);

    // The countdown ends as for a file: the new song is built and shown, the tray too.
    ps.WinampVer = host.options.version;
    host.Retitle("Radio One - Second Song");
    host.Notify(AnyIpc);
    host.Notify(AnyIpc);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(2, tipCalls);
    EXPECT_EQ("Radio One - Second Song", ps.LongStatus);
}

TEST_F(HookTest, StormsOfPlayerNotificationsMakeOneUpdateAtMost) {
    Set(IDC_DelayV, "5");
    PlayStream("Radio One - First Song");
    // Thousands of notifications: the same title, a play state no template shows, and numbers
    // Winamp does not document. They count the countdown down; none arms it again.
    for (int i = 0; i < 5000; ++i)
        host.Notify(IPC_CB_MISC, std::array<WPARAM, 5>{IPC_CB_MISC_TITLE, 1, IPC_CB_MISC_STATUS, 7,
                                                       0xFFFF}[i % 5]);
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ(0, SetStatusOnNext);
    EXPECT_EQ(0, restoreCalls);

    // A storm of new titles: each is news and arms again, so no count of messages ends the
    // countdown; its deadline, kept from its first arming, does, once per delay at most.
    CountdownSecondMs = ShortSecondMs;
    const DWORD start = GetTickCount();
    for (int i = 0; i < 2000; ++i)
        host.Retitle("Radio One - Song " + std::to_string(i));
    const DWORD spent = GetTickCount() - start;
    EXPECT_LE(setTextCalls, 2 + static_cast<int>(spent / (5 * ShortSecondMs)));
    EXPECT_TRUE(host.LoopUntil([] { return ps.LongStatus == "Radio One - Song 1999"; }, Patience));
}

TEST_F(HookTest, AStopGivesTheStatusesBackOnceAndTheNextTrackIsShownAgain) {
    Set(IDC_DelayV, "3");
    HoldASlot();
    host.Notify(IPC_PLAYING_FILE);
    host.Notify(AnyIpc);
    host.Notify(AnyIpc);
    ASSERT_EQ(1, setTextCalls);

    // A stop shorter than the delay (the gap between two tracks) changes nothing.
    host.ChangePlayState(0);
    EXPECT_EQ(3, SetStatusOnNext);
    host.Notify(AnyIpc);
    host.options.playState = 1;
    host.Notify(IPC_PLAYING_FILE);
    host.Notify(AnyIpc);
    host.Notify(AnyIpc);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(0, restoreCalls);

    // A real stop: given back, no status built, the tooltip names no song.
    Set(IDC_DelayV, "1");
    host.Flush();
    host.ChangePlayState(0);
    ExpectHostSeq(host, StopGivesBackSeq, "StopGivesBackSeq");
    EXPECT_EQ(1, restoreCalls);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(3, tipCalls);
    EXPECT_EQ("", ps.Tray);

    // Stopped further: nothing more is given or shown, whatever arms the countdown.
    ps.SaveData = {}; // the restore freed the slot
    host.ChangePlayState(0);
    host.Command(WINAMP_BUTTON4);
    EXPECT_EQ(1, restoreCalls);
    EXPECT_EQ(3, tipCalls);

    // The next track is shown again.
    host.options.playState = 1;
    host.options.position = 1;
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(3, setTextCalls);
    EXPECT_EQ("Next One", ps.LongStatus);
}

TEST_F(HookTest, WhereATemplateShowsThePlayStateAPauseOrStopFromAnywhereShows) {
    Set(IDC_DelayV, "1");
    Set(IDC_SetStatus, "1");
    Set(IDC_Status, "%playstate %Artist");
    HoldASlot();
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ("[PLAY] Band", ps.Status);
    host.ChangePlayState(3);
    EXPECT_EQ("[PAUSE] Band", ps.Status);
    host.ChangePlayState(0); // kept: the stop text is what this user asked to see
    EXPECT_EQ("[STOP] Band", ps.Status);
    EXPECT_EQ(3, setTextCalls);
    EXPECT_EQ(0, restoreCalls);

    // A template whose switch is off shows nothing: a pause is then no news, a stop gives back.
    Set(IDC_SetStatus, "0");
    host.options.playState = 1;
    host.Notify(IPC_PLAYING_FILE);
    host.ChangePlayState(3);
    EXPECT_EQ(4, setTextCalls);
    host.ChangePlayState(0);
    EXPECT_EQ(4, setTextCalls);
    EXPECT_EQ(1, restoreCalls);

    // The tray's template counts where the tray is shown.
    Set(IDC_Tray, "%File %PlayState");
    host.ChangePlayState(3);
    EXPECT_EQ(5, setTextCalls);
    EXPECT_EQ("Band - Song [PAUSE]", ps.Tray);
}

// ---- failures stay inside the hook

TEST_F(HookTest, FailingUpdateIsContainedAndTheNextTrackWorks) {
    Set(IDC_DelayV, "1");
    failSetText = true;
    EXPECT_EQ(host.options.version, host.Notify(IPC_GETVERSION)); // idle: nothing happens
    SetStatusOnNext = 2;
    EXPECT_EQ(host.options.version, host.Notify(IPC_GETVERSION));
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ(0, SetStatusOnNext);
    EXPECT_EQ(0, tipCalls);

    failSetText = false;
    host.options.position = 1;
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(1, tipCalls);
    EXPECT_EQ("Next One", ps.LongStatus);
}

TEST_F(HookTest, NullAnswersAndHugeTemplatesAreSurvived) {
    Set(IDC_DelayV, "1");
    host.options.playlist[0].nullFile = true;
    host.options.playlist[0].nullTitle = true;
    host.Notify(IPC_PLAYING_FILE);
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ("", ps.LongStatus);
    EXPECT_EQ("", ps.CurFile);

    const std::string huge(100000, 'x');
    ps.DlgControlsV[IDC_Status] = huge + "%Artist%Title";
    host.options.playlist[0].nullFile = false;
    host.Notify(IPC_GET_NEXT_PLITEM);
    EXPECT_EQ(2, setTextCalls);
    EXPECT_EQ(huge + "BandSong", ps.Status);

    host.options.playlist.clear();
    host.Command(WINAMP_BUTTON1);
    EXPECT_EQ(3, setTextCalls);
    EXPECT_EQ("", ps.LongStatus);
}

// ---- Winamp as it is: what it sends itself, what it posts, and its silence

TEST_F(HookTest, AQuietWinampGetsItsStatusWithinTheDelayAndItsStatusesBackAfterAStop) {
    CountdownSecondMs = ShortSecondMs;
    Set(IDC_DelayV, "10"); // more than Winamp's own messages at a start or a stop
    HoldASlot();
    host.Start(0);
    host.Loop();
    EXPECT_EQ(0, setTextCalls) << "Winamp's own messages ended the countdown";
    ASSERT_TRUE(host.LoopUntil([] { return setTextCalls == 1; }, Patience));
    EXPECT_EQ("Band - Song", ps.LongStatus);
    host.Stop();
    ASSERT_TRUE(host.LoopUntil([] { return restoreCalls == 1; }, Patience));
    // One update per countdown: a quiet Winamp gets nothing more.
    EXPECT_FALSE(
        host.LoopUntil([] { return setTextCalls + restoreCalls > 2; }, 10 * ShortSecondMs));
    EXPECT_EQ(0, SetStatusOnNext);
}

TEST_F(HookTest, NoClientWorkWhileWinampIsInsideAMessageItSentItself) {
    CountdownSecondMs = ShortSecondMs;
    HoldASlot();
    Set(IDC_SetStatus, "1"); // where it holds the play state, a pause and a stop are shown
    const std::vector<FakeEntry> playlist = host.options.playlist;
    // Each event, then Winamp's loop until its countdown has ended (by messages or seconds).
    std::string log; // updates and restores after each event, shown on a failure
    const auto settle = [&] {
        host.LoopUntil([] { return SetStatusOnNext <= 0 && !UpdatePosted(); }, Patience);
        log += std::to_string(setTextCalls) + "/" + std::to_string(restoreCalls) + " ";
    };
    for (const char* delay : {"1", "2"}) {
        for (const char* status : {"%Title", "%PlayState %Title"}) {
            SCOPED_TRACE(std::string(delay) + " " + status);
            Set(IDC_DelayV, delay);
            Set(IDC_Status, status);
            host.options.playlist = playlist;
            host.Start(0);
            settle();
            host.Next(); // 636 comes while the old entry is current
            settle();
            EXPECT_EQ("Next One", ps.LongStatus);
            host.Pause();
            settle();
            host.Resume();
            settle();
            host.Stop();
            settle();
            host.StartStream(StreamAddress);
            settle();
            host.ShowTitle("Radio One - First Song");
            settle();
            EXPECT_EQ("Radio One - First Song", ps.LongStatus);
        }
    }
    EXPECT_EQ(18, setTextCalls) << log;
    EXPECT_EQ(2, restoreCalls) << log;
    EXPECT_EQ(0, clientWorkInsideWinamp);
}

TEST_F(HookTest, AStreamShowsOnlyItsSongs) {
    Set(IDC_DelayV, "1"); // every arming ends the countdown at once
    host.StartStream(StreamAddress);
    host.Loop();
    host.ShowTitle(std::string("[Buffering: 37%] ") + StreamAddress);
    host.Loop();
    EXPECT_EQ(0, setTextCalls);
    EXPECT_EQ(0, tipCalls);
    host.ShowTitle("Radio One - First Song");
    host.Loop();
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ("Radio One - First Song", ps.LongStatus);
    // A dropout in the middle of a song: the song stays, and is not shown again after it.
    host.ShowTitle(std::string("[Buffering: 80%] ") + StreamAddress);
    host.Loop();
    host.ShowTitle("Radio One - First Song");
    host.Loop();
    EXPECT_EQ(1, setTextCalls);
    EXPECT_EQ("Radio One - First Song", ps.LongStatus);
}

TEST_F(HookTest, AnUpdateCutShortByItsTimeServesTheRestWithinTheDelay) {
    CountdownSecondMs = ShortSecondMs;
    Set(IDC_DelayV, "10");
    cutSetText = true;
    host.Start(0);
    ASSERT_TRUE(host.LoopUntil([] { return setTextCalls == 1; }, Patience));
    EXPECT_EQ(10, SetStatusOnNext); // armed again
    cutSetText = false;
    ASSERT_TRUE(host.LoopUntil([] { return setTextCalls == 2; }, Patience));
    EXPECT_FALSE(host.LoopUntil([] { return setTextCalls > 2; }, 15 * ShortSecondMs));
}

TEST_F(HookTest, AnUpdateAskedForButNotRunDiesWithTheHook) {
    CountdownSecondMs = ShortSecondMs;
    for (const char* delay : {"1", "2"}) {
        SCOPED_TRACE(delay);
        Set(IDC_DelayV, delay);
        Set(IDC_Enable, "1");
        SetStatusOnNext = 0;
        // Winamp starts a file and is switched off before its loop comes round: the update
        // (delay 1) or the deadline (delay 2) finds the hook gone.
        SendMessageW(host.hwnd(), WM_WA_IPC, 0, IPC_PLAYING_FILE);
        EXPECT_EQ(delay == std::string("1"), UpdatePosted());
        Set(IDC_Enable, "0");
        config_apply();
        EXPECT_FALSE(host.LoopUntil([] { return setTextCalls > 0; }, 4 * ShortSecondMs));
        // Hooked again for the next row, as the fixture hooks.
        lpWndProcOld = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
    }
}
