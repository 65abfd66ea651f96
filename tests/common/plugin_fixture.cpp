#include "common/plugin_fixture.h"

#include "common/files.h"
#include "clients/journal.h"
#include "plugin/gen_Lumtra.h"
#include "settings/places.h"
#include "settings/settings.h"
#include "windows/desktop.h"

namespace {
// The real tray is left alone: under Wine every icon added and removed costs seconds, and tests
// that look at the tray record the calls themselves.
BOOL WINAPI QuietTray(DWORD, PNOTIFYICONDATAW) {
    return TRUE;
}
} // namespace

void PluginTest::SetUp() {
    LoadTimeInit();
    Desktop = RealDesktop();
    Desktop.Shell_NotifyIconW = &QuietTray;
    plugin.hDllInstance = GetModuleHandleA(nullptr);
    ini = IniFileName();
    DeleteOwnFiles();
}

// Beside the library and in the per-user folder.
void PluginTest::DeleteOwnFiles() {
    for (const char* ending : {".ini", ".statuses.txt"}) {
        const TFilePlaces places = PlacesOf(ending);
        DeleteFileIfAny(places.library);
        if (!places.user.empty()) DeleteFileIfAny(places.user);
    }
}

void PluginTest::TearDown() {
    // A test that left the hook in place must not leave it pointing at a dead window.
    lpWndProcOld = nullptr;
    Desktop = RealDesktop();
    DeleteOwnFiles();
}
