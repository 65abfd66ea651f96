// The real DLL, loaded the way Winamp loads a general-purpose plugin.
#include <gtest/gtest.h>

#include "common/fake_winamp.h"
#include "common/files.h"
#include "plugin/gen_Lumtra.h"
#include "host/wa_ipc.h"

namespace {
using GetPlugin = TwinampGeneralPurposePlugin* (*)();

const std::string DllPath = WinPath(LUMTRA_DLL);

WNDPROC otherNext = nullptr;
LRESULT CALLBACK OtherSubclasser(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcA(otherNext, h, m, w, l);
}

TwinampGeneralPurposePlugin* Start(HMODULE dll, HWND host) {
    auto get = reinterpret_cast<GetPlugin>(
        reinterpret_cast<void*>(GetProcAddress(dll, "winampGetGeneralPurposePlugin")));
    if (!get) return nullptr;
    TwinampGeneralPurposePlugin* p = get();
    p->hwndParent = host;
    p->hDllInstance = dll;
    p->init();
    return p;
}

WNDPROC ProcOf(HWND h) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC));
}
} // namespace

// Runs first: once a DLL is pinned it stays for the rest of this process.
TEST(RealDll, LoadsInitsQuitsAndUnloadsCleanly) {
    FakeWinamp host;
    HMODULE dll = LoadLibraryA(DllPath.c_str());
    ASSERT_NE(nullptr, dll) << DllPath;
    TwinampGeneralPurposePlugin* p = Start(dll, host.hwnd());
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(16, p->version);
    EXPECT_STREQ("Winamp to ICQ client status", p->description);
    EXPECT_NE(FakeWinamp::HostProc(), ProcOf(host.hwnd())); // hooked
    EXPECT_EQ(0x5666, SendMessageA(host.hwnd(), WM_WA_IPC, 0, IPC_GETVERSION));

    host.Destroy(); // Winamp destroys its window before it calls quit
    p->quit();
    const std::string ini = DllPath + ".ini";
    EXPECT_NE(std::string::npos, ReadFileBytes(ini).find("Enable.Value=1\r\n"));
    FreeLibrary(dll);
    EXPECT_EQ(nullptr, GetModuleHandleA(DllPath.c_str()));
    DeleteFileIfAny(ini);
}

TEST(RealDll, StaysLoadedWhenLeftInTheChainBehindAnotherSubclasser) {
    FakeWinamp host;
    HMODULE dll = LoadLibraryA(DllPath.c_str());
    ASSERT_NE(nullptr, dll);
    TwinampGeneralPurposePlugin* p = Start(dll, host.hwnd());
    ASSERT_NE(nullptr, p);
    otherNext = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OtherSubclasser)));
    p->quit();
    FreeLibrary(dll);
    // The other subclasser still calls into the plugin's procedure: it must still be there.
    EXPECT_NE(nullptr, GetModuleHandleA(DllPath.c_str()));
    EXPECT_EQ(0x5666, SendMessageA(host.hwnd(), WM_WA_IPC, 0, IPC_GETVERSION));
    SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(otherNext));
    EXPECT_EQ(0x5666, SendMessageA(host.hwnd(), WM_WA_IPC, 0, IPC_GETVERSION));
    DeleteFileIfAny(DllPath + ".ini");
}
