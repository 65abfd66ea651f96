// Start-up, switching on and off, and shut-down against a fake Winamp main window.
#include <gtest/gtest.h>

#include "common/fake_winamp.h"
#include "common/files.h"
#include "common/plugin_fixture.h"
#include "plugin/gen_Lumtra.h"
#include "host/wa_ipc.h"
#include "plugin/window_proc.h"
#include "settings/settings.h"

namespace {
// A window's procedure as a subclasser of the given kind sees it: one set with the other kind's
// function shows as a stand-in address.
WNDPROC ProcOf(HWND h, bool wide) {
    return reinterpret_cast<WNDPROC>(wide ? GetWindowLongPtrW(h, GWLP_WNDPROC)
                                          : GetWindowLongPtrA(h, GWLP_WNDPROC));
}

class LifecycleTest : public PluginTest {
  protected:
    explicit LifecycleTest(bool unicodeHost = true) : host(HostOptions(unicodeHost)) {}
    static FakeWinampOptions HostOptions(bool unicode) {
        FakeWinampOptions o;
        o.unicode = unicode;
        return o;
    }
    void SetUp() override {
        PluginTest::SetUp();
        plugin.hwndParent = host.hwnd();
    }
    WNDPROC CurrentProc() const { return ProcOf(host.hwnd(), host.options.unicode); }
    void StoreEnable(const char* value) {
        WriteFileBytes(ini, std::string("[Winamp to ICQ client status_Russian]\r\nEnable.Value=") +
                                value + "\r\n");
    }
    FakeWinamp host;
};

// Another program's subclass installed after ours, the way such code usually unhooks, with the
// functions of either kind whatever the window's own.
WNDPROC secondNext = nullptr;
bool secondWide = false;
int secondSeen = 0;
LRESULT CALLBACK SecondSubclasser(HWND h, UINT m, WPARAM w, LPARAM l) {
    ++secondSeen;
    return secondWide ? CallWindowProcW(secondNext, h, m, w, l)
                      : CallWindowProcA(secondNext, h, m, w, l);
}
WNDPROC SetSecondProc(HWND h, WNDPROC proc) {
    const auto value = reinterpret_cast<LONG_PTR>(proc);
    return reinterpret_cast<WNDPROC>(secondWide ? SetWindowLongPtrW(h, GWLP_WNDPROC, value)
                                                : SetWindowLongPtrA(h, GWLP_WNDPROC, value));
}

struct HostKinds {
    bool unicodeHost; // Winamp 5; false: Winamp 2.x
    bool wideSubclasser;
};
class HostKindTest : public LifecycleTest, public ::testing::WithParamInterface<HostKinds> {
  protected:
    HostKindTest() : LifecycleTest(GetParam().unicodeHost) {}
};
class HostTitleTest : public LifecycleTest, public ::testing::WithParamInterface<bool> {
  protected:
    HostTitleTest() : LifecycleTest(GetParam()) {}
};
} // namespace

TEST_F(LifecycleTest, TheRecordBeforeInit) {
    TwinampGeneralPurposePlugin* p = winampGetGeneralPurposePlugin();
    plugin.hwndParent = nullptr;
    plugin.hDllInstance = nullptr;
    ASSERT_EQ(&plugin, p);
    EXPECT_EQ(16, p->version);
    EXPECT_STREQ("Winamp to ICQ client status", p->description);
    EXPECT_EQ(&init, p->init);
    EXPECT_EQ(&config, p->config);
    EXPECT_EQ(&quit, p->quit);
    EXPECT_EQ(nullptr, p->hwndParent);
    EXPECT_EQ(nullptr, p->hDllInstance);
    EXPECT_EQ(p, winampGetGeneralPurposePlugin());
}

TEST_F(LifecycleTest, InitWithoutFileHooksAndQuitPutsTheHostBack) {
    host.options.version = 0x2000;
    EXPECT_EQ(0, init());
    EXPECT_EQ(0x2000, defPS.WinampVer);
    EXPECT_EQ(0x2000, ps.WinampVer);
    EXPECT_EQ(&WindowProc, CurrentProc());
    EXPECT_EQ(FakeWinamp::HostProc(), lpWndProcOld);
    EXPECT_FALSE(FileExists(ini)); // init never writes

    // Winamp keeps answering through the hook.
    EXPECT_EQ(0x2000, SendMessageA(host.hwnd(), WM_WA_IPC, 0, IPC_GETVERSION));

    quit();
    EXPECT_EQ(FakeWinamp::HostProc(), CurrentProc());
    EXPECT_EQ(nullptr, lpWndProcOld);
    EXPECT_EQ("0", ps.DlgControlsV[IDC_Enable]);
    // The file keeps the user's choice, not the "0" used to switch off.
    EXPECT_NE(std::string::npos, ReadFileBytes(ini).find("Enable.Value=1\r\n"));
    EXPECT_EQ(0x2000, SendMessageA(host.hwnd(), WM_WA_IPC, 0, IPC_GETVERSION));
}

TEST_F(LifecycleTest, StoredEnableZeroInstallsNoHook) {
    StoreEnable("0");
    init();
    EXPECT_EQ(FakeWinamp::HostProc(), CurrentProc());
    EXPECT_EQ(nullptr, lpWndProcOld);
    quit();
    EXPECT_NE(std::string::npos, ReadFileBytes(ini).find("Enable.Value=0\r\n"));
}

TEST_F(LifecycleTest, ApplyingTwiceHooksOnce) {
    init();
    config_apply();
    config_apply();
    EXPECT_EQ(FakeWinamp::HostProc(), lpWndProcOld);
    EXPECT_EQ(&WindowProc, CurrentProc());
    host.received().clear();
    SendMessageA(host.hwnd(), WM_USER + 77, 1, 2);
    ASSERT_EQ(1u, host.received().size()); // exactly once through the chain
    quit();
}

TEST_P(HostTitleTest, TheHostKeepsItsKindAndItsTitleWhileHookedAndAfterQuit) {
    const bool unicode = GetParam();
    const HWND h = host.hwnd();
    // A title outside the ANSI code page survives only in a window left a Unicode one.
    const std::wstring title = unicode ? L"1. Bj\u00f6rk \u2013 J\u00f3ga \u65e5\u672c - Winamp"
                                       : L"1. \u0411\u044c\u043e\u0440\u043a - Winamp";
    init();
    ASSERT_EQ(&WindowProc, CurrentProc());
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(unicode, IsWindowUnicode(h) != FALSE) << "round " << round;
        ASSERT_TRUE(SetWindowTextW(h, title.c_str()));
        wchar_t back[128] = {};
        GetWindowTextW(h, back, 128);
        EXPECT_EQ(title, back) << "round " << round;
        quit(); // the second round runs unhooked
        EXPECT_EQ(FakeWinamp::HostProc(), CurrentProc());
    }
}

TEST_P(HostKindTest, SwitchingOffBehindASecondSubclasserStaysInTheChain) {
    const HWND h = host.hwnd();
    secondWide = GetParam().wideSubclasser;
    init();
    secondSeen = 0;
    const WNDPROC below = ProcOf(h, secondWide);
    secondNext = SetSecondProc(h, &SecondSubclasser);
    ASSERT_EQ(below, secondNext);

    // Switched off in the dialog (after quit nothing would be applied again).
    ps.DlgControlsV[IDC_Enable] = "0";
    config_apply();
    // Our saved pointer was not written over the other subclasser.
    EXPECT_EQ(&SecondSubclasser, ProcOf(h, secondWide));
    EXPECT_FALSE(HookWorking());
    EXPECT_EQ(0x5666, SendMessageA(h, WM_WA_IPC, 0, IPC_GETVERSION));
    EXPECT_EQ(1, secondSeen);

    // When it unhooks, it puts us back; we only pass messages on to Winamp.
    SetSecondProc(h, secondNext);
    host.received().clear();
    EXPECT_EQ(0x5666, SendMessageA(h, WM_WA_IPC, 0, IPC_GETVERSION));
    EXPECT_EQ(1u, host.received().size());

    // Switching on again resumes the work without a second hook.
    ps.DlgControlsV[IDC_Enable] = "1";
    config_apply();
    EXPECT_TRUE(HookWorking());
    EXPECT_EQ(FakeWinamp::HostProc(), lpWndProcOld);
    // Now on top again, switching off restores Winamp's own procedure, and its kind.
    ps.DlgControlsV[IDC_Enable] = "0";
    config_apply();
    EXPECT_EQ(FakeWinamp::HostProc(), CurrentProc());
    EXPECT_EQ(nullptr, lpWndProcOld);
    EXPECT_EQ(GetParam().unicodeHost, IsWindowUnicode(h) != FALSE);
}

INSTANTIATE_TEST_SUITE_P(Kinds, HostTitleTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "UnicodeHost" : "AnsiHost");
});
INSTANTIATE_TEST_SUITE_P(Kinds, HostKindTest,
                         ::testing::Values(HostKinds{true, true}, HostKinds{true, false},
                                           HostKinds{false, false}, HostKinds{false, true}),
                         [](const auto& info) {
                             return std::string(info.param.unicodeHost ? "UnicodeHost"
                                                                       : "AnsiHost") +
                                    (info.param.wideSubclasser ? "_WideSubclasser"
                                                               : "_AnsiSubclasser");
                         });

TEST_F(LifecycleTest, QuitAfterTheHostWindowIsGoneStillStores) {
    init();
    host.Destroy();
    quit();
    EXPECT_EQ(nullptr, lpWndProcOld);
    EXPECT_NE(std::string::npos, ReadFileBytes(ini).find("Enable.Value=1\r\n"));
}

TEST_F(LifecycleTest, QuitWithoutInitLeavesTheFileAlone) {
    const std::string before = "[Winamp to ICQ client status_Russian]\r\nDelayV.Value=4\r\n";
    WriteFileBytes(ini, before);
    quit();
    EXPECT_EQ(before, ReadFileBytes(ini));
    EXPECT_EQ(FakeWinamp::HostProc(), CurrentProc());
}

TEST_F(LifecycleTest, ConfigWithoutADialogResourceReturns) {
    init();
    plugin.hDllInstance = GetModuleHandleA("kernel32.dll"); // holds no dialog 101
    config();
    plugin.hDllInstance = GetModuleHandleA(nullptr);
    quit();
}
