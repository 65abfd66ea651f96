// A stand-in for Winamp's main window: a real window of our own class whose procedure answers
// the host requests the plugin makes, and records every message it receives.
#pragma once
#include <windows.h>
#include <vector>

struct HostMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct FakeWinampOptions {
    int version = 0x5666; // a current host
};

class FakeWinamp {
  public:
    explicit FakeWinamp(const FakeWinampOptions& options = {});
    ~FakeWinamp();
    FakeWinamp(const FakeWinamp&) = delete;
    FakeWinamp& operator=(const FakeWinamp&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Destroys the window early, as Winamp does before it calls quit.
    void Destroy();
    // What the host's own procedure received, in order.
    std::vector<HostMessage>& received() { return received_; }
    // The host's own window procedure (what a hook must put back).
    static WNDPROC HostProc();

    FakeWinampOptions options;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    std::vector<HostMessage> received_;
};

// Pumps the calling thread's message queue until it is empty.
void PumpMessages();
