#include "clients/journal_writer.h"

#include "support/own_thread.h"
#include "support/ticks.h"

#include <memory>
#include <utility>

namespace {
// One whole journal, numbered in the order it was handed over.
struct TJournalJob {
    TFilePlaces places;
    std::string text;
    LONG number = 0;
};
using TJobPtr = std::shared_ptr<TJournalJob>;

// What the writer and Winamp's thread share, under one lock.
struct TShared {
    TLock lock;
    TJobPtr next;        // handed over, not taken yet
    TJobPtr current;     // taken by the writer, being written
    LONG handedOver = 0; // the number of the newest job handed over
    LONG written = 0;    // the number of the newest job written or failed
    std::vector<std::string> failures;
};
TShared shared;

// One writer thread. Owned together by Winamp's thread (while it is the live one) and by the
// thread itself.
struct TWriter {
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;     // a job, or the stop request
    HANDLE progress = nullptr; // a job is done
    HMODULE module = nullptr;
    volatile LONG stop = 0;
    TWriter() = default;
    ~TWriter() {
        for (HANDLE h : {thread, wake, progress})
            if (h) CloseHandle(h);
    }
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;
};
std::shared_ptr<TWriter> live; // Winamp's thread only
bool stopped = false;          // Winamp's thread only

void Write(const TJournalJob& job) {
    // Not made durable on the disk: what guards the user here is a Winamp that ends, not the
    // system, and the renaming is atomic either way. A flush at every track would cost more than
    // the update itself.
    const TPlacedWrite w = WritePlaced(job.places, job.text, false);
    const TLocked locked(shared.lock);
    if (!w.failure.empty()) shared.failures.push_back(w.failure);
    if (job.number > shared.written) shared.written = job.number;
    if (shared.current.get() == &job) shared.current.reset();
}

void RunWriter(TWriter& self) {
    for (;;) {
        TJobPtr job;
        {
            const TLocked locked(shared.lock);
            job = std::move(shared.next);
            shared.next.reset();
            shared.current = job;
        }
        if (job) {
            Write(*job);
            SetEvent(self.progress);
        } else if (self.stop) {
            return;
        } else {
            WaitForSingleObject(self.wake, INFINITE);
        }
    }
}

std::shared_ptr<TWriter> StartWriter() {
    auto w = std::make_shared<TWriter>();
    w->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    w->progress = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!w->wake || !w->progress || !StartOwnThread<TWriter, &RunWriter>(w)) return nullptr;
    return w;
}

// The live writer, started when there is none. Whether it still runs is not asked here: a wait
// for it includes its thread, and learns so at no extra cost (see DropEndedWriter). Null after
// quit, or when no thread can start.
std::shared_ptr<TWriter> Writer() {
    if (stopped) return nullptr;
    if (!live) live = StartWriter();
    return live;
}

// The live writer has ended (ended from outside): what it was writing goes to the next one
// unless something newer already waits.
void DropEndedWriter() {
    live.reset();
    const TLocked locked(shared.lock);
    if (!shared.next) shared.next = std::move(shared.current);
    shared.current.reset();
}

// Without a writer, what waits is written here, on the caller's thread.
void WriteHere() {
    TJobPtr job;
    {
        const TLocked locked(shared.lock);
        job = shared.next ? std::move(shared.next) : std::move(shared.current);
        shared.next.reset();
        shared.current.reset();
        // Nothing left that could still come: whatever was handed over counts as done.
        if (!job) shared.written = shared.handedOver;
    }
    if (job) Write(*job);
}
} // namespace

void HandOverJournalText(TFilePlaces places, std::string text) {
    auto job = std::make_shared<TJournalJob>();
    job->places = std::move(places);
    job->text = std::move(text);
    const std::shared_ptr<TWriter> w = Writer();
    {
        const TLocked locked(shared.lock);
        job->number = ++shared.handedOver;
        shared.next = std::move(job);
    }
    if (w)
        SetEvent(w->wake);
    else
        WriteHere();
}

bool JournalTextsWritten(DWORD limitMs, std::vector<std::string>& failures) {
    const DWORD start = GetTickCount();
    LONG due;
    {
        const TLocked locked(shared.lock);
        due = shared.handedOver;
    }
    for (;;) {
        bool done;
        {
            const TLocked locked(shared.lock);
            done = shared.written >= due;
            for (std::string& f : shared.failures)
                failures.push_back(std::move(f));
            shared.failures.clear();
        }
        // Mostly it is written already: then the writer is not asked after at all.
        if (done) return true;
        const std::shared_ptr<TWriter> w = Writer();
        if (!w) {
            WriteHere();
            continue;
        }
        SetEvent(w->wake); // what an ended writer left is the new one's
        const DWORD left = Left(start, limitMs);
        if (left == 0) return false;
        // A file write is no other program's message: nothing is answered meanwhile, so nothing
        // else starts inside this wait.
        const HANDLE handles[2] = {w->progress, w->thread};
        if (WaitForMultipleObjects(2, handles, FALSE, left) == WAIT_OBJECT_0 + 1 && w == live)
            DropEndedWriter();
    }
}

void StopJournalWriter(DWORD limitMs) {
    stopped = true;
    if (!live) return;
    InterlockedExchange(&live->stop, 1);
    SetEvent(live->wake);
    WaitForSingleObject(live->thread, limitMs);
    live.reset();
}

void AllowJournalWriter() {
    stopped = false;
}
