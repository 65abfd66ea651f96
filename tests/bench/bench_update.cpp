// The cost of one update of the clients (SetText) against its floor: a replay that sends the
// clients exactly the messages they received in such an update, and shows the same panels,
// nothing else. Both are measured in the same run, interleaved round by round, for a steady
// update (the clients already show the status) and a changing one (a new long status each time),
// with 10, 100 and 1000 unrelated top-level windows beside one QIP and one R&Q client, then with
// ten of each. Each client kind runs in a process of its own, as the real messengers do.
// Prints, per case, the median of the per-round ratios, then the worst of them.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "clients/clients.h"
#include "common/client_process.h"
#include "common/texts.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"

namespace {
// Rounds per case, each of one update and one replay.
constexpr int Rounds = 75;
constexpr char SteadyLongStatus[] = "Artist - Title";

// One message a client received from the plugin, ready to be sent again.
struct Replayed {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text; // what a WM_SETTEXT carried, in UTF-8
    bool wide;        // a Unicode window, which the plugin sends its texts in the wide form
};

// What the clients receive in one update: the floor of its cost.
struct Floor {
    std::vector<Replayed> messages;
    std::vector<HWND> panels; // shown asynchronously, one ShowWindowAsync each
    int texts = 0;            // WM_SETTEXT among the messages
};

struct Clients {
    FakeClientProcess qip, rnq; // one process per client kind
    std::vector<FakeClient> made;
    std::map<std::string, HWND> byName;

    void Add(FakeClient c) {
        for (const auto& [name, h] : c.windows)
            byName[name] = h;
        made.push_back(std::move(c));
    }
    void Forget() {
        qip.Records();
        rnq.Records();
    }
};

// The messages the plugin sends to read or change a client; anything else a client's window
// records (from the system, say) is not part of the floor.
bool PluginMessage(UINT m) {
    switch (m) {
    case WM_NULL:
    case WM_GETTEXTLENGTH:
    case WM_GETTEXT:
    case WM_SETTEXT:
    case CB_GETCURSEL:
    case CB_SETCURSEL:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSCOMMAND: return true;
    default: return false;
    }
}

// The messages a client received since the last look, as they would be sent again.
std::vector<Replayed> Received(Clients& c) {
    std::vector<Replayed> got;
    for (FakeClientProcess* p : {&c.qip, &c.rnq}) {
        for (const ClientRecord& r : p->Records()) {
            if (!r.sent || !PluginMessage(r.message)) continue;
            auto it = c.byName.find(r.window);
            if (it != c.byName.end())
                got.push_back({it->second, r.message, r.wParam, r.lParam, r.textU8,
                               IsWindowUnicode(it->second) != FALSE});
        }
    }
    return got;
}

wchar_t replyBuffer[64 * 1024 + 2];

void Replay(const Floor& f) {
    for (const Replayed& m : f.messages) {
        WPARAM w = m.wParam;
        LPARAM l = m.lParam;
        // The text as the plugin sends it: wide to a Unicode window, ANSI to an ANSI one.
        const std::string ansi = m.wide ? std::string() : Recode(m.text, CP_UTF8, CP_ACP);
        const std::wstring wide = m.wide ? Wide(m.text) : std::wstring();
        if (m.message == WM_SETTEXT)
            l = m.wide ? reinterpret_cast<LPARAM>(wide.c_str())
                       : reinterpret_cast<LPARAM>(ansi.c_str());
        if (m.message == WM_GETTEXT) {
            w = std::min<WPARAM>(w, m.wide ? std::size(replyBuffer) : sizeof replyBuffer);
            l = reinterpret_cast<LPARAM>(replyBuffer);
        }
        // The plugin asks another program for a text's length in the wide form (the ANSI one is
        // not bounded under Wine), and so does the replay: Wine answers the ANSI form by asking
        // the window for its text as well, a message the plugin does not send.
        if (m.message == WM_GETTEXTLENGTH || m.wide)
            SendMessageW(m.window, m.message, w, l);
        else
            SendMessageA(m.window, m.message, w, l);
    }
    for (HWND panel : f.panels)
        ShowWindowAsync(panel, SW_SHOW);
}

bool SameMessages(const std::vector<Replayed>& a, const std::vector<Replayed>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].window != b[i].window || a[i].message != b[i].message ||
            a[i].wParam != b[i].wParam || a[i].text != b[i].text)
            return false;
    return true;
}

template <class Update> Floor RecordFloor(Clients& c, Update&& update) {
    c.Forget();
    update();
    Floor f;
    f.messages = Received(c);
    for (const Replayed& m : f.messages)
        if (m.message == WM_SETTEXT) ++f.texts;
    // The plugin shows every panel of a QIP form but the last one it meets at each look over
    // the form; the fake QIP has one panel before its "OK" panel, looked over once per update.
    for (const FakeClient& client : c.made)
        if (HWND pan = client["pan1"]) f.panels.push_back(pan);
    // The replay must give the clients what the update gave them, no more and no less.
    Replay(f);
    if (!SameMessages(f.messages, Received(c)))
        std::printf("the replay does not send what the update sent\n");
    return f;
}

double Now() {
    LARGE_INTEGER freq, t;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

template <class F> double Seconds(F&& f) {
    const double start = Now();
    f();
    return Now() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Result {
    double ratio, update, floor;
};

// Rounds of one update and one replay of its floor, each round in the other order than the one
// before, so that a machine busy with something else slows both alike. A round is a single update:
// a batch of them would let a stretch of load meet one side only, and the per-round ratios spread
// so far that the median of a case moved by a twentieth from run to run.
template <class Update> Result Measure(Clients& c, int rounds, Update&& update, const Floor& f) {
    std::vector<double> ratios, updates, floors;
    for (int r = 0; r < rounds; ++r) {
        double u = 0, fl = 0;
        if (r % 2) fl = Seconds([&] { Replay(f); });
        u = Seconds(update);
        if (!(r % 2)) fl = Seconds([&] { Replay(f); });
        ratios.push_back(u / fl);
        updates.push_back(u);
        floors.push_back(fl);
        c.Forget(); // keeps the clients' own record small
    }
    return {Median(ratios), Median(updates), Median(floors)};
}

BOOL CALLBACK CountOne(HWND, LPARAM l) {
    ++*reinterpret_cast<int*>(l);
    return TRUE;
}

int TopLevelCount() {
    int n = 0;
    EnumWindows(CountOne, reinterpret_cast<LPARAM>(&n));
    return n;
}

double worst = 0;

void Report(const char* clients, int unrelated, const char* kind, const Floor& f, const Result& r) {
    worst = std::max(worst, r.ratio);
    std::printf("%s, %d unrelated windows, %s (update %.0f us, floor %.0f us, %zu messages, "
                "%d texts, %zu panels): update/floor = %.2f\n",
                clients, unrelated, kind, r.update * 1e6, r.floor * 1e6, f.messages.size(), f.texts,
                f.panels.size(), r.ratio);
    std::fflush(stdout);
}

void RunCase(Clients& c, const char* label, int unrelated, int rounds) {
    int serial = 0;
    auto steady = [] { SetText(); };
    auto changing = [&serial] {
        ps.LongStatus = std::string(SteadyLongStatus) + " " + std::to_string(++serial);
        SetText();
    };

    ps.LongStatus = SteadyLongStatus;
    SetText(); // every client shows the status from here on
    // Unless that update ran out of time (the emulated machine is slow enough with ten clients of
    // each kind): the updates go on until one only reads.
    Floor steadyFloor = RecordFloor(c, steady);
    for (int more = 0; steadyFloor.texts > 0 && more < 5; ++more)
        steadyFloor = RecordFloor(c, steady);
    if (steadyFloor.texts > 0) std::printf("the steady update still changes clients\n");
    Report(label, unrelated, "steady", steadyFloor, Measure(c, rounds, steady, steadyFloor));

    const Floor changingFloor = RecordFloor(c, changing);
    if (changingFloor.texts == 0) std::printf("the changing update changed nothing\n");
    Report(label, unrelated, "changing", changingFloor,
           Measure(c, rounds, changing, changingFloor));
}
// The plugin writes its files (the journal of stored statuses, before a client's first change in
// an update) beside its code, which for a user is Winamp's Plugins folder on a local disk. The
// emulated machine of tools/vm32 shares the build folder over a network file system, where each
// file the update writes holds up Wine's server (which opens files for every process) for tens of
// milliseconds. So the benchmark runs as a copy in a folder of the local temporary directory,
// beside a copy of the fake clients. Returns the copy's exit code, or -1 if it could not run.
int RunFromLocalCopy() {
    char self[MAX_PATH] = {}, temp[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, self, MAX_PATH) || !GetTempPathA(MAX_PATH, temp)) return -1;
    const std::string from(self, std::strrchr(self, '\\') + 1);
    const std::string dir =
        std::string(temp) + "lumtra-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string exe = dir + "bench_update.exe", helper = dir + "fake_clients.exe";
    int code = -1;
    // A folder a killed run left under the same process number is taken over.
    if ((CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) &&
        CopyFileA(self, exe.c_str(), FALSE) &&
        CopyFileA((from + "fake_clients.exe").c_str(), helper.c_str(), FALSE)) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        for (HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError})
            SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        std::string command = "\"" + exe + "\" --here";
        PROCESS_INFORMATION pi{};
        std::fflush(stdout);
        if (CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           dir.c_str(), &si, &pi)) {
            WaitForSingleObject(pi.hProcess, INFINITE);
            DWORD exitCode = 1;
            GetExitCodeProcess(pi.hProcess, &exitCode);
            code = static_cast<int>(exitCode);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    // Whatever the copy left there (its settings and journal) goes with it.
    WIN32_FIND_DATAA f;
    const HANDLE find = FindFirstFileA((dir + "*").c_str(), &f);
    if (find != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((dir + f.cFileName).c_str());
        while (FindNextFileA(find, &f));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
    return code;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--here") != 0) {
        const int code = RunFromLocalCopy();
        if (code >= 0) return code;
        std::printf("(could not run from a local copy: measured where it was built)\n");
    }
    LoadTimeInit();
    ps = defPS;
    ps.Picture = 11;
    ps.Status = U8(u8"Слушаю");
    ps.LongStatus = SteadyLongStatus;

    Clients c;
    FakeClientProcess noise;
    if (!c.qip.running() || !c.rnq.running() || !noise.running()) {
        std::fprintf(stderr, "fake_clients.exe did not start\n");
        return 1;
    }
    c.Add(c.qip.Qip("q1"));
    c.Add(c.rnq.Rnq("r1"));
    SetText(); // stores both
    // A while of updates before anything is timed: the Wine services started with the desktop
    // and the new processes settle meanwhile (the first case timed otherwise varies by 2-3x).
    for (const double until = Now() + 2; Now() < until;)
        SetText();

    int made = 0;
    for (int unrelated : {10, 100, 1000}) {
        noise.TopLevelWindows(unrelated - made, "LumtraNoise");
        made = unrelated;
        RunCase(c, "1 QIP + 1 R&Q", unrelated, Rounds);
    }
    for (int i = 2; i <= 10; ++i) {
        const std::string n = std::to_string(i);
        c.Add(c.qip.Qip(std::string("q") + n));
        c.Add(c.rnq.Rnq(std::string("r") + n));
    }
    SetText(); // stores the new ones
    RunCase(c, "10 QIP + 10 R&Q", made, Rounds * 3 / 5);
    std::printf("(%d top-level windows in all)\n", TopLevelCount());
    std::printf("worst update/floor = %.2f\n", worst);
    return 0;
}
