// What a thread of the plugin's own needs: a lock it shares with Winamp's thread that survives its
// being ended from outside, and a reference to the library for as long as it runs.
#pragma once
#include <windows.h>

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

// One more reference to the library that holds code, for a thread of ours to drop with
// FreeLibraryAndExitThread as it ends: the library is never unloaded under it. Null on failure.
inline HMODULE HoldLibrary(const void* code) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCSTR>(code), &self);
    return self;
}
