// The plugin's face towards Winamp: the record it hands out, the entry points and the
// operation that brings the running plugin in line with its settings.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

inline constexpr int32_t GPPHDR_VER = 0x10;

// Winamp's general-purpose plugin record. In the 32-bit build it is seven 32-bit fields.
struct TwinampGeneralPurposePlugin {
    int32_t version;
    const char* description;
    int (*init)();
    void (*config)();
    void (*quit)();
    HWND hwndParent;
    HINSTANCE hDllInstance;
};
#ifndef _WIN64
static_assert(sizeof(TwinampGeneralPurposePlugin) == 28);
static_assert(offsetof(TwinampGeneralPurposePlugin, description) == 4);
static_assert(offsetof(TwinampGeneralPurposePlugin, init) == 8);
static_assert(offsetof(TwinampGeneralPurposePlugin, config) == 12);
static_assert(offsetof(TwinampGeneralPurposePlugin, quit) == 16);
static_assert(offsetof(TwinampGeneralPurposePlugin, hwndParent) == 20);
static_assert(offsetof(TwinampGeneralPurposePlugin, hDllInstance) == 24);
#endif

extern TwinampGeneralPurposePlugin plugin;
extern WNDPROC lpWndProcOld; // Winamp's own procedure while ours is installed

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

std::string Value2ValueText(bool b);
std::string Value2ValueText(const std::string& s);
// A literal would silently pick the boolean form.
std::string Value2ValueText(const char*) = delete;
