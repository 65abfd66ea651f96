#include "track/track_info.h"

#include <cstring>

#include "host/host.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

namespace {
bool IsKey(const std::string& field, const char* key) {
    return sStrCompareText(field, key) == 0;
}

std::string PlayStateText() {
    switch (HostQuery(IPC_ISPLAYING)) {
    case 1: return ps.PlayState[0];
    case 3: return ps.PlayState[1];
    default: return ps.PlayState[2];
    }
}

// A decoder that fills the whole buffer leaves no terminating NUL.
std::string ExtendedInfo(const std::string& f, const std::string& field) {
    if (TrackTextsInUnicode()) {
        wchar_t reply[ExtendedInfoRetLen] = {};
        const std::wstring file = WideOf(f), key = WideOf(field);
        TExtendedFileInfoW info{file.c_str(), key.c_str(), reply, ExtendedInfoRetLen};
        if (HostQuery(IPC_GET_EXTENDED_FILE_INFOW, reinterpret_cast<WPARAM>(&info)) != 1) return {};
        return Utf8Of(reply, wcsnlen(reply, ExtendedInfoRetLen));
    }
    char reply[ExtendedInfoRetLen] = {};
    const std::string file = AnsiFromUtf8(f);
    TExtendedFileInfo info{file.c_str(), field.c_str(), reply, ExtendedInfoRetLen};
    if (HostQuery(IPC_GET_EXTENDED_FILE_INFO, reinterpret_cast<WPARAM>(&info)) != 1) return {};
    return Utf8FromAnsi(std::string(reply, strnlen(reply, sizeof reply)));
}
} // namespace

bool TrackTextsInUnicode() {
    return ps.WinampVer >= HostUnicodeVersion;
}

std::string format2value(int32_t PlayListPos, const std::string& f, const std::string& field) {
    std::string text;
    if (IsKey(field, "COPY"))
        text = HostText(IPC_GETPLAYLISTTITLEW, IPC_GETPLAYLISTTITLE,
                        static_cast<WPARAM>(PlayListPos), TrackTextsInUnicode());
    else if (IsKey(field, "FILE"))
        text = ExtractFileNameWithoutExt(f);
    else if (IsKey(field, "PLAYSTATE"))
        text = Utf8FromAnsi(PlayStateText()); // the user's text, from the settings
    else
        text = ExtendedInfo(f, field);
    return Trim(text);
}
