#include "plugin/player_changes.h"

#include <optional>
#include <string>
#include <utility>

#include "host/host.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "track/templates.h"
#include "track/track_info.h"

bool OwnStatusesBack = false;

namespace {
// The current entry's title at the last update, or at a later notification that armed the
// countdown for it: a storm of notifications of one title arms once. None while unknown.
std::optional<std::string> seenTitle;

bool TitleIsNew(int32_t position) {
    std::string title;
    if (!PlaylistTitle(position, TrackTextsInUnicode(), title)) return false;
    if (seenTitle == title) return false;
    seenTitle = title;
    return true;
}
} // namespace

bool PlayStateShown() {
    // A template whose switch is off reaches no one: its %PlayState asks for nothing.
    static constexpr std::pair<int, int> Templates[] = {
        {IDC_SetStatus, IDC_Status}, {IDC_SetLongStatus, IDC_LongStatus}, {IDC_SetTray, IDC_Tray}};
    for (const auto& [shown, text] : Templates)
        if (GetControlValueB(shown) && ShowsPlayState(GetControlValueT(text))) return true;
    return false;
}

bool PlayerChangeIsNews(WPARAM what, int32_t position) {
    switch (what) {
    case IPC_CB_MISC_TITLE: return TitleIsNew(position);
    case IPC_CB_MISC_STATUS:
        // A stop is news even where no template shows it: the statuses go back. A pause is not.
        return PlayStateShown() || (!OwnStatusesBack && HostQuery(IPC_ISPLAYING) == 0);
    default: return false; // any other kind changes nothing the clients show
    }
}

void NoteTitleShown() {
    std::string title;
    seenTitle.reset();
    if (PlaylistTitle(CurrentListPos(), TrackTextsInUnicode(), title)) seenTitle = title;
}

void ForgetPlayerChanges() {
    seenTitle.reset();
    OwnStatusesBack = false;
}
