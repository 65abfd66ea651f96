// The QIP status form, driven in a fake QIP running in its own process: which messages its
// controls receive, in which order, and the forced opening by a click on QIP's main window.
#include <gtest/gtest.h>

#include "clients/clients.h"
#include "clients/qip.h"
#include "common/client_fixture.h"
#include "common/client_messages.h"
#include "common/texts.h"
#include "settings/settings.h"
#include "windows/desktop.h"

namespace {
const LPARAM At11 = MAKELPARAM(1, 1);

// Hidden form, long status only, the picture put back as it was, confirmed.
const Msg SetHiddenQipSeq[] = {{"combo", CB_SETCURSEL, sent | wparam, 3},
                               {"edit1", WM_SETTEXT, sent | text, 0, 0, "Artist - Title"},
                               {"ok", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, At11},
                               {"ok", WM_LBUTTONUP, sent | wparam | lparam, MK_LBUTTON, At11},
                               {}};
// The same in compatible mode: picture 0 confirmed first.
const Msg SetHiddenCompatibleQipSeq[] = {
    {"combo", CB_SETCURSEL, sent | wparam, 0},
    {"ok", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, At11},
    {"ok", WM_LBUTTONUP, sent | wparam | lparam, MK_LBUTTON, At11},
    {"combo", CB_SETCURSEL, sent | wparam, 3},
    {"edit1", WM_SETTEXT, sent | text, 0, 0, "Artist - Title"},
    {"ok", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, At11},
    {"ok", WM_LBUTTONUP, sent | wparam | lparam, MK_LBUTTON, At11},
    {}};
// A form the user has open: filled in, never clicked, compatible mode or not.
const Msg SetVisibleQipSeq[] = {{"combo", CB_SETCURSEL, sent | wparam, 5},
                                {"edit2", WM_SETTEXT, sent | text, 0, 0, "Слушаю"},
                                {"edit1", WM_SETTEXT, sent | text, 0, 0, "Artist - Title"},
                                {}};
// No picture resolved: the selection is cleared.
const Msg SetNoPictureQipSeq[] = {{"combo", CB_SETCURSEL, sent | wparam, 0},
                                  {"combo", CB_SETCURSEL, sent | wparam, static_cast<WPARAM>(-1)},
                                  {"ok", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, At11},
                                  {"ok", WM_LBUTTONUP, sent | wparam | lparam, MK_LBUTTON, At11},
                                  {}};

class QipTest : public ClientsTest {
  protected:
    void SetUp() override {
        ClientsTest::SetUp();
        Status(5, "Слушаю", "Artist - Title");
    }
};
} // namespace

TEST_F(QipTest, HiddenFormIsFilledAndConfirmedInOrder) {
    OnlyOn({IDC_IfAny, IDC_SetLongStatus});
    FakeClient q = clients.Qip("q1");
    clients.Select("q1.combo", 3);
    ok_sequence(UpdateRecords(), "q1", SetHiddenQipSeq, "long status only");
    const FormShows s = clients.State("q1.form");
    EXPECT_EQ(1, s.confirmations);
    EXPECT_EQ("pic=3|status=|long=Artist - Title", s.confirmed);

    ok_sequence(UpdateRecords(), "q1", NothingSeq, "second update, nothing differs");
}

TEST_F(QipTest, CompatibleModeConfirmsPictureZeroFirst) {
    OnlyOn({IDC_IfAny, IDC_SetLongStatus, IDC_Compatible});
    clients.Qip("q1");
    clients.Select("q1.combo", 3);
    ok_sequence(UpdateRecords(), "q1", SetHiddenCompatibleQipSeq, "compatible");
    EXPECT_EQ(2, clients.State("q1.form").confirmations);
}

TEST_F(QipTest, VisibleFormIsFilledButNotClicked) {
    OnlyOn({IDC_IfAny, IDC_SetPicture, IDC_SetStatus, IDC_SetLongStatus, IDC_Compatible});
    clients.Qip("q1", "visible");
    ok_sequence(UpdateRecords(), "q1", SetVisibleQipSeq, "visible form");
    const FormShows s = clients.State("q1.form");
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(0, s.confirmations);
    EXPECT_EQ("pic=5|status=Слушаю|long=Artist - Title", s.applied);
}

TEST_F(QipTest, NothingIsSentWhereNothingDiffersOrNothingIsAllowed) {
    FakeClient q = clients.Qip("q1");
    clients.Select("q1.combo", 5);
    clients.SetText("q1.edit2", "СЛУШАЮ");
    clients.SetText("q1.edit1", "artist - TITLE");
    OnlyOn({IDC_IfAny, IDC_SetPicture, IDC_SetStatus, IDC_SetLongStatus, IDC_Compatible});
    ok_sequence(UpdateRecords(), "q1", NothingSeq, "already shown, ignoring case");

    clients.SetText("q1.edit1", "something else");
    OnlyOn({IDC_IfAny, IDC_Compatible});
    ok_sequence(UpdateRecords(), "q1", NothingSeq, "nothing to set");
    OnlyOn({IDC_SetPicture, IDC_SetStatus, IDC_SetLongStatus, IDC_Compatible});
    ok_sequence(UpdateRecords(), "q1", NothingSeq, "no condition");
    EXPECT_EQ(TOutcome::Done, SetStatus_QIP(q["form"], CurrentStatusText()))
        << "the OK panel was found";
}

TEST_F(QipTest, PictureConditionHoldsOnlyWhileMusicIsSelected) {
    OnlyOn({IDC_IfPicture, IDC_SetPicture});
    clients.Qip("q1");
    clients.Select("q1.combo", 4);
    ok_sequence(UpdateRecords(), "q1", NothingSeq, "picture 4");
    clients.Select("q1.combo", QIPMusicPicture);
    EXPECT_FALSE(PluginMessages(UpdateRecords(), "q1").empty());
    EXPECT_EQ("pic=5|status=|long=", clients.State("q1.form").confirmed);
    ok_sequence(UpdateRecords(), "q1", NothingSeq, "no longer Music");
}

// The reference of the caption condition is the text of the status caption box.
TEST_F(QipTest, CaptionConditionComparesWithTheStatusCaptionSetting) {
    OnlyOn({IDC_IfStatus, IDC_SetLongStatus});
    ps.DlgControlsV[IDC_Status] = U8(u8"Слушаю");
    ps.Status = "Artist - Title"; // this track's caption, which the condition ignores
    clients.Qip("q1");
    clients.SetText("q1.edit2", "Работаю");
    ok_sequence(UpdateRecords(), "q1", NothingSeq, "another caption");
    clients.SetText("q1.edit2", "СЛУШАЮ");
    EXPECT_FALSE(PluginMessages(UpdateRecords(), "q1").empty());
    EXPECT_EQ("pic=0|status=СЛУШАЮ|long=Artist - Title", clients.State("q1.form").confirmed);
}

TEST_F(QipTest, NoPictureClearsTheSelection) {
    OnlyOn({IDC_IfAny, IDC_SetPicture});
    clients.Qip("q1");
    ps.Picture = -1;
    ok_sequence(UpdateRecords(), "q1", SetNoPictureQipSeq, "picture -1");
    EXPECT_EQ("pic=-1|status=|long=", clients.State("q1.form").confirmed);
}

TEST_F(QipTest, ControlsAreToldApartByOrder) {
    Switch(IDC_AllowOpen, false);
    FakeClient q = clients.Qip("q1", "nook hiddenpanels panels=3 edits=3");
    const TStatusWindow c = GetChilds_QIP(q["form"], q["main"]);
    EXPECT_EQ(q["pan3"], c.wPan);
    EXPECT_EQ(nullptr, c.wOK);
    EXPECT_EQ(q["combo"], c.wCombo);
    EXPECT_EQ(q["edit1"], c.wLongStatus);
    EXPECT_EQ(q["edit3"], c.wStatus);
    auto shown = [](HWND h) { return (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(shown(q["pan1"]));
    EXPECT_TRUE(shown(q["pan2"]));
    EXPECT_FALSE(shown(q["pan3"]));
    EXPECT_NE(TOutcome::Done, SetStatus_QIP(q["form"], CurrentStatusText()));
    EXPECT_EQ(GetChilds(q["form"], nullptr), c);
    EXPECT_TRUE(DesktopRecorder::calls.empty()) << "forced opening not allowed";
}

namespace {
// The desktop calls of one forced opening, the click itself left out when it would land elsewhere:
// the cursor and the foreground window are put back either way.
std::vector<DesktopCall> ForcedOpening(HWND main, POINT cursor, HWND foreground,
                                       bool clicked = true) {
    RECT r{};
    GetWindowRect(main, &r);
    const long long x = r.right - 15, y = r.bottom - 40;
    std::vector<DesktopCall> calls{{"GetCursorPos"},
                                   {"GetForegroundWindow"},
                                   {"SetForegroundWindow", 0, 0, 0, main},
                                   {"SetCursorPos", x, y}};
    if (clicked) {
        calls.push_back({"mouse_event", 0x8002, x, y});
        calls.push_back({"mouse_event", 0x8004, x, y});
    }
    calls.push_back({"SetForegroundWindow", 0, 0, 0, foreground});
    calls.push_back({"SetCursorPos", cursor.x, cursor.y});
    return calls;
}
} // namespace

TEST_F(QipTest, FormWithoutOKIsOpenedByOneClickPerSearch) {
    DesktopRecorder::cursor = {7, 9};
    DesktopRecorder::foreground = reinterpret_cast<HWND>(0x4242);
    FakeClient q = clients.Qip("q1", "okafterclick");
    clients.Records();
    EXPECT_NE(TOutcome::Done, SetStatus_QIP(q["form"], CurrentStatusText()));
    EXPECT_EQ(ForcedOpening(q["main"], {7, 9}, DesktopRecorder::foreground),
              DesktopRecorder::calls);
    ok_sequence(clients.Records(), "q1", NothingSeq, "form without OK");

    DesktopRecorder::calls.clear();
    Switch(IDC_AllowOpen, false);
    EXPECT_NE(TOutcome::Done, SetStatus_QIP(q["form"], CurrentStatusText()));
    EXPECT_TRUE(DesktopRecorder::calls.empty());
}

// The click is injected into the desktop, not sent to QIP: it lands on whatever is at the point.
// Where that is not QIP's main window (or one of its children), nothing is clicked, the form is
// left closed and unchanged, and a later update, once the point is QIP's again, clicks.
TEST_F(QipTest, TheOpeningClickLandsOnQipOrNowhere) {
    enum Cover { NoCover, OtherProgramsCover, QipsOwnCover };
    struct Row {
        const char* what;
        const char* at;     // where QIP's main window lies
        Cover cover;        // an always-on-top window over the click point, and whose
        const char* change; // what is done to the main window: "minimize", "hide"
        bool clicked;
    };
    const Row rows[] = {
        {"nothing over the corner", "at=400,300,300,300", NoCover, nullptr, true},
        {"another program's window over the corner", "at=400,300,300,300", OtherProgramsCover,
         nullptr, false},
        {"a dialog of QIP's own over the corner", "at=400,300,300,300", QipsOwnCover, nullptr,
         false},
        {"a minimized main window", "at=400,300,300,300", NoCover, "minimize", false},
        {"a hidden main window", "at=400,300,300,300", NoCover, "hide", false},
        {"the corner off every monitor", "at=-700,-500,300,300", NoCover, nullptr, false},
    };
    DesktopRecorder::cursor = {7, 9};
    DesktopRecorder::foreground = reinterpret_cast<HWND>(0x4242);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeClientProcess qip, other;
        FakeClient q = qip.Qip("q1", std::string("okafterclick ") + row.at);
        RECT r{};
        GetWindowRect(q["main"], &r);
        const RECT corner{r.right - 40, r.bottom - 60, r.right, r.bottom};
        FakeClientProcess& coverOwner = row.cover == QipsOwnCover ? qip : other;
        if (row.cover != NoCover) coverOwner.Cover("x.cover", corner);
        if (row.change) qip.Command(std::string(row.change) + " q1.main");
        DesktopRecorder::calls.clear();
        qip.Records();
        EXPECT_NE(TOutcome::Done, SetStatus_QIP(q["form"], CurrentStatusText()));
        EXPECT_EQ(ForcedOpening(q["main"], {7, 9}, DesktopRecorder::foreground, row.clicked),
                  DesktopRecorder::calls);
        ok_sequence(qip.Records(), "q1", NothingSeq, row.what);
        if (row.cover == NoCover) continue;
        // The cover has gone: the next update clicks.
        coverOwner.Destroy("x.cover");
        DesktopRecorder::calls.clear();
        EXPECT_NE(TOutcome::Done, SetStatus_QIP(q["form"], CurrentStatusText()));
        EXPECT_EQ(ForcedOpening(q["main"], {7, 9}, DesktopRecorder::foreground),
                  DesktopRecorder::calls)
            << "once the corner is free again";
    }
}

// The injected click reaches QIP's main window for real; the form it makes usable is served, once,
// by that update or a later one.
TEST_F(QipTest, ForcedOpeningForRealServesTheFormAtALaterUpdate) {
    DesktopRecorder::Uninstall();
    OnlyOn({IDC_IfAny, IDC_SetLongStatus});
    Switch(IDC_SaveRestore, false);
    FakeClient q = clients.Qip("q1", "okafterclick at=500,300,300,300");
    POINT before{};
    GetCursorPos(&before);
    SetText();
    POINT after{};
    GetCursorPos(&after);
    EXPECT_EQ(before.x, after.x);
    EXPECT_EQ(before.y, after.y);
    // The click is queued: QIP mostly handles it after the update's second look for the form, but
    // on a slow machine it may come in time for it, and the form is served at once.
    EXPECT_LE(clients.State("q1.form").confirmations, 1);

    // Wait until QIP has handled the click (a deadline only a failure reaches, on any machine).
    HWND ok = nullptr;
    for (int i = 0; i < 2400 && !ok; ++i) {
        Sleep(25);
        ok = FindWindowExA(q["form"], nullptr, "TPanel", "OK");
    }
    ASSERT_NE(nullptr, ok) << "the injected click did not reach QIP's main window";
    SetText();
    const FormShows s = clients.State("q1.form");
    EXPECT_EQ(1, s.confirmations);
    EXPECT_EQ("pic=0|status=|long=Artist - Title", s.confirmed);
}

// A track named outside the code page: a Unicode client gets it exactly, an ANSI one what the
// code page makes of it, and neither is written again while it shows that.
TEST_F(QipTest, AUnicodeTextReachesEachClientInItsOwnFormAndOnlyOnce) {
    OnlyOn({IDC_IfAny, IDC_SetStatus});
    const std::string status = U8(u8"Björk – Jóga 日本");
    ps.Status = status;
    clients.Qip("qa", "ansi"); // whatever the program's default
    FakeClientProcess unicode;
    unicode.Qip("qw", "unicode");
    const std::vector<ClientRecord> first = UpdateRecords();
    const std::vector<ClientRecord> wide = PluginMessages(unicode.Records(), "qw");
    const auto sent = [](const std::vector<ClientRecord>& records) {
        for (const ClientRecord& r : records)
            if (r.message == WM_SETTEXT) return r.textU8;
        return std::string("(nothing)");
    };
    EXPECT_EQ(status, sent(wide));
    EXPECT_EQ(Recode(Recode(status, CP_UTF8, CP_ACP), CP_ACP, CP_UTF8),
              sent(PluginMessages(first, "qa")));
    ok_sequence(UpdateRecords(), "qa", NothingSeq, "second update, the ANSI client");
    ok_sequence(unicode.Records(), "qw", NothingSeq, "second update, the Unicode client");
}
