// The player: loads the plugin DLL as Winamp does, plays a short scripted playlist and prints
// what every client's status form shows after each update, then quits and shows the restored
// statuses. With --soak N it instead changes tracks N times and prints resource figures.
//
// With --hang-client a third client, hung for the whole run, stands beside them. With
// --existing-clients it starts no clients of its own and prints nothing: it plays the first N
// tracks (--tracks N) beside whatever clients run, then quits, or with --end-without-quit ends
// its process at once, as a Winamp that crashes or is killed (exit code 3).
//
//   player.exe --dll PATH [--set Key=Value]... [--delay N] [--soak N] [--hang-client]
//              [--existing-clients [--tracks N] [--end-without-quit]] [--slow-clock X]
// --slow-clock X runs the plugin's clock X times slower (the tests on a slow machine).
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/player.h"
#include "common/client_process.h"

namespace {
// The plugin's texts are in the ANSI code page; the terminal reading us wants UTF-8.
std::string Utf8(const std::string& ansi) {
    if (ansi.empty()) return {};
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    std::string out(wide.size() * 4, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                   out.data(), static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::string OneLine(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '\r') continue;
        r += c == '\n' ? std::string(" / ") : std::string(1, c);
    }
    return r;
}

void Say(const std::string& ansiLine) {
    const std::string line = Utf8(ansiLine) + "\n";
    fwrite(line.data(), 1, line.size(), stdout);
    fflush(stdout);
}

// One fake QIP and one fake R&Q client, each in a process of its own, showing a status of
// their own before the plugin starts.
struct DemoClients {
    FakeClientProcess qip, rnq;
    bool Start() {
        if (!qip.running() || !rnq.running()) return false;
        qip.Qip("qip");
        qip.Select("qip.combo", 5);
        qip.SetText("qip.edit2", "Работаю");
        qip.SetText("qip.edit1", "В офисе");
        rnq.Rnq("rnq");
        rnq.SetText("rnq.edit1", "Занят");
        rnq.SetText("rnq.memo1", "Обед");
        return true;
    }
};

// "pic=11|status=...|long=..." as a readable line.
std::string Readable(const std::string& shows) {
    std::string r = shows;
    if (r.rfind("pic=-1|", 0) == 0) r.replace(0, 6, "pic=none");
    for (const char* from : {"pic=", "|status=", "|long="}) {
        const size_t at = r.find(from);
        if (at == std::string::npos) continue;
        const std::string to = std::string(from) == "pic="       ? "picture "
                               : std::string(from) == "|status=" ? ", status \""
                                                                 : "\", long status \"";
        r.replace(at, strlen(from), to);
    }
    return OneLine(r) + "\"";
}

void ShowClients(DemoClients& clients, const char* indent) {
    Say(std::string(indent) + "QIP: " + Readable(clients.qip.State("qip.form").applied));
    Say(std::string(indent) + "R&Q: " + Readable(clients.rnq.State("rnq.form").applied));
}

struct Resources {
    DWORD user = 0, gdi = 0, handles = 0;     // as the system reports them (Wine reports 0)
    DWORD handleCensus = 0, windowCensus = 0; // counted by walking handle values and windows
    DWORD threads = 0;                        // threads of this process
};

DWORD ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    DWORD n = 0;
    THREADENTRY32 e{};
    e.dwSize = sizeof e;
    for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
        if (e.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
}

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<DWORD*>(lp);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND h, LPARAM lp) {
    ++*reinterpret_cast<DWORD*>(lp);
    EnumChildWindows(h, CountChild, lp);
    return TRUE;
}

Resources Measure() {
    // Let threads that finished their work (the plugin's probes of the clients) end first.
    Sleep(300);
    Resources r;
    r.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    r.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &r.handles);
    DWORD flags = 0;
    for (ULONG_PTR v = 4; v < 0x20000; v += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++r.handleCensus;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&r.windowCensus));
    r.threads = ThreadCount();
    return r;
}

int Soak(Player& player, const std::string& dll, int changes, int delay, bool hangClient) {
    // A third client that hangs before the plugin starts and stays hung for the whole run.
    FakeClientProcess hung;
    if (hangClient) {
        if (!hung.running()) return 2;
        hung.Qip("hung");
        hung.Hang(24 * 60 * 60 * 1000);
    }
    if (!player.Load(dll)) return 2;
    // The first update loads what the system loads once per process; measure from there.
    player.PlayAndSettle(0, delay);
    const Resources before = Measure();
    const DWORD start = GetTickCount();
    Resources half;
    for (int i = 1; i <= changes; ++i) {
        player.PlayAndSettle(static_cast<size_t>(i) % 3, delay);
        if (i == changes / 2) half = Measure();
    }
    const DWORD elapsed = GetTickCount() - start;
    const Resources after = Measure();
    player.Close();
    const PluginImportCounts counts = player.imports();
    printf("soak: %d track changes with an update each against a QIP and an R&Q client, %lu ms "
           "(%.3f ms per update)\n",
           changes, elapsed, changes ? static_cast<double>(elapsed) / changes : 0.0);
    printf("  LocalAlloc %ld, LocalFree %ld, outstanding after quit %ld\n", counts.localAlloc,
           counts.localFree, counts.localAlloc - counts.localFree);
    printf("  tray icons added %ld, deleted %ld, tooltip refreshes %ld\n", counts.iconsAdded,
           counts.iconsDeleted, counts.iconsModified);
    printf("  USER objects %lu -> %lu, GDI objects %lu -> %lu, handles %lu -> %lu (system)\n",
           before.user, after.user, before.gdi, after.gdi, before.handles, after.handles);
    printf("  open handles %lu -> %lu -> %lu, windows of this thread %lu -> %lu -> %lu "
           "(census: start, half-way, end)\n",
           before.handleCensus, half.handleCensus, after.handleCensus, before.windowCensus,
           half.windowCensus, after.windowCensus);
    // Whatever the system creates once (a thread pool's objects, say) shows as a step, not as
    // growth: the second half of the run must not add anything.
    printf("  threads %lu -> %lu -> %lu (start, half-way, end)%s\n", before.threads, half.threads,
           after.threads, hangClient ? ", with one client hung all along" : "");
    if (hangClient) hung.Kill();
    const bool clean = counts.localAlloc == counts.localFree &&
                       half.handleCensus == after.handleCensus &&
                       before.windowCensus == after.windowCensus && half.threads == after.threads;
    printf("  %s\n",
           clean ? "no growth: heap allocations all released, handles and windows steady" : "LEAK");
    return clean ? 0 : 1;
}
int PlayBeside(Player& player, const std::string& dll, int tracks, int delay, bool endWithoutQuit) {
    if (!player.Load(dll)) return 2;
    for (int i = 0; i < tracks; ++i)
        player.PlayAndSettle(static_cast<size_t>(i) % player.playlist.size(), delay);
    if (endWithoutQuit) TerminateProcess(GetCurrentProcess(), 3); // no quit, no unload
    player.Close();
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    std::string dll;
    int delay = 10, soak = 0;
    bool hangClient = false, existingClients = false, endWithoutQuit = false;
    int tracks = 3;
    double slowClock = 1.0;
    std::vector<std::pair<std::string, std::string>> settings;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--dll" && more)
            dll = argv[++i];
        else if (a == "--delay" && more)
            delay = atoi(argv[++i]);
        else if (a == "--soak" && more)
            soak = atoi(argv[++i]);
        else if (a == "--hang-client")
            hangClient = true;
        else if (a == "--existing-clients")
            existingClients = true;
        else if (a == "--end-without-quit")
            endWithoutQuit = true;
        else if (a == "--tracks" && more)
            tracks = atoi(argv[++i]);
        else if (a == "--slow-clock" && more)
            slowClock = atof(argv[++i]);
        else if (a == "--set" && more) {
            const std::string kv = argv[++i];
            const size_t eq = kv.find('=');
            if (eq != std::string::npos) settings.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
        }
    }
    if (dll.empty()) {
        fprintf(stderr, "usage: player --dll PATH [--set Key=Value]... [--delay N] [--soak N]\n");
        return 2;
    }
    settings.emplace_back("DelayV", std::to_string(delay));
    for (const auto& [key, value] : settings)
        PresetPluginSetting(dll, key, value);

    Player player;
    player.playlist = DemoPlaylist();
    player.clockSlowness = slowClock;
    if (existingClients) return PlayBeside(player, dll, tracks, delay, endWithoutQuit);
    DemoClients clients;
    if (!clients.Start()) {
        fprintf(stderr, "cannot start the fake clients\n");
        return 2;
    }
    if (soak > 0) return Soak(player, dll, soak, delay, hangClient);

    Say("The clients before Winamp starts:");
    ShowClients(clients, "  ");
    if (!player.Load(dll)) {
        fprintf(stderr, "cannot load %s\n", dll.c_str());
        return 2;
    }
    for (size_t i = 0; i < player.playlist.size(); ++i) {
        Say("");
        Say("Track " + std::to_string(i + 1) + ": " + player.playlist[i].title);
        // What Winamp does at a start, then a modern skin's polls of the play time.
        player.Play(i);
        player.Loop();
        player.Tick(delay - 1);
        Say("  after Winamp's own messages and " + std::to_string(delay - 1) + " polls of a skin:");
        ShowClients(clients, "  ");
        Say("  tray tooltip: \"" + OneLine(player.TrayTip()) + "\"");
    }
    Say("");
    Say("Winamp quits; the clients show their own statuses again:");
    player.Close();
    ShowClients(clients, "  ");
    return 0;
}
