#include "track/track_info.h"

#include <cstring>

#include "host/host.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"

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

std::string ExtendedInfo(const std::string& f, const std::string& field, char (&reply)[256]) {
    TExtendedFileInfo info{f.c_str(), field.c_str(), reply, ExtendedInfoRetLen};
    if (HostQuery(IPC_GET_EXTENDED_FILE_INFO, reinterpret_cast<WPARAM>(&info)) != 1) return {};
    // A decoder that fills the whole buffer leaves no terminating NUL.
    return std::string(reply, strnlen(reply, sizeof reply));
}
} // namespace

std::string format2value(int32_t PlayListPos, const std::string& f, const std::string& field) {
    char reply[ExtendedInfoRetLen] = {};
    std::string text;
    if (IsKey(field, "COPY"))
        text = HostString(IPC_GETPLAYLISTTITLE, static_cast<WPARAM>(PlayListPos));
    else if (IsKey(field, "FILE"))
        text = ExtractFileNameWithoutExt(f);
    else if (IsKey(field, "PLAYSTATE"))
        text = PlayStateText();
    else
        text = ExtendedInfo(f, field, reply);
    return Trim(text);
}
