#include "common/player.h"

#include "common/texts.h"
#include "common/winamp_events.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "plugin/gen_Lumtra.h"

namespace {
constexpr UINT WM_WA_IPC = WM_USER;
constexpr LPARAM IPC_GETVERSION = 0, IPC_ISPLAYING = 104, IPC_GETOUTPUTTIME = 105,
                 IPC_GETLISTPOS = 125, IPC_GETPLAYLISTFILE = 211, IPC_GETPLAYLISTTITLE = 212,
                 IPC_GET_HMENU = 281, IPC_GET_EXTENDED_FILE_INFO = 290, IPC_GETINIDIRECTORY = 335,
                 IPC_GETPLAYLISTTITLEW = 213, IPC_GETPLAYLISTFILEW = 214,
                 IPC_GET_EXTENDED_FILE_INFOW = 3026, IPC_GETINIDIRECTORYW = 1335, IPC_CB_MISC = 603,
                 IPC_GET_NEXT_PLITEM = 636;
constexpr WPARAM IPC_CB_MISC_STATUS = 2;
constexpr wchar_t ClassName[] = L"Winamp v1.x";

struct ExtendedFileInfo {
    const char* szFileName;
    const char* szMetadata;
    char* szRet;
    int RetLen;
};
struct ExtendedFileInfoW {
    const wchar_t* filename;
    const wchar_t* metadata;
    wchar_t* ret;
    size_t retlen;
};

Player* current = nullptr;
PluginImportCounts counts;
std::wstring lastTip;

using LocalAllocFn = HLOCAL(WINAPI*)(UINT, SIZE_T);
using LocalFreeFn = HLOCAL(WINAPI*)(HLOCAL);
using NotifyFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
LocalAllocFn realLocalAlloc = nullptr;
LocalFreeFn realLocalFree = nullptr;
NotifyFn realNotify = nullptr;
using DebugFn = void(WINAPI*)(LPCSTR);
DebugFn realDebug = nullptr;

HLOCAL WINAPI CountingLocalAlloc(UINT flags, SIZE_T bytes) {
    HLOCAL h = realLocalAlloc(flags, bytes);
    if (h) ++counts.localAlloc;
    return h;
}
HLOCAL WINAPI CountingLocalFree(HLOCAL h) {
    if (h) ++counts.localFree;
    return realLocalFree(h);
}
BOOL WINAPI RecordingNotify(DWORD message, PNOTIFYICONDATAW data) {
    if (message == NIM_ADD) ++counts.iconsAdded;
    if (message == NIM_DELETE) ++counts.iconsDeleted;
    if (message == NIM_MODIFY) ++counts.iconsModified;
    if (data && (message == NIM_ADD || message == NIM_MODIFY) && (data->uFlags & NIF_TIP)) {
        lastTip.assign(data->szTip, wcsnlen(data->szTip, std::size(data->szTip)));
    }
    return realNotify(message, data);
}

void WINAPI RecordingDebug(LPCSTR text) {
    if (text) counts.debugOutput += text;
    realDebug(text);
}

DWORD stretchBase = 0;
double stretchFactor = 1.0;
DWORD WINAPI StretchedTickCount() {
    const DWORD now = GetTickCount();
    return stretchBase + static_cast<DWORD>((now - stretchBase) / stretchFactor);
}

// Points one import of a loaded module at our own function, by name.
template <typename Fn>
bool PatchImport(HMODULE module, const char* dll, const char* name, Fn replacement, Fn& original) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name;
         ++d) {
        if (_stricmp(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
        auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        for (; thunk->u1.Function; ++thunk, ++names) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
            // A library loaded again after it was pinned is the same one, already patched.
            if (thunk->u1.Function == reinterpret_cast<ULONG_PTR>(replacement)) return true;
            DWORD old = 0;
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &old);
            original = reinterpret_cast<Fn>(thunk->u1.Function);
            thunk->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

void RegisterOnce() {
    static bool done = false;
    if (done) return;
    // A Unicode window, as Winamp 5's main window is.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = ClassName;
    RegisterClassW(&wc);
    done = true;
}
} // namespace

Player::Player() {
    RegisterOnce();
    hwnd_ = CreateWindowExW(0, ClassName, L"Winamp", WS_OVERLAPPEDWINDOW, 40, 40, 275, 116, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Player::Proc));
    menu_ = CreatePopupMenu();
    AppendMenuA(menu_, MF_STRING, 40045, "Play");
    AppendMenuA(menu_, MF_STRING, 40047, "Stop");
    current = this;
}

Player::~Player() {
    Close();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
    if (current == this) current = nullptr;
}

bool Player::Load(const std::string& dllPath) {
    dll_ = LoadLibraryW(Wide(dllPath, dllPathCodePage).c_str());
    if (!dll_) return false;
    counts = {};
    lastTip.clear();
    PatchImport(dll_, "KERNEL32.dll", "LocalAlloc", &CountingLocalAlloc, realLocalAlloc);
    PatchImport(dll_, "KERNEL32.dll", "LocalFree", &CountingLocalFree, realLocalFree);
    PatchImport(dll_, "SHELL32.dll", "Shell_NotifyIconW", &RecordingNotify, realNotify);
    PatchImport(dll_, "KERNEL32.dll", "OutputDebugStringA", &RecordingDebug, realDebug);
    // Always set, and always patched: a library still loaded since an earlier player (one of its
    // threads still ending) keeps the earlier patch, and with it whatever stretch was set then.
    stretchBase = GetTickCount();
    stretchFactor = std::max(clockSlowness, 1.0);
    DWORD(WINAPI * realTicks)() = nullptr;
    PatchImport(dll_, "KERNEL32.dll", "GetTickCount", &StretchedTickCount, realTicks);
    using Get = TwinampGeneralPurposePlugin* (*)();
    auto get = reinterpret_cast<Get>(
        reinterpret_cast<void*>(GetProcAddress(dll_, "winampGetGeneralPurposePlugin")));
    if (!get) return false;
    plugin_ = get();
    plugin_->hwndParent = hwnd_;
    plugin_->hDllInstance = dll_;
    plugin_->init();
    return true;
}

void Player::Close() {
    if (!dll_) return;
    // As Winamp closes: it asks whether it may, stops, and its window goes; the loop ends with
    // whatever was posted undelivered, and only then is each plugin's quit called.
    if (hwnd_ && IsWindow(hwnd_)) {
        Perform(static_cast<int>(WinampEvent::Close));
        Stop();
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
    if (plugin_) plugin_->quit();
    FreeLibrary(dll_);
    dll_ = nullptr;
    plugin_ = nullptr;
}

void Player::Configure() {
    if (plugin_) plugin_->config();
}

void Player::Quit() {
    if (plugin_) plugin_->quit();
}

void Player::Unload() {
    if (dll_) FreeLibrary(dll_);
    dll_ = nullptr;
    plugin_ = nullptr;
}

void Player::Perform(int event) {
    const std::string file = position < playlist.size() ? playlist[position].file : "";
    PerformWinampEvent(hwnd_, static_cast<WinampEvent>(event), file, Wide(file, CP_ACP), depth_);
}

void Player::Play(size_t index) {
    position = index;
    playState = 1;
    Perform(static_cast<int>(WinampEvent::FileStarts));
}

void Player::Next() {
    Perform(static_cast<int>(WinampEvent::NextEntry));
    Play(playlist.empty() ? 0 : (position + 1) % playlist.size());
}

void Player::Pause() {
    playState = 3;
    Perform(static_cast<int>(WinampEvent::Pause));
}

void Player::Resume() {
    playState = 1;
    Perform(static_cast<int>(WinampEvent::Resume));
}

void Player::Stop() {
    Perform(static_cast<int>(WinampEvent::Stop));
    playState = 0;
}

void Player::ShowTitle(const std::string& title) {
    if (position < playlist.size()) {
        playlist[position].title = title;
        playlist[position].titleU8.clear();
    }
    Perform(static_cast<int>(WinampEvent::TitleChanges));
}

void Player::StartStream(const std::string& address) {
    if (position >= playlist.size()) playlist.resize(position + 1);
    playlist[position] = PlayerTrack{address, "[Connecting] " + address, {}};
    Play(position);
    ShowTitle(address);
}

void Player::Loop() {
    RunWinampLoop();
}

bool Player::LoopUntil(const std::function<bool()>& done, DWORD limitMs) {
    return RunWinampLoopUntil(done, limitMs);
}

void Player::Tick(int count) {
    for (int i = 0; i < count; ++i)
        SendMessageA(hwnd_, WM_WA_IPC, 0, IPC_GETOUTPUTTIME);
    Loop();
}

void Player::PlayAndSettle(size_t index, int delay) {
    Play(index);
    Loop();
    Tick(delay - 1);
}

void Player::Retitle(const std::string& title) {
    ShowTitle(title);
    Loop();
}

void Player::ChangePlayState(int state) {
    playState = state;
    PostMessageW(hwnd_, WM_WA_IPC, IPC_CB_MISC_STATUS, IPC_CB_MISC);
    Loop();
}

std::string Player::TrayTip() const {
    return Narrow(lastTip, CP_ACP);
}
std::string Player::TrayTipU8() const {
    return Narrow(lastTip, CP_UTF8);
}
const PluginImportCounts& Player::imports() const {
    return counts;
}

LRESULT CALLBACK Player::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    const bool ours = current && current->hwnd_ == h;
    if (m == WM_WA_IPC && ours) return current->OnIpc(w, l);
    if (m == WM_ENDSESSION && w && ours) {
        current->Quit();
        if (current->unloadAtEndSession) current->Unload();
        return 0;
    }
    if (m == ConfigureMessage && ours) {
        current->Configure();
        return 0;
    }
    // "Next track" from Winamp's button, or from another program.
    if (m == WM_COMMAND && w == 40048 && current && current->hwnd_ == h &&
        !current->playlist.empty()) {
        current->position = (current->position + 1) % current->playlist.size();
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

LRESULT Player::OnIpc(WPARAM wParam, LPARAM lParam) {
    switch (lParam) {
    case IPC_GETVERSION: return version;
    case IPC_ISPLAYING: return playState;
    case IPC_GETLISTPOS: return static_cast<LRESULT>(position);
    case IPC_GETPLAYLISTFILE:
        return wParam < playlist.size() ? reinterpret_cast<LRESULT>(playlist[wParam].file.c_str())
                                        : 0;
    case IPC_GETPLAYLISTTITLE:
        return wParam < playlist.size() ? reinterpret_cast<LRESULT>(playlist[wParam].title.c_str())
                                        : 0;
    case IPC_GETPLAYLISTTITLEW:
    case IPC_GETPLAYLISTFILEW: {
        if (wParam >= playlist.size()) return 0;
        const PlayerTrack& t = playlist[wParam];
        wideAnswer_ = lParam == IPC_GETPLAYLISTFILEW ? Wide(t.file, CP_ACP)
                      : t.titleU8.empty()            ? Wide(t.title, CP_ACP)
                                                     : Wide(t.titleU8, CP_UTF8);
        return reinterpret_cast<LRESULT>(wideAnswer_.c_str());
    }
    case IPC_GET_EXTENDED_FILE_INFOW: {
        auto* info = reinterpret_cast<ExtendedFileInfoW*>(wParam);
        if (!info || !info->filename || !info->metadata || !info->ret || !info->retlen) return 0;
        std::string key;
        for (const wchar_t* k = info->metadata; *k; ++k)
            key += static_cast<char>(*k);
        for (const PlayerTrack& t : playlist) {
            if (Wide(t.file, CP_ACP) != info->filename) continue;
            const auto u8 = t.tagsU8.find(key);
            const auto tag = t.tags.find(key);
            if (u8 == t.tagsU8.end() && tag == t.tags.end()) return 0;
            const std::wstring text =
                u8 != t.tagsU8.end() ? Wide(u8->second, CP_UTF8) : Wide(tag->second, CP_ACP);
            lstrcpynW(info->ret, text.c_str(), static_cast<int>(info->retlen));
            return 1;
        }
        return 0;
    }
    case IPC_GET_HMENU: return reinterpret_cast<LRESULT>(menu_);
    case IPC_GET_NEXT_PLITEM: return NoNextEntryChoice;
    case IPC_GETINIDIRECTORY: return iniDirectoryAnswer;
    case IPC_GETINIDIRECTORYW: return iniDirectoryAnswerW;
    case IPC_GET_EXTENDED_FILE_INFO: {
        auto* info = reinterpret_cast<ExtendedFileInfo*>(wParam);
        if (!info || !info->szFileName || !info->szMetadata || !info->szRet) return 0;
        for (const PlayerTrack& t : playlist) {
            if (t.file != info->szFileName) continue;
            auto tag = t.tags.find(info->szMetadata);
            if (tag == t.tags.end()) return 0;
            lstrcpynA(info->szRet, tag->second.c_str(), info->RetLen);
            return 1;
        }
        return 0;
    }
    default: return 0;
    }
}

void PresetPluginSetting(const std::string& dllPath, const std::string& key,
                         const std::string& value) {
    const std::string ini = dllPath + ".ini";
    WritePrivateProfileStringA("Winamp to ICQ client status", "Lang", "Russian", ini.c_str());
    WritePrivateProfileStringA("Winamp to ICQ client status_Russian", (key + ".Value").c_str(),
                               value.c_str(), ini.c_str());
}

std::vector<PlayerTrack> DemoPlaylist() {
    return {
        {"C:\\Music\\Кино - Группа крови.mp3",
         "1. Кино - Группа крови",
         {{"ARTIST", "Кино"}, {"TITLE", "Группа крови"}, {"ALBUM", "Группа крови"}}},
        {"C:\\Music\\Daft Punk - One More Time.flac",
         "2. Daft Punk - One More Time",
         {{"ARTIST", "Daft Punk"}, {"TITLE", "One More Time"}, {"GENRE", "House"}}},
        {"C:\\Music\\Земфира - Ариведерчи.ogg",
         "3. Земфира - Ариведерчи",
         {{"ARTIST", "Земфира"}, {"TITLE", "Ариведерчи"}, {"YEAR", "1999"}}},
    };
}

DWORD RunPlayerProcess(const std::string& dll, const std::string& options, double slowness) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    path = path.substr(0, path.find_last_of("\\/") + 1) + "player.exe";
    std::string line = "\"" + path + "\" --dll \"" + dll +
                       "\" --delay 3 --existing-clients --slow-clock " + std::to_string(slowness) +
                       " " + options;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 1000;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1001;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}
