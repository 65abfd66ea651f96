// A small player that loads the plugin DLL exactly as Winamp loads a general-purpose plugin and
// plays a scripted playlist through its main window. Used by the demo, the soak run and the
// end-to-end tests.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct PlayerTrack {
    std::string file;                        // full path, as the playlist holds it
    std::string title;                       // the playlist title Winamp shows
    std::map<std::string, std::string> tags; // metadata name (upper case) -> text
    // What the Unicode requests answer where it holds more than the ANSI texts (empty: those
    // converted from the code page), in UTF-8.
    std::string titleU8{};
    std::map<std::string, std::string> tagsU8{};
};

// What the plugin asked of the system through its imports, counted by patching them.
struct PluginImportCounts {
    long localAlloc = 0;
    long localFree = 0;
    long iconsAdded = 0;
    long iconsDeleted = 0;
    long iconsModified = 0;
    std::string debugOutput; // what it said with OutputDebugStringA
};

class Player {
  public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // LoadLibrary, winampGetGeneralPurposePlugin, fill window and instance, init.
    // The path in the ANSI code page, or in UTF-8 with dllPathCodePage set so (a folder named in
    // an alphabet the code page lacks).
    bool Load(const std::string& dllPath);
    UINT dllPathCodePage = CP_ACP;
    // Winamp's normal close: its main window goes first, then quit, then FreeLibrary.
    void Close();
    // Opens the plugin's settings, as Winamp's "Configure" does.
    void Configure();
    // Only the plugin's quit (as Windows shutting down makes Winamp call it), and only the
    // unload, each on its own.
    void Quit();
    void Unload();

    // Winamp's own events, the loop and where Winamp is: as FakeWinamp's (common/fake_winamp.h).
    void Play(size_t index);
    void Next();
    void Pause();
    void Resume();
    void Stop();
    void ShowTitle(const std::string& title);
    void StartStream(const std::string& address);
    void Loop();
    bool LoopUntil(const std::function<bool()>& done, DWORD limitMs);
    bool InsideOwnSend() const { return depth_ > 0; }
    // Another plugin's traffic: a modern skin asks for the play time many times a second (each
    // counts the plugin's delay down), then the loop goes round.
    void Tick(int count);
    // Plays an entry, with a modern skin's polls, until an update with the given delay has run.
    void PlayAndSettle(size_t index, int delay);
    // The current entry takes a new title (a stream's next song), or the player pauses (3),
    // stops (0) or plays again (1), however it came: Winamp posts its word of it, and the loop
    // delivers it.
    void Retitle(const std::string& title);
    void ChangePlayState(int state);

    HWND window() const { return hwnd_; }
    HMODULE module() const { return dll_; }
    // The tooltip the shell was last given, in the ANSI code page, and exactly in UTF-8.
    std::string TrayTip() const;
    std::string TrayTipU8() const;
    const PluginImportCounts& imports() const;

    // What a message sent to the window asks of the player, as Winamp reacts to it: WM_ENDSESSION
    // calls the plugin's quit (Windows shutting down), then unloads it when unloadAtEndSession is
    // set; ConfigureMessage opens the plugin's settings.
    static constexpr UINT ConfigureMessage = WM_APP + 1;
    bool unloadAtEndSession = false;

    std::vector<PlayerTrack> playlist;
    int version = 0x5666;
    // The answer to the request for the host's settings folder: a pointer to its path, or
    // anything a host may answer (0, 1 for a request it does not know).
    LRESULT iniDirectoryAnswer = 0;
    LRESULT iniDirectoryAnswerW = 0; // IPC_GETINIDIRECTORYW (0: a host that does not know it)
    int playState = 1;               // 1 playing, 3 paused, 0 stopped
    // Set before Load: the plugin's clock (GetTickCount) runs this many times slower than the
    // real one, which stretches every time budget it measures, as the client tests stretch their
    // limits on a slow machine (see MachineSlowness).
    double clockSlowness = 1.0;
    size_t position = 0;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnIpc(WPARAM wParam, LPARAM lParam);
    void Perform(int event);
    HWND hwnd_ = nullptr;
    int depth_ = 0;
    HMENU menu_ = nullptr;
    std::wstring wideAnswer_; // the last Unicode answer, good until the next request
    HMODULE dll_ = nullptr;
    struct TwinampGeneralPurposePlugin* plugin_ = nullptr;
};

// Writes settings into the plugin's INI file beside the DLL before it is loaded
// ("Key.Value" = text in the Russian section).
void PresetPluginSetting(const std::string& dllPath, const std::string& key,
                         const std::string& value);

// The player in a process of its own beside the test's clients (--existing-clients, a delay of
// 3), the plugin's clock slowed as in a Player; its exit code.
DWORD RunPlayerProcess(const std::string& dll, const std::string& options, double slowness);

// A short playlist with Latin and Cyrillic tags.
std::vector<PlayerTrack> DemoPlaylist();
