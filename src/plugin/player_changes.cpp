#include "plugin/player_changes.h"

#include <optional>
#include <string>
#include <utility>

#include "host/host.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "track/templates.h"
#include "track/track_info.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

bool OwnStatusesBack = false;

namespace {
// The current entry's title at the last update, or at a later notification that armed the
// countdown for it: a storm of notifications of one title arms once. None while unknown.
std::optional<std::string> seenTitle;
// The play state the last update showed, where a template shows it: Winamp's word of a state the
// clients already show (603/2 comes after every start) is no news.
std::optional<LRESULT> shownPlayState;

bool TitleIsNew(int32_t position, const std::string& file) {
    std::string title;
    if (!PlaylistTitle(position, TrackTextsInUnicode(), title)) return false;
    if (!IsSongTitle(title, file)) return false;
    if (seenTitle == title) return false;
    seenTitle = title;
    return true;
}
} // namespace

bool IsSongTitle(const std::string& title, const std::string& file) {
    if (!IsStreamAddress(file)) return true;
    // "[Connecting] http://...", "[Buffering: 37%] http://..." and the like, then the bare
    // address: what Winamp shows until the station names its song.
    if (!title.empty() && title[0] == '[' && title.find(']') != std::string::npos) return false;
    return !SameTextU(Trim(title), file);
}

bool CurrentTitleIsASong(const std::string& file) {
    if (!IsStreamAddress(file)) return true; // no request for a file
    std::string title;
    return PlaylistTitle(CurrentListPos(), TrackTextsInUnicode(), title) &&
           IsSongTitle(title, file);
}

bool PlayStateShown() {
    // A template whose switch is off reaches no one: its %PlayState asks for nothing.
    static constexpr std::pair<int, int> Templates[] = {
        {IDC_SetStatus, IDC_Status}, {IDC_SetLongStatus, IDC_LongStatus}, {IDC_SetTray, IDC_Tray}};
    for (const auto& [shown, text] : Templates)
        if (GetControlValueB(shown) && ShowsPlayState(GetControlValueT(text))) return true;
    return false;
}

bool PlayerChangeIsNews(WPARAM what, int32_t position, const std::string& file) {
    switch (what) {
    case IPC_CB_MISC_TITLE: return TitleIsNew(position, file);
    case IPC_CB_MISC_STATUS: {
        // A stop is news even where no template shows it: the statuses go back. A pause is not.
        if (!PlayStateShown()) return !OwnStatusesBack && HostQuery(IPC_ISPLAYING) == 0;
        const LRESULT state = HostQuery(IPC_ISPLAYING);
        return state != shownPlayState;
    }
    default: return false; // any other kind changes nothing the clients show
    }
}

void NoteTitleShown() {
    std::string title;
    seenTitle.reset();
    if (PlaylistTitle(CurrentListPos(), TrackTextsInUnicode(), title)) seenTitle = title;
    shownPlayState.reset();
    if (PlayStateShown()) shownPlayState = HostQuery(IPC_ISPLAYING);
}

void ForgetPlayerChanges() {
    shownPlayState.reset();
    seenTitle.reset();
    OwnStatusesBack = false;
}
