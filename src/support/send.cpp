#include "support/send.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace {
int passDepth = 0;
std::vector<DWORD> silentThreads;    // threads that failed to answer in the current pass
std::vector<DWORD> answeringThreads; // threads that answered the probe in the current pass

DWORD ThreadOf(HWND h) {
    return GetWindowThreadProcessId(h, nullptr);
}

bool Listed(const std::vector<DWORD>& list, DWORD t) {
    return std::find(list.begin(), list.end(), t) != list.end();
}

class EventHandle {
  public:
    EventHandle() : h_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~EventHandle() {
        if (h_) CloseHandle(h_);
    }
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

// A probe that outlived its wait keeps running inside the library until the client answers or
// ends, so the library must then stay loaded for the rest of the process.
void PinLibrary() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&SendToWindow), &self);
}

// Whether the window's thread answers an empty message within the time-out. The empty message
// is sent from a thread of its own, which may be left waiting: it carries no pointer, so
// nothing of the caller's is touched when the client answers late. Meanwhile this thread keeps
// answering what is sent to it, so Winamp's window answers during the wait. (Wine does not
// end SendMessageTimeout while the receiving thread does not run, so the wait is bounded here.)
bool Answers(HWND h) {
    auto done = std::make_shared<EventHandle>();
    if (!done->get()) return true;
    std::thread probe;
    try {
        probe = std::thread([h, done] {
            DWORD_PTR r = 0;
            SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, INFINITE, &r);
            SetEvent(done->get());
        });
    } catch (...) {
        return true; // no thread to spare: fall back on the plain bounded send
    }
    // Unsigned differences of GetTickCount survive its wrap after 49 days.
    const DWORD start = GetTickCount();
    HANDLE wait = done->get();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        const DWORD left = spent >= SendTimeoutMs ? 0 : SendTimeoutMs - spent;
        const DWORD r = MsgWaitForMultipleObjects(1, &wait, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) {
            probe.join();
            return true;
        }
        if (r == WAIT_OBJECT_0 + 1) {
            MSG m;
            PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // answers them
            continue;
        }
        // The probe may still be waiting on the client: it must outlive this call.
        PinLibrary();
        probe.detach();
        // A failed wait says nothing about the client; the plain bounded send decides then.
        return r != WAIT_TIMEOUT;
    }
}

void MarkSilent(DWORD t) {
    if (t != 0 && !Listed(silentThreads, t)) silentThreads.push_back(t);
}
} // namespace

TSendPass::TSendPass() {
    if (passDepth++ == 0) {
        silentThreads.clear();
        answeringThreads.clear();
    }
}

TSendPass::~TSendPass() {
    if (--passDepth == 0) {
        silentThreads.clear();
        answeringThreads.clear();
    }
}

bool IsUnanswering(HWND h) {
    if (silentThreads.empty() || !h) return false;
    const DWORD t = ThreadOf(h);
    return t != 0 && Listed(silentThreads, t);
}

LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    const DWORD t = h ? ThreadOf(h) : 0;
    const bool foreign = t != 0 && t != GetCurrentThreadId();
    if (foreign && passDepth > 0) {
        if (Listed(silentThreads, t)) return 0;
        // Once per thread and pass: does it answer at all?
        if (!Listed(answeringThreads, t)) {
            if (!Answers(h)) {
                MarkSilent(t);
                return 0;
            }
            answeringThreads.push_back(t);
        }
    }
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(h, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, SendTimeoutMs,
                            &result))
        return static_cast<LRESULT>(result);
    // A window that still exists but gave no answer is hung (or too slow to wait for).
    if (foreign && passDepth > 0 && IsWindow(h)) MarkSilent(t);
    return 0;
}
