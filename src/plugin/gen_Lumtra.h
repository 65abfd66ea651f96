// The plugin's face towards Winamp: the record it hands out, the entry points and the
// operation that brings the running plugin in line with its settings.
#pragma once
#include <windows.h>
#include "host/plugin_record.h"

extern WNDPROC lpWndProcOld; // Winamp's own procedure while ours is installed
// Whether lpWndProcOld was taken with the W functions: Winamp 5's window is a Unicode window, and
// only the functions of its own kind leave it one (the A ones would pass its title, and every
// other text it handles, through the ANSI code page).
extern bool lpWndProcOldWide;

extern "C" TwinampGeneralPurposePlugin* winampGetGeneralPurposePlugin();

int init();
void config();
void quit();
void config_apply();
// Whether quit has run and no init since: nothing is then applied.
bool PluginStopped();

// Whether WindowProc is to do the plugin's work, or only pass messages on because it was left
// in the chain behind another subclasser when the plugin was switched off.
bool HookWorking();

// Marks plugin code on Winamp's stack for as long as it lives (the hook, the dialog): a quit that
// arrives below it pins the library, since Winamp may unload it right after quit returns and
// would then return into code that is gone.
class TPluginOnStack {
  public:
    TPluginOnStack();
    ~TPluginOnStack();
    TPluginOnStack(const TPluginOnStack&) = delete;
    TPluginOnStack& operator=(const TPluginOnStack&) = delete;
};

// What the library does when it is loaded.
void LoadTimeInit();
