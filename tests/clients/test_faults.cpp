// Clients that misbehave: one that stops answering must not hold Winamp, and a window that
// reports an absurd text length must not make the plugin allocate without bound.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "clients/clients.h"
#include "clients/journal.h"
#include "common/client_fixture.h"
#include "common/texts.h"
#include "common/fake_winamp.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"
#include "transport/probe.h"
#include "transport/send.h"
#include "transport/window_memo.h"
#include "windows/window_text.h"

namespace {
class FaultsTest : public ClientsTest {
  protected:
    void SetUp() override {
        ClientsTest::SetUp();
        OnlyOn({IDC_IfAny, IDC_SetLongStatus});
        Status(5, "Слушаю", "Artist - Title");
    }
};

// How long a client that stalls or hangs does so: longer than the few updates of a test.
int FarLongerThanAnUpdate() {
    return static_cast<int>(10 * TimeLimits.updateMs);
}

bool Answers(HWND h, UINT waitMs) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, waitMs, &r) != 0;
}
} // namespace

TEST_F(FaultsTest, HungClientDoesNotHoldTheUpdateNorWinamp) {
    FakeWinamp winamp;
    FakeClientProcess hungProcess;
    ASSERT_TRUE(hungProcess.running());
    FakeClient hung = hungProcess.Qip("h1");
    FakeClient fine = clients.Qip("q1");
    FakeClient rnq = clients.Rnq("r1");
    hungProcess.Hang(FarLongerThanAnUpdate());

    // Someone asks Winamp's window something while the update runs.
    std::atomic<bool> started{false}, finished{false}, answered{false};
    std::thread asker([&] {
        started = true;
        DWORD_PTR r = 0;
        answered = SendMessageTimeoutA(winamp.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r) != 0;
        finished = true;
    });
    while (!started)
        Sleep(1);
    SetText();
    // The update is over while the hung client is still hung: it did not wait for it.
    EXPECT_FALSE(Answers(hung["form"], 200));
    for (int i = 0; i < 1000 && !finished; ++i) {
        PumpMessages(); // Winamp's message loop
        Sleep(5);
    }
    asker.join();
    EXPECT_TRUE(answered) << "Winamp's window did not answer";

    // The clients that answer got their status; the hung one holds no slot.
    EXPECT_EQ(1, clients.State("q1.form").confirmations);
    EXPECT_EQ(1, clients.State("r1.form").confirmations);
    for (const TQIPState& s : ps.SaveData)
        EXPECT_NE(hung["form"], s.wnd);
    hungProcess.Kill();
}

TEST_F(FaultsTest, AHungClientIsSkippedUntilItAnswersAgain) {
    FakeClientProcess hungProcess;
    FakeClient hung = hungProcess.Qip("h1");
    hungProcess.Hang(static_cast<int>(2 * TimeLimits.sendMs)); // longer than one message may take
    {
        const TClientWork work(TWorkKind::Update);
        EXPECT_TRUE(IsWindowL(hung["edit1"]));
        EXPECT_EQ(0, SendToWindow(hung["edit1"], WM_GETTEXTLENGTH, 0, 0));
        EXPECT_FALSE(IsWindowL(hung["form"])) << "the whole client counts as gone";
        EXPECT_EQ("", sGetWindowCaption(hung["edit2"]));
    }
    EXPECT_FALSE(IsWindowL(hung["form"])) << "a later pass does not wait for it again";
    // Once it answers again, a probe in the background lets it be served again.
    for (int i = 0; i < 600 && !IsWindowL(hung["form"]); ++i)
        Sleep(100);
    EXPECT_TRUE(IsWindowL(hung["form"]));
}

// A message refused at once (here: the control went after the update had seen it) ends that
// client's part of the work, but is no hang: no probe, no thread, the client is not skipped.
TEST_F(FaultsTest, ARefusalEndsTheClientsPartButIsNoHang) {
    FakeClient q = clients.Qip("q1");
    clients.SetText("q1.edit2", "Busy");
    const TClientWork work(TWorkKind::Update);
    const TWindowMemo memo;
    const TClientCall call;
    ASSERT_TRUE(IsWindowL(q["edit1"])); // seen alive in this update
    clients.Destroy("q1.edit1");
    EXPECT_EQ(0, SendToWindow(q["edit1"], WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(TOutcome::Refused, call.Outcome());
    EXPECT_EQ(0, SendToWindow(q["edit2"], WM_GETTEXTLENGTH, 0, 0)) << "nothing more is sent";
    EXPECT_FALSE(IsUnanswering(q["form"]));
}

namespace {
// The waits that ran out in one update: what it waited for, whatever the machine's speed.
TWaitsRunOut UpdateWaits() {
    const TWaitsRunOut before = WaitsRunOut();
    SetText();
    const TWaitsRunOut after = WaitsRunOut();
    return {after.count - before.count, after.limitMs - before.limitMs};
}
} // namespace

// Under Wine a time-out does not end a message whose handler is running; the bound must hold
// all the same, and each client must cost it once, not at every update.
TEST_F(FaultsTest, ClientsThatStallOrLieAreLeftWithinTheBoundAndOnlyOnce) {
    FakeClientProcess stalling, lying, closed;
    FakeClient stalled = stalling.Qip("s1");
    lying.Qip("l1");
    // Its form is closed, and it stalls as its panels are read: an unread panel is no missing
    // "OK", so it is never clicked at, and what it did not say is never stored.
    FakeClient shut = closed.Qip("c1", "okafterclick");
    FakeClient fine = clients.Rnq("r1");
    // The updates below must not wait for the stalls to end.
    stalling.Block("s1.edit2", WM_GETTEXTLENGTH, FarLongerThanAnUpdate(), 1); // after the probe
    lying.ClaimTextLength("l1.edit2", 2147483647);
    closed.Block("c1.pan1", WM_GETTEXTLENGTH, FarLongerThanAnUpdate(), 1);
    // A slow machine may spend an update's budget before it reaches every client; each stalling
    // one then costs one later update, and the client that answers is served at the latest once
    // both are known to stall.
    unsigned waits = 0;
    int updates = 0;
    while (clients.State("r1.form").confirmations == 0 && updates < 3) {
        const TWaitsRunOut w = UpdateWaits();
        ++updates;
        EXPECT_LE(w.limitMs, TimeLimits.updateMs)
            << "update " << updates << " waited beyond its budget";
        waits += w.count;
    }
    EXPECT_EQ(1, clients.State("r1.form").confirmations);
    EXPECT_EQ(2u, waits) << "each stalling client is waited for once; the lying one never";
    EXPECT_EQ(0u, UpdateWaits().count) << "a later update waits for neither";
    EXPECT_FALSE(Answers(stalled["form"], 200)) << "an update waited for the stall to end";
    EXPECT_FALSE(Answers(shut["form"], 200)) << "an update waited for the stall to end";
    EXPECT_TRUE(DesktopRecorder::calls.empty()) << "a client that does not answer was clicked at";
    for (const TQIPState& s : ps.SaveData)
        EXPECT_NE(shut["form"], s.wnd);
    for (FakeClientProcess* p : {&stalling, &lying, &closed})
        p->Kill();
}

namespace {
std::vector<DWORD> ThreadsOfThisProcess() {
    std::vector<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 e{};
    e.dwSize = sizeof e;
    for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
        if (e.th32OwnerProcessID == GetCurrentProcessId()) ids.push_back(e.th32ThreadID);
    CloseHandle(snap);
    return ids;
}
} // namespace

// The threads the plugin starts (the prober, the journal's writer) ended by another program: the
// next update waits for neither, starts others, serves the client and has its journal written.
TEST_F(FaultsTest, ThreadsEndedFromOutsideAreReplaced) {
    FakeClient q = clients.Qip("q1");
    // As at quit: the threads of earlier tests end, and the next update starts its own.
    StopSending();
    EndJournalWrites();
    AllowSending();
    StartJournalWrites();
    const std::vector<DWORD> before = ThreadsOfThisProcess();
    SetText();
    std::vector<DWORD> started;
    for (DWORD t : ThreadsOfThisProcess())
        if (std::find(before.begin(), before.end(), t) == before.end()) started.push_back(t);
    ASSERT_EQ(2u, started.size()) << "the prober and the writer";
    for (DWORD t : started) {
        HANDLE ours = OpenThread(THREAD_TERMINATE | SYNCHRONIZE, FALSE, t);
        ASSERT_TRUE(ours);
        TerminateThread(ours, 0);
        WaitForSingleObject(ours, 5000);
        CloseHandle(ours);
    }
    ps.LongStatus = U8(u8"Другое");
    EXPECT_EQ(0u, UpdateWaits().count) << "an ended thread was waited for";
    EXPECT_EQ(2, clients.State("q1.form").confirmations);
    const std::vector<TQIPState> journal = ReadJournal();
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ(U8(u8"Другое"), journal[0].nextLongStatus) << "announced before it was sent";
}

TEST_F(FaultsTest, ThreeHungClientsCostOneBoundTogetherThenNothing) {
    FakeClientProcess a, b, c;
    a.Qip("a1");
    b.Rnq("b1");
    c.Qip("c1");
    SetText(); // all three stored and changed
    for (FakeClientProcess* p : {&a, &b, &c})
        p->Hang(FarLongerThanAnUpdate());
    ps.LongStatus = U8(u8"Другое");
    const TWaitsRunOut first = UpdateWaits();
    EXPECT_EQ(1u, first.count) << "all three are asked at once, within one limit";
    EXPECT_LE(first.limitMs, TimeLimits.updateMs);
    EXPECT_EQ(0u, UpdateWaits().count) << "second update";
    Switch(IDC_Enable, false);
    const TWaitsRunOut before = WaitsRunOut();
    config_apply();
    EXPECT_EQ(before.count, WaitsRunOut().count) << "switching off waits for no hung client";
    int kept = 0;
    for (const TQIPState& s : ps.SaveData)
        kept += s.wnd != nullptr;
    EXPECT_EQ(3, kept) << "their statuses wait for the next restore";
    for (FakeClientProcess* p : {&a, &b, &c})
        p->Kill();
}

namespace {
LRESULT reportedLength = 0;
LRESULT CALLBACK BraggingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_GETTEXTLENGTH) return reportedLength;
    if (m == WM_GETTEXT) {
        // Fills whatever room it is given, as a careless client might.
        char* out = reinterpret_cast<char*>(l);
        if (!out || w == 0) return 0;
        memset(out, 'x', w - 1);
        out[w - 1] = 0;
        return static_cast<LRESULT>(w - 1);
    }
    return DefWindowProcA(h, m, w, l);
}
} // namespace

TEST(WindowTexts, AbsurdReportedLengthsAreCapped) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BraggingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LumtraBragging";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                             nullptr);
    for (LRESULT length :
         {LRESULT{-7}, LRESULT{0x7FFFFFFF}, LRESULT{300} * 1024 * 1024, static_cast<LRESULT>(-1)}) {
        reportedLength = length;
        const std::string caption = sGetWindowCaption(h);
        EXPECT_LE(caption.size(), static_cast<size_t>(MaxWindowTextLength) + 1) << length;
        std::string title, cls, text;
        EXPECT_TRUE(sGetWindowClassAndTitle(h, title, cls, text));
        EXPECT_EQ("LumtraBragging", cls);
        EXPECT_LE(text.size(), static_cast<size_t>(MaxWindowTextLength) + 1) << length;
    }
    DestroyWindow(h);
}
