// The R&Q status form in a fake R&Q of its own process: picture clicks, Enter and close, and
// which clients an update serves (R&Q main windows matched by process, the title filter).
#include <gtest/gtest.h>

#include <climits>

#include "clients/clients.h"
#include "clients/rnq.h"
#include "common/client_fixture.h"
#include "common/client_messages.h"
#include "settings/settings.h"
#include "windows/window_text.h"

namespace {
constexpr LPARAM Cell0 = MAKELPARAM(20, 50);
constexpr LPARAM Cell5 = MAKELPARAM(170, 50); // ps.Picture 5 in these tests

const Msg SetHiddenRnqSeq[] = {{"edit1", WM_SETTEXT, sent | text, 0, 0, "Слушаю"},
                               {"form", WM_KEYDOWN, sent | wparam | lparam, VK_RETURN, 0},
                               {"form", WM_KEYUP, sent | wparam | lparam, VK_RETURN, 0},
                               {"form", WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
                               {}};
const Msg SetHiddenCompatibleRnqSeq[] = {
    {"form", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, Cell0},
    {"form", WM_LBUTTONUP, sent | wparam | lparam, 0, Cell0},
    {"form", WM_KEYDOWN, sent | wparam | lparam, VK_RETURN, 0},
    {"form", WM_KEYUP, sent | wparam | lparam, VK_RETURN, 0},
    {"form", WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
    {"form", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, Cell5},
    {"form", WM_LBUTTONUP, sent | wparam | lparam, 0, Cell5},
    {"edit1", WM_SETTEXT, sent | text, 0, 0, "Слушаю"},
    {"form", WM_KEYDOWN, sent | wparam | lparam, VK_RETURN, 0},
    {"form", WM_KEYUP, sent | wparam | lparam, VK_RETURN, 0},
    {"form", WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
    {}};
const Msg SetVisibleCompatibleRnqSeq[] = {
    {"form", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, Cell0},
    {"form", WM_LBUTTONUP, sent | wparam | lparam, 0, Cell0},
    {"form", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, Cell5},
    {"form", WM_LBUTTONUP, sent | wparam | lparam, 0, Cell5},
    {"edit1", WM_SETTEXT, sent | text, 0, 0, "Слушаю"},
    {}};
const Msg SetNoPictureRnqSeq[] = {
    {"form", WM_LBUTTONDOWN, sent | wparam | lparam, MK_LBUTTON, Cell0},
    {"form", WM_LBUTTONUP, sent | wparam | lparam, 0, Cell0},
    {"memo1", WM_SETTEXT, sent | text, 0, 0, "Artist - Title"},
    {"form", WM_KEYDOWN, sent | wparam, VK_RETURN},
    {"form", WM_KEYUP, sent | wparam, VK_RETURN},
    {"form", WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
    {}};
const Msg SetLastControlsRnqSeq[] = {{"edit2", WM_SETTEXT, sent | text, 0, 0, "Слушаю"},
                                     {"memo2", WM_SETTEXT, sent | text, 0, 0, "Artist - Title"},
                                     {"form", WM_KEYDOWN, sent | wparam, VK_RETURN},
                                     {"form", WM_KEYUP, sent | wparam, VK_RETURN},
                                     {"form", WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
                                     {}};

class RnqTest : public ClientsTest {
  protected:
    void SetUp() override {
        ClientsTest::SetUp();
        Status(5, "Слушаю", "Artist - Title");
    }
};
} // namespace

TEST(Index2Pos, GridPointsAndClampedIndexes) {
    struct {
        int index;
        LONG x, y;
    } const cases[] = {{0, 20, 50},          {6, 200, 50},
                       {7, 20, 75},          {11, 140, 75},
                       {34, 200, 150},       {-1, 20, 50},
                       {INT_MIN, 20, 50},    {18339, 200, 65525},
                       {18340, 200, 65525},  {2000000000, 200, 65525},
                       {INT_MAX, 200, 65525}};
    for (const auto& c : cases) {
        const POINT p = Index2Pos(c.index);
        EXPECT_EQ(c.x, p.x) << c.index;
        EXPECT_EQ(c.y, p.y) << c.index;
    }
}

TEST_F(RnqTest, HiddenFormIsFilledConfirmedAndClosed) {
    OnlyOn({IDC_IfAny, IDC_SetStatus});
    clients.Rnq("r1");
    ok_sequence(UpdateRecords(), "r1", SetHiddenRnqSeq, "caption only");
    const FormShows s = clients.State("r1.form");
    EXPECT_EQ(1, s.confirmations);
    EXPECT_EQ("pic=-1|status=Слушаю|long=", s.confirmed);
    ok_sequence(UpdateRecords(), "r1", NothingSeq, "second update");
}

TEST_F(RnqTest, CompatibleModeClicksPictureZeroThenTheConfiguredOne) {
    OnlyOn({IDC_IfAny, IDC_SetStatus, IDC_Compatible});
    clients.Rnq("r1");
    ok_sequence(UpdateRecords(), "r1", SetHiddenCompatibleRnqSeq, "hidden, compatible");
    const FormShows s = clients.State("r1.form");
    EXPECT_EQ(2, s.confirmations);
    EXPECT_EQ("pic=5|status=Слушаю|long=", s.confirmed);

    clients.Rnq("r2", "visible");
    ok_sequence(UpdateRecords(), "r2", SetVisibleCompatibleRnqSeq, "visible, compatible");
    EXPECT_EQ(0, clients.State("r2.form").confirmations);
    EXPECT_TRUE(clients.State("r2.form").visible);
}

TEST_F(RnqTest, NoPictureClicksTheFirstCell) {
    OnlyOn({IDC_IfAny, IDC_SetPicture, IDC_SetLongStatus});
    clients.Rnq("r1");
    ps.Picture = -1;
    ok_sequence(UpdateRecords(), "r1", SetNoPictureRnqSeq, "picture -1");
    EXPECT_EQ("pic=0|status=|long=Artist - Title", clients.State("r1.form").confirmed);
}

TEST_F(RnqTest, PictureIsNeitherConditionNorChange) {
    clients.Rnq("r1");
    OnlyOn({IDC_IfPicture, IDC_SetPicture, IDC_SetStatus, IDC_SetLongStatus});
    ok_sequence(UpdateRecords(), "r1", NothingSeq, "picture condition only");

    clients.SetText("r1.edit1", "слушаю");
    clients.SetText("r1.memo1", "ARTIST - TITLE");
    OnlyOn({IDC_IfAny, IDC_SetPicture, IDC_SetStatus, IDC_SetLongStatus, IDC_Compatible});
    ps.Picture = 12;
    ok_sequence(UpdateRecords(), "r1", NothingSeq, "texts already shown");
}

TEST_F(RnqTest, TheLastEditAndMemoAreUsed) {
    OnlyOn({IDC_IfAny, IDC_SetStatus, IDC_SetLongStatus});
    clients.Rnq("r1", "edits=2 memos=2");
    ok_sequence(UpdateRecords(), "r1", SetLastControlsRnqSeq, "two edits, two memos");
}

TEST_F(RnqTest, OnlyClientKindsAreDispatched) {
    FakeClient r = clients.Rnq("r1");
    EXPECT_EQ(nilTStatusWindows, GetChilds(r["main"], nullptr));
    EXPECT_NE(TOutcome::Done, SetStatus(r["main"], CurrentStatusText()));
    const TStatusWindow c = GetChilds(r["form"], nullptr);
    EXPECT_EQ(r["edit1"], c.wStatus);
    EXPECT_EQ(r["memo1"], c.wLongStatus);
    EXPECT_EQ(TOutcome::Done, SetStatus(r["form"], CurrentStatusText()));
    clients.Destroy("r1.form");
    EXPECT_NE(TOutcome::Done, SetStatus_RnQ(r["form"], CurrentStatusText()));
}

// The R&Q form is owned by a hidden application window; its main window is found as the
// "TRnQmain" window of its process, and the title filter looks at that one.
TEST_F(RnqTest, TitleFilterLooksAtTheMainWindowOfTheSameProcess) {
    OnlyOn({IDC_IfAny, IDC_SetStatus});
    Switch(IDC_AllQIP, false);
    FakeClient r = clients.Rnq("r1");
    EXPECT_NE(r["main"], GetParent(r["form"]));
    FakeClientProcess other, qipOnly;
    other.Rnq("o1");
    qipOnly.Qip("q12345"); // its owner's title is "QIP q12345"; no R&Q in its process

    ps.DlgControlsV[IDC_CustomQIP] = "r1";
    SetText();
    EXPECT_EQ(1, clients.State("r1.form").confirmations);
    EXPECT_EQ(0, other.State("o1.form").confirmations);
    EXPECT_EQ(0, qipOnly.State("q12345.form").confirmations);

    ps.DlgControlsV[IDC_CustomQIP] = "12345";
    SetText();
    EXPECT_EQ(1, qipOnly.State("q12345.form").confirmations);
    EXPECT_EQ(0, other.State("o1.form").confirmations);

    ps.DlgControlsV[IDC_CustomQIP] = "q1234";
    ps.Status = "other";
    SetText();
    EXPECT_EQ(2, qipOnly.State("q12345.form").confirmations) << "a piece of the title matches";
    ps.DlgControlsV[IDC_CustomQIP] = "R&Q O1"; // case-sensitive
    ps.Status = "third";
    SetText();
    EXPECT_EQ(0, other.State("o1.form").confirmations);
    ps.DlgControlsV[IDC_CustomQIP] = "";
    SetText();
    EXPECT_EQ(0, other.State("o1.form").confirmations);
    EXPECT_EQ(1, clients.State("r1.form").confirmations);
}

namespace {
struct OrderCtx {
    HWND a, b;
    std::vector<HWND> seen;
};

BOOL CALLBACK CollectPair(HWND h, LPARAM l) {
    auto* c = reinterpret_cast<OrderCtx*>(l);
    if (h == c->a || h == c->b) c->seen.push_back(h);
    return TRUE;
}

std::vector<HWND> EnumerationOrder(HWND a, HWND b) {
    OrderCtx ctx{a, b, {}};
    EnumWindows(CollectPair, reinterpret_cast<LPARAM>(&ctx));
    return ctx.seen;
}
} // namespace

// Two R&Q main windows in one process: the later one in enumeration order decides.
TEST_F(RnqTest, WithTwoMainWindowsTheLaterOneDecides) {
    OnlyOn({IDC_IfAny, IDC_SetStatus});
    Switch(IDC_AllQIP, false);
    FakeClient r = clients.Rnq("r1", "mains=2"); // titles "R&Q r1" and "R&Q r1 2"
    const std::vector<HWND> order = EnumerationOrder(r["main"], r["main2"]);
    ASSERT_EQ(2u, order.size());
    const std::string earlier = sGetWindowTitle(order[0]), later = sGetWindowTitle(order[1]);

    ps.DlgControlsV[IDC_CustomQIP] = earlier == "R&Q r1 2" ? "r1 2" : "~none~";
    SetText();
    EXPECT_EQ(0, clients.State("r1.form").confirmations) << "the earlier main window";
    ps.DlgControlsV[IDC_CustomQIP] = later == "R&Q r1 2" ? "r1 2" : "R&Q r1";
    SetText();
    EXPECT_EQ(1, clients.State("r1.form").confirmations) << "the later main window";
}
