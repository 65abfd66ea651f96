#include "transport/send.h"

#include "transport/probe.h"
#include "support/ticks.h"
#include "transport/window_memo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

TTimeLimits TimeLimits;

namespace {
TClientWork::TFrame* currentFrame = nullptr; // the piece of work under way, innermost first
TClientCall* currentCall = nullptr;

bool Answering(const TClientWork::TFrame& f, DWORD t) {
    return std::find(f.answering.begin(), f.answering.end(), t) != f.answering.end();
}

constexpr UINT Flags = SMTO_NORMAL | SMTO_ABORTIFHUNG;

// At most how many bytes one character takes in the ANSI code page (1 in Windows-1251). Asked
// once at load, not in a guarded static: those bring a runtime that needs newer Windows.
LRESULT AskAnsiBytesPerChar() {
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 0 ? static_cast<LRESULT>(info.MaxCharSize)
                                                            : LRESULT{2};
}
const LRESULT ansiBytesPerChar = AskAnsiBytesPerChar();
LRESULT AnsiBytesPerChar() {
    return ansiBytesPerChar;
}

struct TAnswer {
    bool answered = false;
    DWORD error = 0;
    LRESULT result = 0;
};

// A text message to a window of this process on another thread hands over the caller's own
// buffer, which that thread may still use after a time-out: it gets a copy instead, and a copy
// it was too late for is left to it.
template <class Char>
TAnswer SendCopy(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, DWORD limit) {
    const auto* text = reinterpret_cast<const Char*>(lParam);
    const size_t count = msg == WM_GETTEXT ? wParam : std::char_traits<Char>::length(text) + 1;
    auto copy = std::make_unique<Char[]>(count ? count : 1);
    if (msg == WM_SETTEXT) std::memcpy(copy.get(), text, count * sizeof(Char));
    TAnswer a;
    DWORD_PTR r = 0;
    const auto param = reinterpret_cast<LPARAM>(copy.get());
    if constexpr (sizeof(Char) == 1)
        a.answered = SendMessageTimeoutA(h, msg, wParam, param, Flags, limit, &r) != 0;
    else
        a.answered = SendMessageTimeoutW(h, msg, wParam, param, Flags, limit, &r) != 0;
    a.error = a.answered ? 0 : GetLastError();
    a.result = static_cast<LRESULT>(r);
    if (!a.answered) {
        if (a.error == ERROR_TIMEOUT) copy.release(); // still the late receiver's
        return a;
    }
    if (msg == WM_GETTEXT && count)
        std::memcpy(reinterpret_cast<Char*>(lParam), copy.get(), count * sizeof(Char));
    return a;
}

TAnswer SendBounded(HWND h, DWORD pid, UINT msg, WPARAM wParam, LPARAM lParam, DWORD limit,
                    bool wide) {
    const bool ownProcess = pid == GetCurrentProcessId();
    if (ownProcess && lParam && (msg == WM_GETTEXT || msg == WM_SETTEXT))
        return wide ? SendCopy<wchar_t>(h, msg, wParam, lParam, limit)
                    : SendCopy<char>(h, msg, wParam, lParam, limit);
    TAnswer a;
    DWORD_PTR r = 0;
    if (wide) {
        a.answered = SendMessageTimeoutW(h, msg, wParam, lParam, Flags, limit, &r) != 0;
    } else if (msg == WM_GETTEXTLENGTH && !ownProcess) {
        // Wine does not bound the ANSI form of this one message to another program (it waited
        // twice the receiver's time, 8 s against a limit of 1 s); the wide form is bounded. Its
        // answer counts characters, each at most so many ANSI bytes.
        a.answered = SendMessageTimeoutW(h, msg, wParam, lParam, Flags, limit, &r) != 0;
        r *= static_cast<DWORD_PTR>(AnsiBytesPerChar());
    } else {
        a.answered = SendMessageTimeoutA(h, msg, wParam, lParam, Flags, limit, &r) != 0;
    }
    a.error = a.answered ? 0 : GetLastError();
    a.result = static_cast<LRESULT>(r);
    return a;
}
} // namespace

struct TCallAccess {
    static void Fail(TOutcome o) {
        if (currentCall && currentCall->outcome_ == TOutcome::Done) currentCall->outcome_ = o;
    }
    static TClientWork::TFrame* Frame() {
        return currentCall && currentCall->frame_ ? currentCall->frame_ : currentFrame;
    }
};

TClientWork::TClientWork(TWorkKind kind) {
    if (currentFrame && kind == TWorkKind::Update) return; // never inside other work
    // A restore ends whatever is under way: it waits below on the stack, and must neither send
    // nor keep anything once the statuses are being put back.
    for (TFrame* f = currentFrame; f; f = f->outer)
        f->ended = true;
    const bool restore = kind == TWorkKind::Restore;
    frame_.start = GetTickCount();
    frame_.perMessage = restore ? TimeLimits.restoreSendMs : TimeLimits.sendMs;
    frame_.total = restore ? TimeLimits.restoreMs : TimeLimits.updateMs;
    frame_.outer = currentFrame;
    currentFrame = &frame_;
    granted_ = true;
}

TClientWork::~TClientWork() {
    if (granted_) currentFrame = frame_.outer;
}

bool TClientWork::Ended() const {
    return !granted_ || frame_.ended;
}

bool ClientWorkUnderWay() {
    return currentFrame != nullptr;
}

DWORD WorkTimeLeft() {
    if (!currentFrame) return TimeLimits.updateMs;
    return currentFrame->ended ? 0 : Left(currentFrame->start, currentFrame->total);
}

TClientCall::TClientCall() : frame_(currentFrame), outer_(currentCall) {
    currentCall = this;
}

TClientCall::~TClientCall() {
    currentCall = outer_;
}

TOutcome CallOutcome() {
    return currentCall ? currentCall->Outcome() : TOutcome::Done;
}

bool IsUnanswering(HWND h) {
    if (!h) return false;
    const DWORD t = MemoThreadId(h);
    return t != 0 && IsHung(t);
}

void ProbeClients(const HWND* windows, int count) {
    TClientWork::TFrame* f = currentFrame;
    if (!f || f->ended) return;
    std::vector<TProbeTarget> targets;
    for (int i = 0; i < count; ++i) {
        const HWND h = windows[i];
        const DWORD t = h ? MemoThreadId(h) : 0;
        if (t == 0 || t == GetCurrentThreadId() || IsHung(t) || Answering(*f, t)) continue;
        if (std::none_of(targets.begin(), targets.end(),
                         [t](const TProbeTarget& x) { return x.thread == t; }))
            targets.push_back({h, t});
    }
    const DWORD limit = std::min(f->perMessage, Left(f->start, f->total));
    if (targets.empty() || limit == 0) return;
    const std::vector<bool> answered = ProbeAll(targets, limit);
    if (f->ended) return;
    for (size_t i = 0; i < targets.size(); ++i)
        if (answered[i]) f->answering.push_back(targets[i].thread);
}

namespace {
LRESULT Send(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
    if (!h) return 0; // a control the form does not have: nothing asked, nothing failed
    DWORD pid = 0;
    const DWORD t = MemoThreadId(h, &pid);
    if (t != 0 && t == GetCurrentThreadId())
        return wide ? SendMessageW(h, msg, wParam, lParam) : SendMessageA(h, msg, wParam, lParam);
    if (!ClientAnswering()) return 0; // this client's part has ended
    TClientWork::TFrame* f = TCallAccess::Frame();
    auto fail = [](TOutcome o) {
        TCallAccess::Fail(o);
        return LRESULT{0};
    };
    if (t == 0) return fail(TOutcome::Refused); // the window is gone
    if (f && f->ended) return fail(TOutcome::Abandoned);
    if (IsHung(t)) return fail(TOutcome::Skipped);
    const DWORD perMessage = f ? f->perMessage : TimeLimits.sendMs;

    // Sends one message within the time left; false when it was not answered.
    auto send = [&](UINT m, WPARAM w, LPARAM l, LRESULT& result) {
        const DWORD limit = f ? std::min(perMessage, Left(f->start, f->total)) : perMessage;
        if (limit == 0) {
            fail(TOutcome::Cut);
            return false;
        }
        const TAnswer a = SendBounded(h, pid, m, w, l, limit, wide && m == msg);
        // A restore ran while this waited: what came back belongs to nobody.
        if (f && f->ended) {
            fail(TOutcome::Abandoned);
            return false;
        }
        if (a.answered) {
            result = a.result;
            return true;
        }
        if (a.error == ERROR_TIMEOUT) CountWaitRunOut(limit);
        if (a.error == ERROR_TIMEOUT && IsWindow(h)) {
            MarkHung(t, h); // skipped, also by later pieces, until it is heard again
            fail(limit < perMessage ? TOutcome::Cut : TOutcome::Skipped);
        } else {
            // Refused at once (gone, or access denied): no probe, no thread; tried again at the
            // next update.
            fail(TOutcome::Refused);
        }
        return false;
    };

    LRESULT result = 0;
    if (f && !Answering(*f, t)) {
        // Once per thread and piece: does it answer at all?
        if (!send(WM_NULL, 0, 0, result)) return 0;
        f->answering.push_back(t);
    }
    return send(msg, wParam, lParam, result) ? result : 0;
}
} // namespace

LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Send(h, msg, wParam, lParam, false);
}

LRESULT SendToWindowW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Send(h, msg, wParam, lParam, true);
}

void StopSending() {
    StopProbing();
}

void AllowSending() {
    AllowProbing();
}
