#include "support/send.h"

#include "support/window_memo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {
class TLock {
  public:
    TLock() { InitializeCriticalSection(&cs_); }
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }

  private:
    CRITICAL_SECTION cs_;
};

class TLocked {
  public:
    explicit TLocked(TLock& l) : l_(l) { l_.Enter(); }
    ~TLocked() { l_.Leave(); }
    TLocked(const TLocked&) = delete;
    TLocked& operator=(const TLocked&) = delete;

  private:
    TLock& l_;
};

// Asked once per update for each window (the sender asks only while the update waits for it).
DWORD ThreadOf(HWND h) {
    return MemoThreadId(h);
}

// Milliseconds left of a span that began at start; unsigned differences survive the wrap of
// GetTickCount after 49 days.
DWORD Left(DWORD start, DWORD span, DWORD now) {
    const DWORD spent = now - start;
    return spent >= span ? 0 : span - spent;
}

// ---- the library held by each thread of ours, so that it is not unloaded under one

HMODULE ThisModule() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThreadOf), &self);
    return self;
}

// One more reference to the library; the thread it is taken for drops it as it ends.
HMODULE HoldModule() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThreadOf),
                       &self);
    return self;
}

// ---- client threads that count as hung, each with the window it failed to answer

struct THung {
    DWORD thread;
    HWND window;
};
constexpr int MaxHung = 64;
// Nothing here is ever destroyed: a thread stuck on a hung client may still use it while the
// process exits.
struct THungTable {
    TLock lock;
    THung items[MaxHung] = {};
    int count = 0;
};
THungTable hungTable;
THungTable& Hung() {
    return hungTable;
}

// Where t stands in the table, or -1; the caller holds its lock.
int IndexOf(const THungTable& table, DWORD t) {
    for (int i = 0; i < table.count; ++i)
        if (table.items[i].thread == t) return i;
    return -1;
}

bool IsHung(DWORD t) {
    THungTable& table = Hung();
    const TLocked locked(table.lock);
    return IndexOf(table, t) >= 0;
}

HWND HungWindow(DWORD t) {
    THungTable& table = Hung();
    const TLocked locked(table.lock);
    const int i = IndexOf(table, t);
    return i >= 0 ? table.items[i].window : nullptr;
}

// True when t was not marked before.
bool MarkHung(DWORD t, HWND h) {
    THungTable& table = Hung();
    const TLocked locked(table.lock);
    if (IndexOf(table, t) >= 0 || table.count == MaxHung) return false;
    table.items[table.count++] = THung{t, h};
    return true;
}

void ClearHung(DWORD t) {
    THungTable& table = Hung();
    const TLocked locked(table.lock);
    // MarkHung lists each thread once.
    const int i = IndexOf(table, t);
    if (i >= 0) table.items[i] = table.items[--table.count];
}

// Waits until the client's thread answers again (or its window is gone), then lets it be
// served again. Runs on a thread of ours that may wait as long as the client hangs.
void ProbeUntilAnswered(HWND h, DWORD t, bool answered) {
    while (!answered && IsWindow(h)) {
        DWORD_PTR r = 0;
        answered =
            SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, RestoreSendTimeoutMs, &r) != 0;
        if (!answered) Sleep(100); // a refusal that comes at once must not spin
    }
    ClearHung(t);
}

DWORD WINAPI ProbeMain(void* param) {
    const auto t = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(param));
    try {
        ProbeUntilAnswered(HungWindow(t), t, false);
    } catch (...) {
    }
    FreeLibraryAndExitThread(ThisModule(), 0);
    return 0;
}

// A client thread newly counted as hung gets one background probe; when none can be started the
// mark is dropped, so the client is tried (and waited for) again rather than lost for good.
void StartProbe(DWORD t) {
    HMODULE held = HoldModule();
    HANDLE probe =
        CreateThread(nullptr, 0, &ProbeMain, reinterpret_cast<void*>(ULONG_PTR{t}), 0, nullptr);
    if (probe) {
        CloseHandle(probe);
        return;
    }
    if (held) FreeLibrary(held);
    ClearHung(t);
}

void MarkHungAndProbe(DWORD t, HWND h) {
    if (MarkHung(t, h)) StartProbe(t);
}

// ---- the pass

struct TPass {
    int depth = 0;
    DWORD start = 0;
    DWORD perMessage = SendTimeoutMs;
    DWORD total = UpdateBudgetMs;
    std::vector<DWORD> answering; // threads that answered the probe in this pass
};
TPass pass;

DWORD MessageLimit() {
    return pass.depth > 0 ? pass.perMessage : SendTimeoutMs;
}

DWORD PassLeft(DWORD now) {
    return pass.depth > 0 ? Left(pass.start, pass.total, now) : INFINITE;
}

bool Answering(DWORD t) {
    return std::find(pass.answering.begin(), pass.answering.end(), t) != pass.answering.end();
}

// ---- the sender thread

enum TSenderState : LONG { SenderIdle, SenderWorking, SenderSending, SenderAbandoned };

struct TSender {
    HANDLE thread = nullptr;
    DWORD id = 0;
    HANDLE wake = nullptr; // work is there, or the thread is to end
    HANDLE done = nullptr; // the work has ended
    HMODULE module = nullptr;
    volatile LONG state = SenderIdle;
    volatile DWORD phaseStart = 0; // when the message (or the probes) under way began
    volatile DWORD phaseLimit = 0; // and how long it may take
    volatile DWORD sendThread = 0; // the client thread of the message under way; 0 for a probe
    HWND sendWindow = nullptr;
    bool cut = false;  // the work skipped a message for want of time
    bool stop = false; // end the thread
    std::function<void()> work;

    TSender() = default;
    ~TSender() {
        for (HANDLE h : {thread, wake, done})
            if (h) CloseHandle(h);
    }
    TSender(const TSender&) = delete;
    TSender& operator=(const TSender&) = delete;
};

// Every sender ever started whose thread may still run: the live one last. Built in storage of
// its own and never destroyed, since a sender left stuck on a hung client may outlive the rest.
using TSenderList = std::vector<std::unique_ptr<TSender>>;
alignas(TSenderList) unsigned char senderListStorage[sizeof(TSenderList)];
TSenderList& senderList = *::new (senderListStorage) TSenderList();
TSenderList& Senders() {
    return senderList;
}
TSender* live = nullptr;
// Which sender record the running thread is (none on Winamp's thread). A thread-local slot of
// the system's own: the compiler's would bring a runtime that needs functions newer than XP.
const DWORD selfSlot = TlsAlloc();
TSender* Self() {
    return selfSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<TSender*>(TlsGetValue(selfSlot));
}
bool handingOff = false;
bool stopped = false;

// The state as the sender last published it (a read with a full barrier: the exchange never
// happens, no state being that value).
LONG StateOf(TSender* s) {
    return InterlockedCompareExchange(&s->state, -1, -1);
}

// Ends the calling sender thread and lets go of its hold on the library, without returning into
// any caller: a thread given up on must not run on into code that uses the caller's data.
[[noreturn]] void EndSenderThread(TSender* s) {
    FreeLibraryAndExitThread(s->module, 0);
}

// Enters a wait of this sender that Winamp's thread may give up on after limit (plus grace).
void BeginPhase(TSender* s, DWORD thread, HWND h, DWORD limit) {
    s->sendThread = thread;
    s->sendWindow = h;
    s->phaseStart = GetTickCount();
    s->phaseLimit = limit;
    if (InterlockedCompareExchange(&s->state, SenderSending, SenderWorking) != SenderWorking)
        EndSenderThread(s);
}

// Back from a wait. A thread that Winamp's thread gave up on meanwhile touches nothing of the
// caller's again: it stays the hung client's probe until the client answers, then ends.
void EndPhase(TSender* s, HWND h, DWORD thread, bool answered) {
    if (InterlockedCompareExchange(&s->state, SenderWorking, SenderSending) == SenderSending)
        return;
    if (thread) ProbeUntilAnswered(h, thread, answered);
    EndSenderThread(s);
}

// One message from the sender thread itself.
LRESULT SendDirect(TSender* s, HWND h, DWORD t, UINT msg, WPARAM wParam, LPARAM lParam,
                   bool& answered) {
    answered = false;
    const DWORD limit = std::min(MessageLimit(), PassLeft(GetTickCount()));
    if (limit == 0) { // the pass has no time left: this client waits for the next one
        s->cut = true;
        return 0;
    }
    BeginPhase(s, t, h, limit);
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(h, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, limit,
                                   &result) != 0;
    EndPhase(s, h, t, answered);
    // A window that still exists but gave no answer is hung (or too slow to wait for).
    if (!answered && !s->cut && IsWindow(h)) MarkHungAndProbe(t, h);
    return answered ? static_cast<LRESULT>(result) : 0;
}

LRESULT SendOnSender(TSender* s, HWND h, DWORD t, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsHung(t)) return 0;
    bool answered = false;
    if (pass.depth > 0 && !Answering(t)) {
        // Once per thread and pass: does it answer at all?
        SendDirect(s, h, t, WM_NULL, 0, 0, answered);
        if (!answered) return 0;
        pass.answering.push_back(t);
    }
    return SendDirect(s, h, t, msg, wParam, lParam, answered);
}

void PumpAll() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

DWORD WINAPI SenderMain(void* param) {
    auto* s = static_cast<TSender*>(param);
    if (selfSlot != TLS_OUT_OF_INDEXES) TlsSetValue(selfSlot, s);
    for (;;) {
        // Idle: late answers to probes are taken in meanwhile.
        const DWORD r = MsgWaitForMultipleObjects(1, &s->wake, FALSE, INFINITE,
                                                  QS_SENDMESSAGE | QS_POSTMESSAGE);
        if (r == WAIT_OBJECT_0 + 1) {
            PumpAll();
            continue;
        }
        if (r != WAIT_OBJECT_0 || s->stop) break;
        try {
            s->work();
        } catch (...) {
        }
        if (InterlockedCompareExchange(&s->state, SenderIdle, SenderWorking) != SenderWorking)
            break; // given up on while it ran: end without a word
        SetEvent(s->done);
    }
    EndSenderThread(s);
}

TSender* LiveSender() {
    if (live) return live;
    auto& senders = Senders();
    // Records of threads that have ended are let go.
    senders.erase(std::remove_if(senders.begin(), senders.end(),
                                 [](const std::unique_ptr<TSender>& s) {
                                     return WaitForSingleObject(s->thread, 0) == WAIT_OBJECT_0;
                                 }),
                  senders.end());
    auto s = std::make_unique<TSender>();
    s->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!s->wake || !s->done) return nullptr;
    s->module = HoldModule();
    s->thread = CreateThread(nullptr, 0, &SenderMain, s.get(), 0, &s->id);
    if (!s->thread) {
        if (s->module) FreeLibrary(s->module);
        return nullptr;
    }
    senders.push_back(std::move(s));
    live = senders.back().get();
    return live;
}

void Retire(TSender* s) {
    if (live == s) live = nullptr;
}

// Ends an idle sender thread and waits for it (it only has to notice).
void EndSender(TSender* s) {
    Retire(s);
    s->stop = true;
    SetEvent(s->wake);
    WaitForSingleObject(s->thread, 2000);
}

// Winamp's thread waits for the work to end, answering sent messages meanwhile, and gives up on
// a message that outlives its limit. The code between two messages is never given up on: it waits
// on no other program, and a thread left running it would go on using the caller's data.
bool WaitFor(TSender* s) {
    for (;;) {
        const LONG state = StateOf(s);
        const bool sending = state == SenderSending;
        const DWORD grace = sending && s->sendThread == 0 ? 200 : 0; // a probe ends by itself
        const DWORD left =
            sending ? Left(s->phaseStart, s->phaseLimit + grace, GetTickCount()) : 50;
        if (left == 0) {
            // The thread stuck in the message becomes that client's probe: at most one of ours
            // waits on each hung client thread. Marked first, so that its answer, however soon,
            // comes after the mark.
            const DWORD t = s->sendThread;
            const bool marked = t && MarkHung(t, s->sendWindow);
            if (InterlockedCompareExchange(&s->state, SenderAbandoned, SenderSending) !=
                SenderSending) {
                if (marked) ClearHung(t);
                continue;
            }
            Retire(s);
            return false;
        }
        HANDLE done = s->done;
        const DWORD r =
            MsgWaitForMultipleObjects(1, &done, FALSE, std::min<DWORD>(left, 50), QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return !s->cut;
        if (r == WAIT_OBJECT_0 + 1) {
            MSG m;
            PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // answers them
        } else if (r == WAIT_FAILED) {
            Sleep(1);
        }
    }
}

// ---- probing many client threads at once

constexpr int MaxProbes = 32;
struct TProbeRound {
    volatile LONG generation = 0;
    volatile LONG answered[MaxProbes] = {};
};
TProbeRound probeRound; // late answers may arrive at any time: never destroyed
TProbeRound& Round() {
    return probeRound;
}

void CALLBACK ProbeAnswered(HWND, UINT, ULONG_PTR data, LRESULT) {
    TProbeRound& round = Round();
    const auto generation = static_cast<LONG>(data >> 8);
    const auto index = static_cast<int>(data & 0xFF);
    // A late answer to an earlier round changes nothing.
    if (generation == round.generation && index < MaxProbes)
        InterlockedExchange(&round.answered[index], 1);
}

struct TProbeTarget {
    HWND window;
    DWORD thread;
};

void ProbeAll(TSender* s, const std::vector<TProbeTarget>& targets) {
    TProbeRound& round = Round();
    const LONG generation = (round.generation + 1) & 0xFFFFFF;
    round.generation = generation;
    const int n = static_cast<int>(std::min<size_t>(targets.size(), MaxProbes));
    for (int i = 0; i < n; ++i) {
        round.answered[i] = 0;
        const ULONG_PTR data =
            (static_cast<ULONG_PTR>(generation) << 8) | static_cast<ULONG_PTR>(i);
        // A window that is gone already is not waited for.
        if (!SendMessageCallbackA(targets[static_cast<size_t>(i)].window, WM_NULL, 0, 0,
                                  &ProbeAnswered, data))
            round.answered[i] = 2;
    }
    const DWORD limit = std::min(MessageLimit(), PassLeft(GetTickCount()));
    BeginPhase(s, 0, nullptr, limit);
    for (;;) {
        PumpAll();
        bool all = true;
        for (int i = 0; i < n; ++i)
            all = all && round.answered[i] != 0;
        const DWORD left = Left(s->phaseStart, limit, GetTickCount());
        if (all || left == 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(left, 50),
                                  QS_SENDMESSAGE | QS_POSTMESSAGE);
    }
    EndPhase(s, nullptr, 0, true);
    for (int i = 0; i < n; ++i) {
        const TProbeTarget& t = targets[static_cast<size_t>(i)];
        if (round.answered[i] == 1)
            pass.answering.push_back(t.thread);
        else if (round.answered[i] == 0 && IsWindow(t.window))
            MarkHungAndProbe(t.thread, t.window);
    }
}

struct TOneMessage {
    std::vector<char> buffer; // the sender's own copy of a text sent or received
    LRESULT result = 0;
};
} // namespace

TSendPass::TSendPass(DWORD perMessageMs, DWORD totalMs) {
    if (pass.depth++ == 0) {
        pass.start = GetTickCount();
        pass.perMessage = perMessageMs;
        pass.total = totalMs;
        pass.answering.clear();
    }
}

TSendPass::~TSendPass() {
    if (--pass.depth == 0) pass.answering.clear();
}

bool IsUnanswering(HWND h) {
    if (!h) return false;
    const DWORD t = ThreadOf(h);
    return t != 0 && IsHung(t);
}

bool RunOnSender(const std::function<void()>& work) {
    if (TSender* self = Self()) { // already on the sender: part of the work under way
        work();
        return !self->cut;
    }
    if (stopped || handingOff) return false;
    if (PassLeft(GetTickCount()) == 0) return false;
    TSender* s = LiveSender();
    if (!s) return false;
    handingOff = true;
    s->work = work;
    s->cut = false;
    InterlockedExchange(&s->state, SenderWorking);
    SetEvent(s->wake);
    bool finished = false;
    try {
        finished = WaitFor(s);
    } catch (...) {
    }
    // Work given up on may still be running its last message: its copy stays with it.
    if (finished) s->work = nullptr;
    handingOff = false;
    if (stopped && live) EndSender(live); // quit came while this work ran
    return finished;
}

void ProbeClients(const HWND* windows, int count) {
    std::vector<TProbeTarget> targets;
    for (int i = 0; i < count; ++i) {
        const HWND h = windows[i];
        const DWORD t = h ? ThreadOf(h) : 0;
        if (t == 0 || t == GetCurrentThreadId() || IsHung(t) || Answering(t)) continue;
        if (std::none_of(targets.begin(), targets.end(),
                         [t](const TProbeTarget& x) { return x.thread == t; }))
            targets.push_back({h, t});
    }
    if (targets.empty()) return;
    RunOnSender([&targets] {
        if (TSender* self = Self()) ProbeAll(self, targets);
    });
}

LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    const DWORD t = h ? ThreadOf(h) : 0;
    if (TSender* self = Self()) return SendOnSender(self, h, t, msg, wParam, lParam);
    if (t == 0 || t == GetCurrentThreadId()) { // no window, or one of this thread: no waiting
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(h, msg, wParam, lParam, SMTO_NORMAL, SendTimeoutMs, &result)
                   ? static_cast<LRESULT>(result)
                   : 0;
    }
    if (IsHung(t)) return 0;
    // One message handed off. The sender works on copies of the texts: a message given up on may
    // be answered after this call has returned and its caller's buffer is gone.
    auto one = std::make_shared<TOneMessage>();
    LPARAM param = lParam;
    if (msg == WM_GETTEXT && lParam) {
        one->buffer.assign(wParam, '\0');
    } else if (msg == WM_SETTEXT && lParam) {
        const char* text = reinterpret_cast<const char*>(lParam);
        one->buffer.assign(text, text + strlen(text) + 1);
    }
    const bool finished = RunOnSender([one, h, msg, wParam, param] {
        const LPARAM p = one->buffer.empty() ? param : reinterpret_cast<LPARAM>(one->buffer.data());
        one->result = SendToWindow(h, msg, wParam, p);
    });
    if (!finished) return 0;
    if (msg == WM_GETTEXT && lParam && wParam)
        std::memcpy(reinterpret_cast<char*>(lParam), one->buffer.data(), wParam);
    return one->result;
}

void StopSending() {
    stopped = true;
    if (live && !handingOff) EndSender(live);
}

void AllowSending() {
    stopped = false;
}
