#include "plugin/window_proc.h"

#include <algorithm>
#include <string>

#include "clients/clients.h"
#include "clients/slots.h"
#include "plugin/gen_Lumtra.h"
#include "host/host.h"
#include "plugin/pacer.h"
#include "plugin/player_changes.h"
#include "plugin/tray.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"
#include "track/picture.h"
#include "track/templates.h"
#include "transport/send.h"

int32_t SetStatusOnNext = 0;

const TUpdateCalls& RealUpdateCalls() {
    static const TUpdateCalls real{&SetText, &RefreshTrayTip, &RestoreStatuses};
    return real;
}
TUpdateCalls UpdateCalls = RealUpdateCalls();

bool IsOldWinamp() {
    return ps.WinampVer < OldWinampVersion;
}

namespace {
// The queries the plugin itself sends to this window while it works. The host answers them
// through this same procedure, so they must neither count down nor trigger.
bool IsOwnQuery(LPARAM code) {
    switch (code) {
    case IPC_ISPLAYING:
    case IPC_GETLISTPOS:
    case IPC_GETPLAYLISTFILE:
    case IPC_GETPLAYLISTTITLE:
    case IPC_GET_EXTENDED_FILE_INFO:
    case IPC_GETPLAYLISTFILEW:
    case IPC_GETPLAYLISTTITLEW:
    case IPC_GETDIALOGBOXPARENT:
    case IPC_GET_EXTENDED_FILE_INFOW: return true;
    default: return false;
    }
}

int32_t Delay() {
    return StrToIntDef(ps.DlgControlsV[IDC_DelayV], DelayDef);
}

// An update is under way. Messages reach this procedure meanwhile (Winamp's thread answers what
// other programs send while it waits for a client); they are counted, but a countdown that ends
// meanwhile is held at 1 and its update runs from Winamp's loop once the current one is over,
// never nested inside it. The same holds while a restore waits (quit, or a switch-off in the
// dialog).
bool updating = false;

bool Busy() {
    return updating || ClientWorkUnderWay();
}

void OnDeadline();
void OnUpdateDue();
constexpr TPacerCalls Pacing{&OnDeadline, &OnUpdateDue};

// The countdown has ended: the update runs once the message that ended it has returned, from
// Winamp's loop, never inside whatever Winamp is doing when it sends itself a message.
void UpdateSoon() {
    PostUpdate(Pacing);
}

// 1 is held until its update has run.
void CountDown() {
    if (SetStatusOnNext > 1) --SetStatusOnNext;
    if (SetStatusOnNext == 1) UpdateSoon();
}

// A new track: the update follows after the configured number of host messages, or as many
// seconds, whichever comes first: Winamp itself may send nothing for a whole song.
void Arm() {
    SetStatusOnNext = Delay();
    if (SetStatusOnNext == 1)
        UpdateSoon();
    else
        StartDeadline(SetStatusOnNext, Pacing);
}

void Idle() {
    SetStatusOnNext = 0;
    CancelDeadline();
}

void OnHostIpc(LPARAM code) {
    CountDown();
    if (code == IPC_PLAYING_FILE || code == IPC_GET_NEXT_PLITEM) Arm();
}

// An old host reports no track change reliably; its timer makes the plugin look every few
// ticks, and the update itself skips a file it has already handled.
void OnTimer() {
    if (!IsOldWinamp()) return;
    if (SetStatusOnNext > 0)
        CountDown();
    else
        Arm();
}

// The whole wParam: a button sent as an accelerator (high word 1) is not a track change.
void OnCommand(WPARAM id) {
    if (id >= WINAMP_BUTTON1 && id <= WINAMP_BUTTON5) Arm();
}

// Winamp's word that the player changed without a new file: a stream's new song, or a new play
// state. It arms the countdown as a new track does when the clients have something to learn.
void OnPlayerChanged(WPARAM what, int32_t position, const std::string& file) {
    if (PlayerChangeIsNews(what, position, file)) Arm();
}

// Nothing plays: a status naming the last song would tell the user's contacts of a song nobody
// hears. The clients get their users' own statuses back, as at switch-off (the next track stores
// them anew), and the tray names no song. Done once per stop: later countdowns find nothing held.
void GiveStatusesBack() {
    if (std::any_of(ps.SaveData.begin(), ps.SaveData.end(),
                    [](const TQIPState& s) { return s.wnd; }))
        UpdateCalls.RestoreStatuses();
    if (OwnStatusesBack) return;
    OwnStatusesBack = true;
    ps.Status.clear();
    ps.LongStatus.clear();
    ps.Tray.clear();
    // The old host's timer would otherwise take the same file, played again, for the one shown.
    ps.CurFile.clear();
    if (GetControlValueB(IDC_SetTray)) UpdateCalls.RefreshTrayTip();
}

void UpdateOnce(const std::string& currentFile) {
    // Idle first: whatever happens below, the next track arms the countdown afresh.
    Idle();
    // A template with the play state shows the stop instead: its user asked to see it.
    if (!PlayStateShown() && HostQuery(IPC_ISPLAYING) == 0) {
        GiveStatusesBack();
        return;
    }
    if (IsOldWinamp() && ps.CurFile == currentFile) return;
    // A stream still connecting or buffering has no song to show yet: its song's title arms
    // the countdown again when it comes.
    if (!CurrentTitleIsASong(Utf8FromAnsi(currentFile))) return;
    ps.Status = FormatText(GetControlValueT(IDC_Status));
    ps.LongStatus = FormatText(GetControlValueT(IDC_LongStatus));
    ps.Tray = FormatText(GetControlValueT(IDC_Tray));
    ps.Picture = PictureIndex(GetControlValueT(IDC_Picture), ps.DlgControlsC[IDC_Picture]);
    // Before the clients are served: a title notified while they are waited for is compared with
    // the one this update shows.
    NoteTitleShown();
    OwnStatusesBack = false;
    const bool everyClientReached = UpdateCalls.SetText();
    if (GetControlValueB(IDC_SetTray)) UpdateCalls.RefreshTrayTip();
    // The clients the update's time did not reach are served within the delay, not a song later.
    if (!everyClientReached && SetStatusOnNext <= 0) Arm();
}

class TUpdating {
  public:
    TUpdating() { updating = true; }
    ~TUpdating() { updating = false; }
    TUpdating(const TUpdating&) = delete;
    TUpdating& operator=(const TUpdating&) = delete;
};

// From Winamp's loop. The countdown may have been armed again since it ended (a new track before
// the loop came round): then the new countdown decides. A switch-off or quit meanwhile ends it.
void OnUpdateDue() {
    if (!HookWorking() || PluginStopped() || !GetControlValueB(IDC_SaveRestore)) return;
    if (SetStatusOnNext != 1 || Busy()) return;
    {
        const TUpdating busy;
        UpdateOnce(CurrentPlaylistFileText());
    }
    // Messages counted while it waited ended the next countdown meanwhile.
    if (SetStatusOnNext == 1) UpdateSoon();
}

void OnDeadline() {
    if (SetStatusOnNext <= 1) return;
    SetStatusOnNext = 1;
    OnUpdateDue();
}

void Watch(UINT message, WPARAM wParam, LPARAM lParam) {
    // SaveRestore, not Enable, switches the plugin's work on and off inside an installed hook.
    if (!GetControlValueB(IDC_SaveRestore)) return;
    // A click that arrives while an update waits for a client is dropped: Winamp's menu would run
    // a message loop of its own inside that wait.
    if (message == dwTRAY_MSG && GetControlValueB(IDC_SetTray) && !Busy()) OnTrayMessage(lParam);

    switch (message) {
    case WM_WA_IPC:
        if (IsOwnQuery(lParam)) return;
        OnHostIpc(lParam);
        break;
    case WM_TIMER: OnTimer(); break;
    case WM_COMMAND: OnCommand(wParam); break;
    default: return;
    }
    // Both queries go out at every counted message, as the host has always seen them; the update
    // itself asks for the entry again when it runs.
    const int32_t position = CurrentListPos();
    const char* file = PlaylistFileText(position);
    // Copied before the title is asked for: the host reuses its answer.
    if (message == WM_WA_IPC && lParam == IPC_CB_MISC)
        OnPlayerChanged(wParam, position, Utf8FromAnsi(file));
}
} // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // This frame stays on Winamp's stack while Winamp handles the message, which may call quit.
    const TPluginOnStack below;
    // Winamp always handles the message first; nothing the plugin does changes the result.
    // Passed on in the window's own kind, so that its texts reach it as they were sent.
    const LRESULT result = !lpWndProcOld ? DefWindowProcA(window, message, wParam, lParam)
                           : lpWndProcOldWide
                               ? CallWindowProcW(lpWndProcOld, window, message, wParam, lParam)
                               : CallWindowProcA(lpWndProcOld, window, message, wParam, lParam);
    if (!HookWorking()) return result;
    // The notification area came back (Explorer restarted): only the icon is added again.
    if (message != 0 && message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return result;
    }
    // No failure of the plugin's own work may reach Winamp's message dispatch.
    try {
        Watch(message, wParam, lParam);
    } catch (...) {
    }
    return result;
}
