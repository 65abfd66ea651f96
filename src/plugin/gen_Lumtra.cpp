#include "plugin/gen_Lumtra.h"
#include "report/last_update.h"

#include "clients/clients.h"
#include "clients/journal.h"
#include "clients/slots.h"
#include "dialog/config_dialog.h"
#include "host/host.h"
#include "plugin/tray.h"
#include "host/wa_ipc.h"
#include "plugin/pacer.h"
#include "plugin/player_changes.h"
#include "plugin/window_proc.h"
#include "settings/settings.h"
#include "transport/send.h"
#include "support/supportLumtra.h"
#include "track/track_info.h"
#include "windows/window_text.h"

WNDPROC lpWndProcOld = nullptr;
bool lpWndProcOldWide = false;

namespace {
constexpr wchar_t cDlgName[] = L"#101";
bool passThroughOnly = false;
// Between init and quit. Before init nothing was read, so quit has nothing to store; after quit
// nothing is applied until the next init.
bool started = false;
bool stopped = false;
int framesOnStack = 0;

// The library is never unloaded while the process runs: once another subclasser has hooked in
// after us (our address lives in its saved pointer), or when quit came while our code was still
// on the stack below it.
void PinLibrary() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&WindowProc), &self);
}

LONG_PTR SetProc(HWND h, bool wide, WNDPROC proc) {
    const auto value = reinterpret_cast<LONG_PTR>(proc);
    return wide ? SetWindowLongPtrW(h, GWLP_WNDPROC, value)
                : SetWindowLongPtrA(h, GWLP_WNDPROC, value);
}

void Hook() {
    passThroughOnly = false;
    if (lpWndProcOld) return; // already in the chain
    const bool wide = IsWindowUnicode(plugin.hwndParent) != FALSE;
    lpWndProcOld = reinterpret_cast<WNDPROC>(SetProc(plugin.hwndParent, wide, &WindowProc));
    lpWndProcOldWide = wide;
}

void Unhook() {
    // A countdown's deadline would end it while switched off; an update already asked for finds
    // the hook gone and does nothing.
    CancelDeadline();
    if (!lpWndProcOld) return;
    HWND h = plugin.hwndParent;
    if (!IsWindowL(h)) { // the window is gone and with it every way to call us
        lpWndProcOld = nullptr;
        passThroughOnly = false;
        return;
    }
    // Asked in the kind we hooked with: a subclasser of the other kind above us shows as a
    // stand-in address, never as our own procedure.
    const auto current = reinterpret_cast<WNDPROC>(
        lpWndProcOldWide ? GetWindowLongPtrW(h, GWLP_WNDPROC) : GetWindowLongPtrA(h, GWLP_WNDPROC));
    if (current == &WindowProc) {
        SetProc(h, lpWndProcOldWide, lpWndProcOld);
        lpWndProcOld = nullptr;
        passThroughOnly = false;
    } else {
        // Someone subclassed the window after us. Writing our saved pointer back would cut them
        // out of the chain, so we stay in it, doing nothing but passing messages on.
        passThroughOnly = true;
        PinLibrary();
    }
}
} // namespace

TPluginOnStack::TPluginOnStack() {
    ++framesOnStack;
}
TPluginOnStack::~TPluginOnStack() {
    --framesOnStack;
}

bool HookWorking() {
    return lpWndProcOld != nullptr && !passThroughOnly;
}

void LoadTimeInit() {
    InitClientKinds();
    lpWndProcOld = nullptr;
    lpWndProcOldWide = false;
    passThroughOnly = false;
    started = false;
    stopped = false;
    framesOnStack = 0;
    StopPacer();
    PendingJournalEntries().clear();
    ForgetPlayerChanges();
    ForgetSettingsPlaces();
    ForgetStreamTags();
    ForgetReport();
    AllowSending();
    StartJournalWrites();
    InitDefaults();
    plugin =
        TwinampGeneralPurposePlugin{GPPHDR_VER, AppName, &init, &config, &quit, nullptr, nullptr};
}

extern "C" TwinampGeneralPurposePlugin* winampGetGeneralPurposePlugin() {
    return &plugin;
}

bool PluginStopped() {
    return stopped;
}

int init() {
    started = true;
    stopped = false;
    // A library that stayed loaded since an earlier quit (a thread of it still ending) tells
    // nothing of that run.
    ForgetReport();
    AllowSending();
    StartJournalWrites();
    try {
        // Into the defaults, since every later copy of them must carry it too.
        defPS.WinampVer = static_cast<int32_t>(HostQuery(IPC_GETVERSION));
    } catch (...) {
    }
    config_read();
    try {
        // What a Winamp that ended without quit left changed is put back first.
        if (GetControlValueB(IDC_SaveRestore)) TakeOverFromJournal();
    } catch (...) {
    }
    config_apply();
    return 0;
}

void config() {
    const TPluginOnStack below; // the dialog's loop runs with this frame below it
    try {
        static constexpr TDialogActions actions{&PluginStopped, &config_apply};
        // A Unicode dialog: its controls keep a template in any alphabet.
        DialogBoxParamW(plugin.hDllInstance, cDlgName, HostDialogParent(defPS.WinampVer),
                        &ConfigProc, reinterpret_cast<LPARAM>(&actions));
    } catch (...) {
    }
}

void quit() {
    // Without init the settings were never read: writing them would put the built-in defaults
    // over the user's file.
    if (!started || stopped) return;
    if (const std::string failure = config_write_at_quit(); !failure.empty())
        OutputDebugStringA(("gen_Lumtra: the settings could not be stored where the next start "
                            "reads them.\n" +
                            failure + "\n")
                               .c_str());
    ps.DlgControlsV[IDC_Enable] = Value2ValueText(false);
    config_apply();
    try {
        ReportUnrestored();
    } catch (...) {
    }
    stopped = true;
    // Nothing of the plugin's may reach Winamp's thread after quit: no deadline, no update asked
    // for and not yet run.
    StopPacer();
    // Quit may come while the settings dialog is open (Windows shutting down): it ends as Cancel.
    EndConfigDialog();
    StopSending();
    EndJournalWrites(); // the journal the restore left is on the disk before quit returns
    if (framesOnStack > 0) PinLibrary();
}

void config_apply() {
    if (stopped) return;
    try {
        do_icons();
        if (GetControlValueB(IDC_Enable)) {
            Hook();
        } else {
            Unhook();
            if (GetControlValueB(IDC_SaveRestore)) RestoreStatuses();
        }
    } catch (...) {
    }
}
