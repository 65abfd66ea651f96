// Drives the fake QIP and R&Q clients (tests/helpers/fake_clients), which run in a process of
// their own as the real messengers do: creates clients, changes what they show, and fetches
// the record of every message their windows received.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

// One message a fake client's window received.
struct ClientRecord {
    std::string window; // "q1.combo", "r1.form", ...
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;          // sent by another program (the plugin), not by the client's own code
    std::string text;   // what a WM_SETTEXT carried, in the ANSI code page (as the tables are)
    std::string textU8; // the same exactly, in UTF-8 (a Unicode window's may hold more)
};

// The windows of one fake client, by role ("main", "form", "ok", "combo", "edit1", "pan2").
struct FakeClient {
    std::string name;
    std::map<std::string, HWND> windows;
    HWND operator[](const std::string& role) const;
};

// What a fake client's form shows and what its last confirmation applied.
struct FormShows {
    bool visible = false;
    std::string applied;   // "pic=3|status=...|long=..."
    int confirmations = 0; // OK clicks (QIP) or Enter presses (R&Q)
    std::string confirmed; // what the last confirmation applied, in the same form
    // The same two exactly, in UTF-8; the two above are in the ANSI code page.
    std::string appliedU8, confirmedU8;
};

// Tells when a window of any fake client begins taking its time inside a blocked message (see
// FakeClientProcess::Block), so that a test acts while the plugin waits on it, however slow the
// machine, instead of sleeping and hoping the wait has begun.
class BlockWatch {
  public:
    BlockWatch(); // watches from now on
    ~BlockWatch();
    BlockWatch(const BlockWatch&) = delete;
    BlockWatch& operator=(const BlockWatch&) = delete;
    // True once a block has begun since the watch was made.
    bool Wait(DWORD ms = 60000) const;

  private:
    HANDLE event_;
};

class FakeClientProcess;
// How many times slower than a development machine this one runs the round trips an update is
// made of: measured now, and never less than measured before in this program (at least 1, at
// most 8). The tests stretch the plugin's time limits by it,
// never shorten them, so that an update's own work fits in its budget on an emulated machine with
// other jobs beside it as it does here, and no test passes or fails by the machine's speed.
double MachineSlowness(FakeClientProcess& clients);

class FakeClientProcess {
  public:
    FakeClientProcess();  // starts the helper program
    ~FakeClientProcess(); // ends it
    FakeClientProcess(const FakeClientProcess&) = delete;
    FakeClientProcess& operator=(const FakeClientProcess&) = delete;

    bool running() const { return process_ != nullptr; }
    DWORD pid() const { return pid_; }

    // "qip q1 visible panels=3" and so on (see the helper for the options; "unicode" makes a
    // client of Unicode windows, as does LUMTRA_UNICODE_CLIENTS set for the whole program).
    FakeClient Qip(const std::string& name, const std::string& options = "");
    FakeClient Rnq(const std::string& name, const std::string& options = "");
    void TopLevelWindows(int count, const std::string& windowClass);
    // A text in the ANSI code page, or in UTF-8; the window gets it in its own kind (an ANSI one
    // what the code page makes of it).
    void SetText(const std::string& window, const std::string& text);
    void SetTextU8(const std::string& window, const std::string& utf8);
    void Select(const std::string& window, int index);
    void Show(const std::string& window);
    void Hide(const std::string& window);
    // An always-on-top window of the helper's process over a rectangle of the screen.
    HWND Cover(const std::string& name, const RECT& r);
    void Destroy(const std::string& window);
    FormShows State(const std::string& form);
    // Everything received since the last call.
    std::vector<ClientRecord> Records();
    // Makes the helper stop answering messages for ms milliseconds, from before it returns.
    void Hang(int ms);
    // Makes a window take ms milliseconds inside a message sent to it from outside, the next
    // `times` times (every time when negative).
    void Block(const std::string& window, UINT message, int ms, int times = -1);
    // Makes a window destroy itself as message reaches it from outside (once).
    void Vanish(const std::string& window, UINT message);
    // Makes a window answer WM_GETTEXTLENGTH with length.
    void ClaimTextLength(const std::string& window, long long length);
    // Ends the helper at once (a hung one does not end by itself).
    void Kill();

    // One command and its answer lines (the last one "ok ..." or "error ...").
    std::vector<std::string> Command(const std::string& line);

  private:
    FakeClient Make(const std::string& kind, const std::string& name, const std::string& options);
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HANDLE toHelper_ = nullptr;
    HANDLE fromHelper_ = nullptr;
    std::string pending_;
};
