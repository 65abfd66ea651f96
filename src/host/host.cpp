#include "host/host.h"

#include "host/plugin_record.h"
#include "host/wa_ipc.h"
#include "support/unicode.h"

LRESULT HostQuery(LPARAM code, WPARAM param) {
    return SendMessageA(plugin.hwndParent, WM_WA_IPC, param, code);
}

HWND HostDialogParent(int32_t version) {
    if (version < HostDialogParentVersion) return plugin.hwndParent;
    // A host that does not know the request answers 1 or 0; another may answer anything.
    const auto named = reinterpret_cast<HWND>(HostQuery(IPC_GETDIALOGBOXPARENT));
    return named && IsWindow(named) ? named : plugin.hwndParent;
}

std::string HostString(LPARAM code, WPARAM param) {
    // The host owns the string and may reuse it with its next answer.
    const auto* text = reinterpret_cast<const char*>(HostQuery(code, param));
    return text ? std::string(text) : std::string();
}

namespace {
constexpr DWORD Readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
// A title is far shorter; anything longer is no answer of a sane host.
constexpr size_t MaxHostText = 64 * 1024;

template <class Char> bool CopyAt(const Char* text, size_t limit, std::basic_string<Char>& out) {
    if (reinterpret_cast<ULONG_PTR>(text) < 0x10000) return false; // no pointer
    size_t i = 0;
    while (i < limit) {
        MEMORY_BASIC_INFORMATION m{};
        if (!VirtualQuery(text + i, &m, sizeof m) || m.State != MEM_COMMIT ||
            (m.Protect & (PAGE_GUARD | PAGE_NOACCESS)) || !(m.Protect & Readable))
            return false;
        const auto* end = reinterpret_cast<const char*>(m.BaseAddress) + m.RegionSize;
        // Whole characters only: one straddling the region's end is read from the next region.
        for (; reinterpret_cast<const char*>(text + i + 1) <= end && i < limit; ++i)
            if (!text[i]) {
                out.assign(text, i);
                return true;
            }
    }
    return false; // longer than the limit
}
} // namespace

bool CopyHostString(const char* text, size_t limit, std::string& out) {
    return CopyAt(text, limit, out);
}

bool CopyHostString(const wchar_t* text, size_t limit, std::wstring& out) {
    return CopyAt(text, limit, out);
}

namespace {
// One request, its answer copied at once and checked: false when it is no readable string.
bool AskHostText(LPARAM codeW, LPARAM codeA, WPARAM param, bool wide, std::string& out) {
    if (wide) {
        std::wstring text;
        if (!CopyHostString(reinterpret_cast<const wchar_t*>(HostQuery(codeW, param)), MaxHostText,
                            text))
            return false;
        out = Utf8Of(text);
        return true;
    }
    std::string text;
    if (!CopyHostString(reinterpret_cast<const char*>(HostQuery(codeA, param)), MaxHostText, text))
        return false;
    out = Utf8FromAnsi(text);
    return true;
}
} // namespace

std::string HostText(LPARAM codeW, LPARAM codeA, WPARAM param, bool wide) {
    std::string text;
    if (wide && AskHostText(codeW, codeA, param, true, text)) return text;
    return Utf8FromAnsi(HostString(codeA, param));
}

bool PlaylistTitle(int32_t position, bool wide, std::string& out) {
    return AskHostText(IPC_GETPLAYLISTTITLEW, IPC_GETPLAYLISTTITLE, static_cast<WPARAM>(position),
                       wide, out);
}

int32_t CurrentListPos() {
    return static_cast<int32_t>(HostQuery(IPC_GETLISTPOS));
}

const char* PlaylistFileText(int32_t position) {
    const auto* text = reinterpret_cast<const char*>(
        HostQuery(IPC_GETPLAYLISTFILE, static_cast<WPARAM>(position)));
    return text ? text : "";
}

std::string CurrentPlaylistFile(int32_t& position) {
    position = CurrentListPos();
    return PlaylistFileText(position);
}

const char* CurrentPlaylistFileText() {
    return PlaylistFileText(CurrentListPos());
}

std::string CurrentPlaylistFileU8(int32_t& position, bool wide) {
    position = CurrentListPos();
    return HostText(IPC_GETPLAYLISTFILEW, IPC_GETPLAYLISTFILE, static_cast<WPARAM>(position), wide);
}
