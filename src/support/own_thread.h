// What a thread of the plugin's own needs: a lock it shares with Winamp's thread that survives its
// being ended from outside, and a start that holds a reference to the library for as long as it
// runs.
#pragma once
#include <windows.h>

#include <memory>

// A lock held for a few instructions at a time. A thread of ours can be ended from outside at
// any moment, even while it holds the lock; a critical section would then keep Winamp's thread
// waiting for ever. A lock whose holder has ended is taken over instead.
class TLock {
  public:
    TLock() = default;
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;
    void Enter() {
        const auto me = static_cast<LONG>(GetCurrentThreadId());
        if (owner_ == me) {
            ++depth_;
            return;
        }
        for (DWORD spins = 1;; ++spins) {
            if (InterlockedCompareExchange(&owner_, me, 0) == 0) break;
            if (spins % 64 != 0) continue;
            const LONG holder = owner_;
            if (holder && HolderEnded(static_cast<DWORD>(holder)) &&
                InterlockedCompareExchange(&owner_, me, holder) == holder)
                break;
            Sleep(spins < 4096 ? 0 : 1);
        }
        depth_ = 1;
    }
    void Leave() {
        if (--depth_ == 0) InterlockedExchange(&owner_, 0);
    }

  private:
    static bool HolderEnded(DWORD thread) {
        HANDLE h = OpenThread(SYNCHRONIZE, FALSE, thread);
        if (!h) return true; // no such thread any more
        const bool ended = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        CloseHandle(h);
        return ended;
    }
    volatile LONG owner_ = 0;
    int depth_ = 0; // the holder's own count
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

namespace own_thread_detail {
// The thread's share of its record, handed over by StartOwnThread, and its reference to the
// library, dropped as it ends: the library is never unloaded under it.
template <class T, void (*Run)(T&)> DWORD WINAPI Main(void* param) {
    std::unique_ptr<std::shared_ptr<T>> mine(static_cast<std::shared_ptr<T>*>(param));
    const HMODULE module = (*mine)->module;
    try {
        Run(**mine);
    } catch (...) {
    }
    mine.reset();
    FreeLibraryAndExitThread(module, 0);
    return 0;
}
} // namespace own_thread_detail

// Starts a thread of ours that runs Run on its record, which it owns together with the caller.
// The record has a thread handle and a module reference (filled in here) and closes its handles
// itself. False when no thread could start.
template <class T, void (*Run)(T&)> bool StartOwnThread(const std::shared_ptr<T>& record) {
    const auto main = &own_thread_detail::Main<T, Run>;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(main),
                       &record->module);
    if (!record->module) return false;
    auto share = std::make_unique<std::shared_ptr<T>>(record);
    record->thread = CreateThread(nullptr, 0, main, share.get(), 0, nullptr);
    if (!record->thread) {
        FreeLibrary(record->module);
        record->module = nullptr;
        return false;
    }
    share.release(); // now the thread's
    return true;
}
