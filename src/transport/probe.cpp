#include "transport/probe.h"
#include "support/ticks.h"
#include "support/own_thread.h"

#include <algorithm>
#include <memory>

namespace {
// Answers a probe target can have.
enum : LONG { NotYet = 0, Answered = 1, Refused = 2, AlreadyHung = 3 };

// One probe round, handed to the prober as a value: its own copy of the targets, and the answers
// it fills in. Winamp's thread reads the answers only once finished is set.
struct TProbeJob {
    std::vector<TProbeTarget> targets;
    DWORD limit = 0;
    DWORD start = 0;
    std::vector<LONG> answers;
    volatile LONG finished = 0; // set by the prober, then its roundDone is signalled
};
using TJobPtr = std::shared_ptr<TProbeJob>;

struct THung {
    DWORD thread;
    HWND window;
    bool asked; // a WM_NULL of the prober's is on its way to it
};

// What the prober and Winamp's thread share, under one lock. The prober holds a reference to
// the library while it runs, so none of this is destroyed under it.
struct TShared {
    TLock lock;
    std::vector<THung> hung;
    std::vector<TJobPtr> pending; // handed over, not yet taken by the prober
};
TShared shared;

// One prober thread: its handle, its wake-up event and its stop request. Owned together by
// Winamp's thread (while it is the live one) and by the thread itself.
struct TProber {
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;
    // Signalled after each round it finishes, the rounds Winamp's thread gave up on included:
    // one event for all of them, so a round costs no event of its own to make and close.
    HANDLE roundDone = nullptr; // auto-reset
    HMODULE module = nullptr;
    volatile LONG stop = 0;
    std::vector<TJobPtr> active; // the rounds it collects answers for
    TProber() = default;
    ~TProber() {
        for (HANDLE h : {thread, wake, roundDone})
            if (h) CloseHandle(h);
    }
    TProber(const TProber&) = delete;
    TProber& operator=(const TProber&) = delete;
};
std::shared_ptr<TProber> live; // Winamp's thread only
TWaitsRunOut waitsRunOut;      // Winamp's thread only
bool stopped = false;          // Winamp's thread only

int HungIndex(DWORD t) {
    for (size_t i = 0; i < shared.hung.size(); ++i)
        if (shared.hung[i].thread == t) return static_cast<int>(i);
    return -1;
}

void ClearHung(DWORD t) {
    const TLocked locked(shared.lock);
    const int i = HungIndex(t);
    if (i >= 0) shared.hung.erase(shared.hung.begin() + i);
}

// Which prober the running thread is: answers arrive through a callback that carries only the
// thread asked. A slot of the system's own: the compiler's thread-locals bring a runtime that
// needs functions newer than XP.
const DWORD selfSlot = TlsAlloc();

void CALLBACK OnAnswer(HWND, UINT, ULONG_PTR data, LRESULT) {
    const auto t = static_cast<DWORD>(data);
    ClearHung(t); // a late answer: the thread is heard again
    auto* self =
        static_cast<TProber*>(selfSlot == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(selfSlot));
    if (!self) return;
    for (const TJobPtr& job : self->active)
        for (size_t i = 0; i < job->targets.size(); ++i)
            if (job->targets[i].thread == t && job->answers[i] == NotYet)
                job->answers[i] = Answered;
}

bool Ask(HWND h, DWORD t) {
    return SendMessageCallbackA(h, WM_NULL, 0, 0, &OnAnswer, static_cast<ULONG_PTR>(t)) != FALSE;
}

void Start(TProber& self, const TJobPtr& job) {
    job->answers.assign(job->targets.size(), NotYet);
    for (size_t i = 0; i < job->targets.size(); ++i) {
        const TProbeTarget& x = job->targets[i];
        if (IsHung(x.thread))
            job->answers[i] = AlreadyHung; // its own WM_NULL is still on its way
        else if (!Ask(x.window, x.thread))
            job->answers[i] = Refused; // gone, or refused at once: no waiting for it
    }
    self.active.push_back(job);
}

// Hung threads marked by Winamp's thread get their WM_NULL; those whose window is gone are let go.
void LookAfterHung() {
    const TLocked locked(shared.lock);
    auto& hung = shared.hung;
    for (THung& x : hung)
        if (!x.asked && IsWindow(x.window)) x.asked = Ask(x.window, x.thread);
    hung.erase(std::remove_if(hung.begin(), hung.end(),
                              [](const THung& x) { return !x.asked || !IsWindow(x.window); }),
               hung.end());
}

void MarkAsked(DWORD t, HWND h) {
    const TLocked locked(shared.lock);
    const int i = HungIndex(t);
    if (i >= 0)
        shared.hung[static_cast<size_t>(i)].asked = true;
    else
        shared.hung.push_back(THung{t, h, true});
}

// Ends the rounds whose answers are all in or whose time is up; the rest wait on. Returns how
// long the first of those may still take.
DWORD Finish(TProber& self, bool all) {
    DWORD next = INFINITE;
    auto& active = self.active;
    for (auto it = active.begin(); it != active.end();) {
        TProbeJob& job = **it;
        const bool complete = std::none_of(job.answers.begin(), job.answers.end(),
                                           [](LONG a) { return a == NotYet; });
        const DWORD left = Left(job.start, job.limit);
        if (!complete && left > 0 && !all) {
            next = std::min(next, left);
            ++it;
            continue;
        }
        for (size_t i = 0; i < job.targets.size(); ++i)
            if (job.answers[i] == NotYet && IsWindow(job.targets[i].window))
                MarkAsked(job.targets[i].thread, job.targets[i].window);
        InterlockedExchange(&job.finished, 1);
        SetEvent(self.roundDone);
        it = active.erase(it);
    }
    return next;
}

void PumpAnswers() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

void RunProber(TProber& self) {
    for (;;) {
        {
            std::vector<TJobPtr> taken;
            {
                const TLocked locked(shared.lock);
                taken.swap(shared.pending);
            }
            for (const TJobPtr& job : taken)
                Start(self, job);
        } // a finished round is let go at once, not at the next wake-up
        LookAfterHung();
        PumpAnswers();
        const bool stop = self.stop != 0;
        DWORD wait = Finish(self, stop);
        if (stop) return;
        bool anyHung;
        {
            const TLocked locked(shared.lock);
            anyHung = !shared.hung.empty();
        }
        // While threads count as hung, their windows are looked at now and then: a client that is
        // killed never answers.
        if (anyHung) wait = std::min<DWORD>(wait, 1000);
        MsgWaitForMultipleObjects(1, &self.wake, FALSE, wait, QS_SENDMESSAGE | QS_POSTMESSAGE);
    }
}

void ProberMain(TProber& self) {
    if (selfSlot != TLS_OUT_OF_INDEXES) TlsSetValue(selfSlot, &self);
    try {
        RunProber(self);
    } catch (...) {
    }
    try {
        Finish(self, true); // whoever still waits is let go
    } catch (...) {
    }
    if (selfSlot != TLS_OUT_OF_INDEXES) TlsSetValue(selfSlot, nullptr);
}

std::shared_ptr<TProber> StartProber() {
    auto p = std::make_shared<TProber>();
    p->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    p->roundDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!p->wake || !p->roundDone || !StartOwnThread<TProber, &ProberMain>(p)) return nullptr;
    return p;
}

// A prober that has ended (ended from outside, say) is let go with all it kept: nobody would
// hear the threads it watched answer. Winamp's thread learns of it when it waits for a round.
void DropProber() {
    live.reset();
    const TLocked locked(shared.lock);
    shared.hung.clear();
    shared.pending.clear();
}

// The live prober, started when there is none.
std::shared_ptr<TProber> Prober() {
    if (stopped) return nullptr;
    if (!live) live = StartProber();
    return live;
}

enum class TRound { Finished, Late, ProberEnded };

// Hands one round to the prober and waits for it, answering what is sent to this thread meanwhile.
TRound RunRound(const std::shared_ptr<TProber>& p, const TJobPtr& job) {
    {
        const TLocked locked(shared.lock);
        shared.pending.push_back(job);
    }
    SetEvent(p->wake);
    // The prober ends the round at its limit itself; the margin covers its waking up.
    constexpr DWORD Margin = 250;
    const HANDLE handles[2] = {p->roundDone, p->thread};
    for (;;) {
        if (job->finished) return TRound::Finished;
        const DWORD left = Left(job->start, job->limit + Margin);
        if (left == 0) return TRound::Late; // its answers are not waited for
        const DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 + 1) return job->finished ? TRound::Finished : TRound::ProberEnded;
        if (r == WAIT_OBJECT_0 + 2) {
            MSG m;
            PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // answers them
        } else if (r == WAIT_FAILED) {
            Sleep(1);
        }
        // WAIT_OBJECT_0: this round or one given up on before has finished; the loop tells which.
    }
}
} // namespace

std::vector<bool> ProbeAll(const std::vector<TProbeTarget>& targets, DWORD limitMs) {
    std::vector<bool> answered(targets.size(), false);
    if (targets.empty()) return answered;
    const DWORD start = GetTickCount();
    // A prober found ended is replaced once, and the round handed to the new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::shared_ptr<TProber> p = Prober();
        if (!p) return answered;
        auto job = std::make_shared<TProbeJob>();
        job->targets = targets;
        job->start = start;
        job->limit = limitMs;
        const TRound r = RunRound(p, job);
        if (r == TRound::ProberEnded) {
            if (live == p) DropProber();
            continue;
        }
        if (r == TRound::Finished)
            for (size_t i = 0; i < targets.size(); ++i)
                answered[i] = job->answers[i] == Answered;
        // A late round's answers are still the prober's: it ran out all the same.
        const bool ranOut = r == TRound::Late || std::find(job->answers.begin(), job->answers.end(),
                                                           NotYet) != job->answers.end();
        if (ranOut) CountWaitRunOut(limitMs);
        return answered;
    }
    return answered;
}

TWaitsRunOut WaitsRunOut() {
    return waitsRunOut;
}

void CountWaitRunOut(DWORD limitMs) {
    ++waitsRunOut.count;
    waitsRunOut.limitMs += limitMs;
}

bool IsHung(DWORD t) {
    const TLocked locked(shared.lock);
    return HungIndex(t) >= 0;
}

void MarkHung(DWORD t, HWND h) {
    const std::shared_ptr<TProber> p = Prober();
    // Without a prober nobody would hear it again: it is simply tried (and waited for) again.
    if (!p) return;
    {
        const TLocked locked(shared.lock);
        if (HungIndex(t) >= 0) return;
        shared.hung.push_back(THung{t, h, false});
    }
    SetEvent(p->wake);
}

void StopProbing() {
    stopped = true;
    if (live) {
        InterlockedExchange(&live->stop, 1);
        SetEvent(live->wake);
        // It never waits inside a message, so it only has to notice.
        WaitForSingleObject(live->thread, 2000);
        live.reset();
    }
    const TLocked locked(shared.lock);
    shared.hung.clear();
    shared.pending.clear();
}

void AllowProbing() {
    stopped = false;
}
