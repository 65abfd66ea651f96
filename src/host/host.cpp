#include "host/host.h"

#include "host/plugin_record.h"
#include "host/wa_ipc.h"

LRESULT HostQuery(LPARAM code, WPARAM param) {
    return SendMessageA(plugin.hwndParent, WM_WA_IPC, param, code);
}

std::string HostString(LPARAM code, WPARAM param) {
    // The host owns the string and may reuse it with its next answer.
    const auto* text = reinterpret_cast<const char*>(HostQuery(code, param));
    return text ? std::string(text) : std::string();
}

namespace {
const char* PlaylistFileAt(int32_t position) {
    const auto* text = reinterpret_cast<const char*>(
        HostQuery(IPC_GETPLAYLISTFILE, static_cast<WPARAM>(position)));
    return text ? text : "";
}
} // namespace

std::string CurrentPlaylistFile(int32_t& position) {
    position = static_cast<int32_t>(HostQuery(IPC_GETLISTPOS));
    return PlaylistFileAt(position);
}

const char* CurrentPlaylistFileText() {
    return PlaylistFileAt(static_cast<int32_t>(HostQuery(IPC_GETLISTPOS)));
}
