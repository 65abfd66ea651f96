// The cost of one update (SetText) with 10, 100 and 1000 unrelated top-level windows on the
// desktop beside one QIP and one R&Q client, each running in a process of its own. For scale,
// the cost of a bare enumeration that reads every top-level window's class name once.
#include <windows.h>

#include <cstdio>
#include <string>

#include "clients/clients.h"
#include "common/client_process.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"
#include "support/window_search.h"

namespace {
BOOL CALLBACK CountOne(HWND, LPARAM l) {
    ++*reinterpret_cast<int*>(l);
    return TRUE;
}

int TopLevelCount() {
    int n = 0;
    EnumWindows(CountOne, reinterpret_cast<LPARAM>(&n));
    return n;
}

template <class F> double MeanSeconds(int rounds, F&& f) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < rounds; ++i)
        f(i);
    QueryPerformanceCounter(&t1);
    return static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart) /
           rounds;
}

BOOL CALLBACK ReadClass(HWND h, LPARAM) {
    char c[256];
    GetClassNameA(h, c, sizeof c);
    return TRUE;
}

void BareEnumeration() { EnumWindows(ReadClass, 0); }

void BothSearches() {
    TWindowsAr forms = nilTWindowsAr;
    AddClassName(forms.szClass, "TCusForm");
    AddClassName(forms.szClass, "TxStatusForm");
    FindChildsWindows(nullptr, forms);
    TWindowsAr mains = nilTWindowsAr;
    AddClassName(mains.szClass, "TRnQmain");
    FindChildsWindows(nullptr, mains);
}
} // namespace

int main() {
    LoadTimeInit();
    ps = defPS;
    ps.Picture = 11;
    ps.Status = "Слушаю";
    ps.LongStatus = "Artist - Title";

    FakeClientProcess qip, rnq, noise;
    if (!qip.running() || !rnq.running() || !noise.running()) {
        std::fprintf(stderr, "fake_clients.exe did not start\n");
        return 1;
    }
    qip.Qip("q1");
    rnq.Rnq("r1");
    SetText(); // stores both and sets their status once

    std::printf("steady: the clients already show the status; changing: a new long status each "
                "update\n");
    std::printf("%9s %9s | %13s %13s | %13s %13s %13s\n", "unrelated", "top-level", "steady us/upd",
                "change us/upd", "searches us", "us/window", "bare enum us");
    int made = 0;
    for (int target : {10, 100, 1000}) {
        noise.TopLevelWindows(target - made, "LumtraNoise");
        made = target;
        const int windows = TopLevelCount();
        MeanSeconds(3, [](int) { SetText(); }); // warm up
        const double steady = MeanSeconds(30, [](int) { SetText(); });
        const double changing = MeanSeconds(15, [](int i) {
            ps.LongStatus = "Artist - Title " + std::to_string(i);
            SetText();
        });
        const double searches = MeanSeconds(30, [](int) { BothSearches(); });
        const double bare = MeanSeconds(30, [](int) { BareEnumeration(); });
        std::printf("%9d %9d | %13.0f %13.0f | %13.0f %13.1f %13.0f\n", target, windows,
                    steady * 1e6, changing * 1e6, searches * 1e6, searches * 1e6 / windows,
                    bare * 1e6);
    }
    return 0;
}
