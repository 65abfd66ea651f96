#include "common/plugin_fixture.h"

#include "common/files.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"

void PluginTest::SetUp() {
    LoadTimeInit();
    plugin.hDllInstance = GetModuleHandleA(nullptr);
    ini = IniFileName();
    DeleteFileIfAny(ini);
}

void PluginTest::TearDown() {
    // A test that left the hook in place must not leave it pointing at a dead window.
    lpWndProcOld = nullptr;
    DeleteFileIfAny(ini);
}
