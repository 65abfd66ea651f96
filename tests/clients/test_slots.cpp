// The stored statuses: filled before the first change, kept across updates, freed with their
// form, limited to 21, and put back at switch-off only where the client shows something else.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "clients/clients.h"
#include "clients/journal.h"
#include "clients/slots.h"
#include "common/client_fixture.h"
#include "common/texts.h"
#include "common/client_messages.h"
#include "common/fake_winamp.h"
#include "common/files.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"
#include "support/unicode.h"
#include "windows/window_search.h"

namespace {
// R&Q's picture cannot be read, so its slot holds picture 0, which is clicked back.
const Msg RestoreRnqSeq[] = {
    {"form", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, MAKELPARAM(20, 50)},
    {"form", WM_LBUTTONUP, sent | wparam | lparam, 0, MAKELPARAM(20, 50)},
    {"edit1", WM_SETTEXT, sent | text, 0, 0, "Работаю"},
    {"memo1", WM_SETTEXT, sent | text, 0, 0, "дома"},
    {"form", WM_KEYDOWN, sent | wparam, VK_RETURN},
    {"form", WM_KEYUP, sent | wparam, VK_RETURN},
    {"form", WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
    {}};

class SlotsTest : public ClientsTest {
  protected:
    void SetUp() override {
        ClientsTest::SetUp();
        OnlyOn({IDC_IfAny, IDC_SetPicture, IDC_SetStatus, IDC_SetLongStatus});
        Status(11, "Слушаю", "Artist - Title");
    }
    // A client showing a status of its own.
    FakeClient Showing(bool qip, const std::string& name, int picture, const std::string& status,
                       const std::string& longStatus) {
        FakeClient c = qip ? clients.Qip(name) : clients.Rnq(name);
        if (qip) clients.Select(name + ".combo", picture);
        clients.SetText(name + (qip ? ".edit2" : ".edit1"), status);
        clients.SetText(name + (qip ? ".edit1" : ".memo1"), longStatus);
        return c;
    }
    static std::vector<HWND> FormsInSearchOrder() {
        TWindowsAr ww = nilTWindowsAr;
        AddClassName(ww.szClass, "TCusForm");
        AddClassName(ww.szClass, "TxStatusForm");
        FindChildsWindows(nullptr, ww);
        return {ww.windows.begin(), ww.windows.begin() + ww.wwCounter};
    }
    static int SlotOf(HWND form) {
        for (int i = 0; i <= ICQClientsMaxCount; ++i)
            if (ps.SaveData[static_cast<size_t>(i)].wnd == form) return i;
        return -1;
    }
};

struct Shown {
    int picture;
    std::string status, longStatus;
};
} // namespace

TEST_F(SlotsTest, FirstUpdateStoresEveryFormBeforeChangingIt) {
    std::map<HWND, Shown> before;
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    FakeClient q2 = Showing(true, "q2", 7, "Ем", "обед");
    FakeClient r1 = Showing(false, "r1", 0, "Сплю", "ночь");
    before[q1["form"]] = {3, U8(u8"Работаю"), U8(u8"дома")};
    before[q2["form"]] = {7, U8(u8"Ем"), U8(u8"обед")};
    before[r1["form"]] = {0, U8(u8"Сплю"), U8(u8"ночь")};
    const std::vector<HWND> order = FormsInSearchOrder();
    ASSERT_EQ(3u, order.size());

    SetText();
    for (size_t i = 0; i < 3; ++i) {
        const TQIPState& s = ps.SaveData[i];
        ASSERT_EQ(order[i], s.wnd) << "slot " << i;
        EXPECT_EQ(before[s.wnd].picture, s.prevPic) << "slot " << i;
        EXPECT_EQ(before[s.wnd].status, s.prevStatus) << "slot " << i;
        EXPECT_EQ(before[s.wnd].longStatus, s.prevLongStatus) << "slot " << i;
    }
    EXPECT_EQ(nullptr, ps.SaveData[3].wnd);
    EXPECT_EQ("pic=11|status=Слушаю|long=Artist - Title", clients.State("q2.form").confirmed);

    // Later updates change no slot, even after the clients were changed.
    const auto stored = ps.SaveData;
    ps.Status = U8(u8"Другое");
    SetText();
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].wnd, ps.SaveData[i].wnd);
        EXPECT_EQ(stored[i].prevStatus, ps.SaveData[i].prevStatus);
    }
}

TEST_F(SlotsTest, ClosedFormFreesItsSlotForTheNextNewForm) {
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    SetText();
    ASSERT_EQ(0, SlotOf(q1["form"]));
    clients.Destroy("q1.form");
    FakeClient r1 = Showing(false, "r1", 0, "Сплю", "ночь");
    SetText();
    EXPECT_EQ(0, SlotOf(r1["form"]));
    EXPECT_EQ(U8(u8"Сплю"), ps.SaveData[0].prevStatus);
    EXPECT_EQ(0, ps.SaveData[0].prevPic);
}

TEST_F(SlotsTest, FormWhoseStatusCannotBeReadWholeIsNotStored) {
    Switch(IDC_AllowOpen, false);
    FakeClient q1 = clients.Qip("q1", "nook");
    SetText();
    EXPECT_EQ(-1, SlotOf(q1["form"]));
    EXPECT_EQ(nullptr, ps.SaveData[0].wnd);
}

TEST_F(SlotsTest, WithAll21SlotsHeldANewFormIsServedButNotStored) {
    std::vector<HWND> held;
    for (auto& s : ps.SaveData) {
        s.wnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        held.push_back(s.wnd);
    }
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    SetText();
    EXPECT_EQ(-1, SlotOf(q1["form"]));
    EXPECT_EQ(1, clients.State("q1.form").confirmations);
    for (HWND h : held)
        DestroyWindow(h);
}

TEST_F(SlotsTest, SwitchingOffRestoresOnlyWhereTheClientShowsSomethingElse) {
    FakeClient q1 = Showing(true, "q1", 3, "Ем", "обед");
    FakeClient r1 = Showing(false, "r1", 0, "Работаю", "дома");
    SetText();
    ASSERT_NE(-1, SlotOf(q1["form"]));
    ASSERT_NE(-1, SlotOf(r1["form"]));
    // The user has put QIP's status back by hand (in other letter case).
    clients.Select("q1.combo", 3);
    clients.SetText("q1.edit2", "ЕМ");
    clients.SetText("q1.edit1", "Обед");
    clients.Records();

    ps.DlgControlsV[IDC_Enable] = "0";
    config_apply(); // switching off restores
    const auto got = clients.Records();
    ok_sequence(got, "q1", NothingSeq, "QIP already shows its stored status");
    ok_sequence(got, "r1", RestoreRnqSeq, "R&Q gets its stored status back");
    for (const TQIPState& s : ps.SaveData)
        EXPECT_EQ(nullptr, s.wnd);

    // A second switch-off (quit after the dialog switched the plugin off) sends nothing.
    config_apply();
    EXPECT_TRUE(PluginMessages(clients.Records(), "r1").empty());
}

TEST_F(SlotsTest, RestoreFollowsTheConditionsOfTheMoment) {
    FakeClient q1 = Showing(true, "q1", 11, "Ем", "обед");
    FakeClient q2 = Showing(true, "q2", 11, "Ем", "обед");
    FakeClient r1 = Showing(false, "r1", 0, "Работаю", "дома");
    OnlyOn({IDC_IfAny, IDC_SetLongStatus});
    SetText();
    clients.Select("q2.combo", 4);
    OnlyOn({IDC_IfPicture, IDC_SetLongStatus});
    clients.Records();
    RestoreStatuses();
    const auto got = clients.Records();
    EXPECT_EQ("pic=11|status=Ем|long=обед", clients.State("q1.form").confirmed);
    EXPECT_EQ("pic=11|status=Ем|long=Artist - Title", clients.State("q2.form").confirmed);
    ok_sequence(got, "r1", NothingSeq, "R&Q has no picture condition");
}

TEST_F(SlotsTest, AClientNeverServedIsReleasedWithoutAMessage) {
    Switch(IDC_AllQIP, false);
    ps.DlgControlsV[IDC_CustomQIP] = "12345";
    FakeClient served = Showing(true, "qa", 3, "Работаю", "дома");
    clients.SetText("qa.main", "QIP 12345");
    FakeClient other = Showing(true, "qb", 4, "Ем", "обед");
    SetText();
    ASSERT_NE(-1, SlotOf(other["form"])) << "stored, though never served";
    clients.SetText("qb.edit2", "Сплю"); // the user changes it by hand
    clients.Records();
    RestoreStatuses();
    ok_sequence(clients.Records(), "qb", NothingSeq, "never changed by the plugin");
    EXPECT_EQ(-1, SlotOf(other["form"]));
    EXPECT_EQ("pic=3|status=Работаю|long=дома", clients.State("qa.form").confirmed);
}

TEST_F(SlotsTest, ASecondInitKeepsTheStoredStatuses) {
    FakeWinamp winamp;
    plugin.hwndParent = winamp.hwnd();
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    init();
    Status(11, "Слушаю", "Artist - Title");
    SetText();
    ASSERT_EQ(0, SlotOf(q1["form"]));
    init();
    EXPECT_EQ(0, SlotOf(q1["form"]));
    EXPECT_EQ(U8(u8"Работаю"), ps.SaveData[0].prevStatus);
    quit();
    EXPECT_EQ("pic=3|status=Работаю|long=дома", clients.State("q1.form").confirmed);
    EXPECT_TRUE(ReadJournal().empty()) << "a clean quit leaves an empty journal";
}

// QIP handles the open click of the store step only after that step has looked again (on Windows
// it usually has by the time the status is set): the form is not changed in that update, since
// nothing of it is stored; the next update stores the user's status first, then changes it.
TEST_F(SlotsTest, AFormIsChangedOnlyOnceItsStatusIsStored) {
    FakeClient q = clients.Qip("q1", "okafterclick");
    clients.Select("q1.combo", 3);
    clients.SetText("q1.edit2", "Работаю");
    clients.SetText("q1.edit1", "дома");
    DesktopRecorder::deliverClicksTo = q["main"];
    DesktopRecorder::clicksLost = 1; // handled when the next click comes
    SetText();
    EXPECT_EQ(-1, SlotOf(q["form"]));
    EXPECT_EQ(0, clients.State("q1.form").confirmations) << "changed with nothing stored";
    SetText();
    ASSERT_EQ(0, SlotOf(q["form"]));
    EXPECT_EQ(3, ps.SaveData[0].prevPic);
    EXPECT_EQ(U8(u8"Работаю"), ps.SaveData[0].prevStatus);
    EXPECT_EQ(U8(u8"дома"), ps.SaveData[0].prevLongStatus);
    EXPECT_EQ(1, clients.State("q1.form").confirmations);
}

// A restore that finds no "OK" panel on a changed QIP form gives nothing back: the slot stays,
// and is told of at quit.
TEST_F(SlotsTest, ARestoreThatCannotFindOkKeepsTheSlot) {
    Switch(IDC_AllowOpen, false);
    FakeClient q = Showing(true, "q1", 3, "Работаю", "дома");
    SetText();
    ASSERT_EQ(0, SlotOf(q["form"]));
    clients.Destroy("q1.ok");
    RestoreStatuses();
    EXPECT_EQ(0, SlotOf(q["form"]));
    EXPECT_EQ(1, ReportUnrestored());
}

// A control that goes as it is read (a client re-creating its form) answers for nobody: nothing
// of the form is stored, and no text goes into the control left in its place.
TEST_F(SlotsTest, AControlThatGoesWhileReadLeavesTheFormForTheNextUpdate) {
    FakeClient q = Showing(true, "q1", 3, "Работаю", "дома");
    clients.Vanish("q1.edit1", WM_GETTEXT); // the long status's edit
    const std::vector<ClientRecord> got = UpdateRecords();
    EXPECT_EQ(-1, SlotOf(q["form"]));
    for (const ClientRecord& r : got)
        EXPECT_FALSE(r.message == WM_SETTEXT && r.sent) << r.window << " got " << r.text;
    EXPECT_EQ(0, clients.State("q1.form").confirmations);
}

namespace {
// What a Winamp started again after it ended without quit knows: nothing but the files.
void StartAgainWithoutQuit() {
    for (TQIPState& s : ps.SaveData)
        s = TQIPState{};
    PendingJournalEntries().clear();
}

// QIP client q1 in a process of its own, showing a status.
void StartQip(FakeClientProcess& p, int picture, const std::string& status,
              const std::string& longStatus) {
    p.Qip("q1");
    p.Select("q1.combo", picture);
    p.SetText("q1.edit2", status);
    p.SetText("q1.edit1", longStatus);
}
} // namespace

// Winamp ends without quit after an update (a crash, a kill): at its next start the clients,
// which still show the track, get their own statuses back at once, and nothing is left to keep.
TEST_F(SlotsTest, AfterAnEndWithoutQuitTheNextStartPutsTheStatusesBack) {
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    FakeClient r1 = Showing(false, "r1", 0, "Сплю", "ночь");
    SetText();
    ASSERT_EQ("pic=11|status=Слушаю|long=Artist - Title", clients.State("q1.form").confirmed);
    StartAgainWithoutQuit();
    TakeOverFromJournal();
    EXPECT_EQ("pic=3|status=Работаю|long=дома", clients.State("q1.form").confirmed);
    EXPECT_EQ("pic=0|status=Сплю|long=ночь", clients.State("r1.form").confirmed);
    for (const TQIPState& s : ps.SaveData)
        EXPECT_EQ(nullptr, s.wnd);
    EXPECT_TRUE(ReadJournal().empty());
}

// A client that ends and starts again showing the plugin's text (as one that saves its status
// does), while Winamp runs and after both ended: the user's status comes back, not the track.
TEST_F(SlotsTest, AClientRestartedWithThePluginsTextGetsTheUsersStatusBack) {
    auto first = std::make_unique<FakeClientProcess>();
    StartQip(*first, 3, "Работаю", "дома");
    SetText();
    first->Kill();
    FakeClientProcess second;
    StartQip(second, 11, "Слушаю", "Artist - Title");
    SetText(); // Winamp still runs: the form is known again from the journal
    RestoreStatuses();
    EXPECT_EQ("pic=3|status=Работаю|long=дома", second.State("q1.form").confirmed);

    // Now the client ends before Winamp (Windows shutting down), and both start again.
    SetText();
    second.Kill();
    RestoreStatuses(); // quit: the client is gone, its entry stays in the journal
    StartAgainWithoutQuit();
    FakeClientProcess third;
    StartQip(third, 11, "Слушаю", "Artist - Title");
    TakeOverFromJournal();
    EXPECT_EQ("pic=3|status=Работаю|long=дома", third.State("q1.form").confirmed);
}

// Two clients whose main windows have the same title (one account started twice), stored at
// two updates, both showing the track when Winamp dies: each gets its own status back, though
// the other's entry would match it by kind, title and texts too.
TEST_F(SlotsTest, TwoClientsOfOneTitleEachGetTheirOwnBackAfterACrash) {
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    SetText();
    FakeClient q2 = Showing(true, "q2", 4, "Сплю", "ночь");
    clients.SetText("q2.main", "QIP q1");
    SetText();
    ASSERT_EQ(clients.State("q1.form").confirmed, clients.State("q2.form").confirmed);
    StartAgainWithoutQuit();
    TakeOverFromJournal();
    EXPECT_EQ("pic=3|status=Работаю|long=дома", clients.State("q1.form").confirmed);
    EXPECT_EQ("pic=4|status=Сплю|long=ночь", clients.State("q2.form").confirmed);
}

// A client changed at one track stops answering for a while, so the next track's update skips
// it: the journal still holds the first track as what it was given. Whether Winamp then dies, or
// the client restarts showing the first track's text, the user's own status comes back.
TEST_F(SlotsTest, AClientSkippedByAnUpdateKeepsItsEntryAsItWas) {
    for (const bool restart : {false, true}) {
        SCOPED_TRACE(restart ? "a client restarted with the plugin's text" : "a crash");
        StartAgainWithoutQuit();
        Status(11, "Слушаю", "Artist - Title");
        auto first = std::make_unique<FakeClientProcess>();
        StartQip(*first, 3, "Работаю", "дома");
        SetText();
        const HWND form = FormsInSearchOrder().at(0);
        first->Hang(static_cast<int>(2 * TimeLimits.sendMs)); // longer than one message may take
        Status(11, "Слушаю", "Next - Track");
        SetText();
        if (!restart) {
            for (DWORD_PTR r = 0; !SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_NORMAL, 100, &r);)
                Sleep(50);
            ASSERT_EQ("pic=11|status=Слушаю|long=Artist - Title", first->State("q1.form").confirmed)
                << "skipped";
            StartAgainWithoutQuit();
            TakeOverFromJournal();
            EXPECT_EQ("pic=3|status=Работаю|long=дома", first->State("q1.form").confirmed);
            continue;
        }
        first->Kill();
        FakeClientProcess second;
        StartQip(second, 11, "Слушаю", "Artist - Title");
        SetText();
        RestoreStatuses(); // quit
        EXPECT_EQ("pic=3|status=Работаю|long=дома", second.State("q1.form").confirmed);
    }
}

// A client "Только для" leaves out is stored but never given anything: the journal does not call
// it changed, so nothing is put back over it after a crash.
TEST_F(SlotsTest, AClientLeftOutByTheTitleChoiceIsNotJournaledAsChanged) {
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    FakeClient q2 = Showing(true, "q2", 4, "Сплю", "ночь");
    Switch(IDC_AllQIP, false);
    ps.DlgControlsV[IDC_CustomQIP] = "q1";
    SetText();
    ASSERT_EQ(1, clients.State("q1.form").confirmations);
    ASSERT_EQ(0, clients.State("q2.form").confirmations);
    const std::vector<TQIPState> journal = ReadJournal();
    ASSERT_EQ(2u, journal.size());
    for (const TQIPState& e : journal)
        EXPECT_EQ(e.wnd == q1["form"], e.changed) << e.mainTitle;
}

// After a crash the user chose another QIP picture by hand, leaving the texts as they were: the
// status is the user's now, and nothing is put back over it.
TEST_F(SlotsTest, APictureChangedByHandAfterACrashIsLeftAlone) {
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    SetText();
    StartAgainWithoutQuit();
    clients.Select("q1.combo", 7);
    TakeOverFromJournal();
    EXPECT_EQ(1, clients.State("q1.form").confirmations);
    EXPECT_EQ(-1, SlotOf(q1["form"]));
}

// A journal an earlier version left (the ANSI code page, version 1), or one an editor saved in
// UTF-8 with a byte order mark, still gives the status back, and is written anew in the plugin's
// own UTF-8 without the mark.
TEST_F(SlotsTest, AJournalOfTheEarlierVersionOrAnEditorStillGivesTheStatusBack) {
    FakeClient q1 = Showing(true, "q1", 11, "Слушаю", "Artist - Title");
    char handle[32];
    snprintf(handle, sizeof handle, "0x%llx",
             static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(q1["form"])));
    // The entry in the code page (the narrow literals are) and in UTF-8.
    const std::string entry = std::string("\r\n[client]\r\nform=") + handle +
                              "\r\nclass=TCusForm\r\nprocess=" + std::to_string(clients.pid()) +
                              "\r\ntitle=QIP q1\r\npicture=3\r\nstatus=Работаю\r\nlong=дома\r\n"
                              "changed=1\r\nset.picture=11\r\nset.status=Слушаю\r\n"
                              "set.long=Artist - Title\r\n";
    const std::string entryU8 = Utf8FromAnsi(entry);
    const std::string header = "gen_Lumtra stored statuses, version 1\r\n";
    const std::string header2 = "gen_Lumtra stored statuses, version 2\r\n";
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"version 1", header + entry},
        {"version 2 with a byte order mark", bom + header2 + entryU8},
        {"version 1 saved in UTF-8 with a byte order mark", bom + header + entryU8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartAgainWithoutQuit();
        clients.Select("q1.combo", 11);
        clients.SetText("q1.edit2", "Слушаю");
        clients.SetText("q1.edit1", "Artist - Title");
        WriteFileBytes(JournalFileName(), c.text);
        TakeOverFromJournal();
        EXPECT_EQ("pic=3|status=Работаю|long=дома", clients.State("q1.form").confirmed);
        SetText();
        const std::string written = ReadFileBytes(JournalFileName());
        EXPECT_EQ(0u, written.find(header2 + "\r\n[client]")) << written;
        EXPECT_NE(std::string::npos, written.find(U8(u8"status=Работаю\r\n")));
    }
}

// A journal naming one window twice, or one entry two look-alike clients match equally well:
// one form gets the entry, never both; the other keeps what it shows.
TEST_F(SlotsTest, AnEntryGoesToOneFormAtMost) {
    FakeClient q1 = Showing(true, "q1", 11, "Слушаю", "Artist - Title");
    FakeClient q2 = Showing(true, "q2", 11, "Слушаю", "Artist - Title");
    clients.SetText("q2.main", "QIP q1");
    auto entry = [&](HWND form, DWORD pid) {
        char handle[32];
        snprintf(handle, sizeof handle, "0x%llx",
                 static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(form)));
        return std::string("[client]\r\nform=") + handle +
               "\r\nclass=TCusForm\r\nprocess=" + std::to_string(pid) +
               "\r\ntitle=QIP q1\r\npicture=3\r\nstatus=Работаю\r\nlong=дома\r\n"
               "changed=1\r\nset.picture=11\r\nset.status=Слушаю\r\n"
               "set.long=Artist - Title\r\n";
    };
    const std::string header = "gen_Lumtra stored statuses, version 1\r\n";
    const struct {
        const char* what;
        std::string journal;
    } cases[] = {
        {"one window named twice",
         header + entry(q1["form"], clients.pid()) + entry(q1["form"], clients.pid())},
        {"a gone client's entry, two look-alikes", header + entry(q1["edit1"], 4242)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartAgainWithoutQuit();
        for (const char* form : {"q1", "q2"}) {
            clients.Select(std::string(form) + ".combo", 11);
            clients.SetText(std::string(form) + ".edit2", "Слушаю");
            clients.SetText(std::string(form) + ".edit1", "Artist - Title");
        }
        WriteFileBytes(JournalFileName(), c.journal);
        const int before =
            clients.State("q1.form").confirmations + clients.State("q2.form").confirmations;
        TakeOverFromJournal();
        EXPECT_EQ(before + 1,
                  clients.State("q1.form").confirmations + clients.State("q2.form").confirmations);
        EXPECT_TRUE(PendingJournalEntries().empty());
    }
}

// Journals that cannot be used: nothing is sent to any window, no slot is taken, nothing breaks.
TEST_F(SlotsTest, AJournalThatCannotBeUsedChangesNothing) {
    FakeClient q1 = Showing(true, "q1", 3, "Работаю", "дома");
    char handle[32];
    snprintf(handle, sizeof handle, "0x%llx",
             static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(q1["edit1"])));
    const std::string entry = std::string("[client]\r\nform=") + handle +
                              "\r\nclass=TCusForm\r\nprocess=4242\r\ntitle=QIP q9\r\npicture=1\r\n"
                              "status=x\r\nlong=y\r\nchanged=1\r\nset.picture=11\r\n"
                              "set.status=Работаю\r\nset.long=дома\r\n";
    const std::string header = "gen_Lumtra stored statuses, version 1\r\n";
    const std::string header2 = "gen_Lumtra stored statuses, version 2\r\n"; // UTF-8
    const struct {
        const char* what;
        std::string text;
        bool write;
    } cases[] = {
        {"missing", "", false},
        {"empty", "", true},
        {"truncated", header + entry.substr(0, entry.size() - 12), true},
        {"binary", header + std::string("\0\x01\xFF[client]\r\n", 14) + entry, true},
        {"from a later version", "gen_Lumtra stored statuses, version 3\r\n" + entry, true},
        {"naming another program's window", header + entry, true},
        {"truncated, version 2", header2 + entry.substr(0, entry.size() - 12), true},
        {"binary, version 2", header2 + std::string("\0\x01\xFF[client]\r\n", 14) + entry, true},
        {"no UTF-8, version 2", header2 + entry + "[client]\r\nstatus=\xFF\xC0\xE2\x99\r\n", true},
    };
    for (const auto& c : cases) {
        StartAgainWithoutQuit();
        DeleteFileA(JournalFileName().c_str());
        if (c.write) WriteFileBytes(JournalFileName(), c.text);
        const auto before = ps.DlgControlsV;
        clients.Records();
        TakeOverFromJournal();
        for (const ClientRecord& r : clients.Records())
            EXPECT_FALSE(r.sent && r.message != WM_NULL && r.message != WM_GETTEXT &&
                         r.message != WM_GETTEXTLENGTH && r.message != CB_GETCURSEL)
                << c.what << ": " << r.window << " got " << r.message;
        for (const TQIPState& s : ps.SaveData)
            EXPECT_EQ(nullptr, s.wnd) << c.what;
        EXPECT_EQ(before, ps.DlgControlsV) << c.what;
        EXPECT_EQ(0, clients.State("q1.form").confirmations) << c.what;
    }
}
