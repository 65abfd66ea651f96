// A stand-in for Winamp's main window: a real window (Unicode, as Winamp 5's) of our own class
// whose procedure answers the host requests the plugin makes from a scripted playlist, and records
// every message it receives.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct HostMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string key; // IPC_GET_EXTENDED_FILE_INFO: the metadata name asked for
};

// One playlist entry as the host knows it.
struct FakeEntry {
    std::string file;
    std::string title;                       // the playlist title (IPC_GETPLAYLISTTITLE)
    std::map<std::string, std::string> tags; // by metadata name as asked, e.g. "ARTIST"
    bool nullFile = false;                   // IPC_GETPLAYLISTFILE answers a null pointer
    bool nullTitle = false;                  // IPC_GETPLAYLISTTITLE answers a null pointer
    // What the Unicode requests answer, where it holds more than the ANSI texts above (empty:
    // those converted from the code page).
    std::wstring titleW{};
    std::map<std::string, std::wstring> tagsW{};
    LRESULT titleWAnswer = -1; // IPC_GETPLAYLISTTITLEW answers this instead (0, 1, garbage)
};

struct FakeWinampOptions {
    int version = 0x5666; // a current host
    std::vector<FakeEntry> playlist;
    int position = 0;      // IPC_GETLISTPOS; a position outside the playlist answers nulls
    LRESULT playState = 1; // IPC_ISPLAYING: 1 playing, 3 paused, 0 stopped
    LRESULT tagReply = 1;  // IPC_GET_EXTENDED_FILE_INFO when the file carries the tag
    HMENU menu = nullptr;  // IPC_GET_HMENU
    bool record = true;    // off for benchmarks
    // Winamp 5's main window is a Unicode window; Winamp 2.x had an ANSI one.
    bool unicode = true;
    // IPC_GETDIALOGBOXPARENT: -1 answers the main window, as Winamp 5.51 and later do where no
    // skin names another; else this (a skin's window, or 0 or 1 from a host that does not know).
    LRESULT dialogParent = -1;
};

// An expected host message; `flags` says which parameters are compared.
enum HostMsgFlags : unsigned { hostWparam = 1, hostLparam = 2 };
struct HostMsg {
    UINT message;
    unsigned flags = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
// An IPC request or notification with the given code, any wParam.
constexpr HostMsg Ipc(LPARAM code) {
    return HostMsg{WM_USER, hostLparam, 0, code};
}

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
    // The metadata names asked for with IPC_GET_EXTENDED_FILE_INFO, in order.
    std::vector<std::string>& tagQueries() { return tagQueries_; }
    // Forgets what was received so far.
    void Flush();
    // How many IPC messages with this code the host received.
    size_t CountIpc(LPARAM code) const;
    // The host's own window procedure (what a hook must put back).
    static WNDPROC HostProc();

    // Messages delivered to the window through whatever procedure is installed on it, each
    // followed by a turn of Winamp's loop (what they made the plugin post runs then).
    LRESULT Notify(LPARAM code, WPARAM wParam = 0);
    LRESULT Command(WPARAM id);
    LRESULT Tick();
    // The current entry takes a new title (a stream's next song) and Winamp says so to its
    // plugins; and the player's state changes (1 playing, 3 paused, 0 stopped), said the same way.
    // Posted, as Winamp does, and delivered by a turn of the loop.
    void Retitle(const std::string& title);
    void ChangePlayState(LRESULT state);

    // Winamp's own events, exactly as Winamp performs them (common/winamp_events.h): what it
    // sends itself is handled before these return; what it posts waits for Loop.
    void Start(int position); // the entry starts playing
    void Next();              // Next: 636 with the old entry current, then a start
    void Pause();
    void Resume();
    void Stop();
    void ShowTitle(const std::string& title); // the current entry's title changes
    // A radio stream at the current position: Winamp shows "[Connecting] address", then starts
    // it with the bare address for a title.
    void StartStream(const std::string& address);
    // Winamp's message loop: delivers what is queued for this thread, then returns.
    void Loop();
    // Runs the loop, waiting for timers and posts, until done() holds or limitMs have passed;
    // whether done() held.
    bool LoopUntil(const std::function<bool()>& done, DWORD limitMs);
    // Whether Winamp is inside a message it sent itself (its own routines wait for it).
    bool InsideOwnSend() const { return depth_ > 0; }

    FakeWinampOptions options;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Answer(UINT m, WPARAM w, LPARAM l);
    const FakeEntry* Entry(WPARAM position) const;
    void Perform(int event);
    HWND hwnd_ = nullptr;
    int depth_ = 0;
    std::vector<HostMessage> received_;
    std::vector<std::string> tagQueries_;
    std::wstring wideAnswer_; // the last Unicode answer, good until the next request
};

// Compares what the host received (less the messages the system sends on its own) with an
// expected sequence ended by {0}; on a mismatch both sequences are printed side by side.
void ExpectHostSeq(FakeWinamp& host, const HostMsg* expected, const char* name);

// Pumps the calling thread's message queue until it is empty.
void PumpMessages();
