#include "common/fake_winamp.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <sstream>

#include "common/texts.h"
#include "common/winamp_events.h"
#include "host/wa_ipc.h"

namespace {
constexpr wchar_t ClassName[] = L"Winamp v1.x";

void RegisterOnce() {
    static bool done = false;
    if (done) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = FakeWinamp::HostProc();
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = ClassName;
    wc.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassW(&wc);
    done = true;
}

// Metadata names are ASCII.
std::string Narrow(const wchar_t* w) {
    std::string r;
    for (; *w; ++w)
        r += static_cast<char>(*w);
    return r;
}

// Sent by the system on its own; never part of an expected sequence.
bool Ignored(UINT m) {
    switch (m) {
    case WM_GETICON:
    case WM_DEVICECHANGE:
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY: return true;
    default: return m >= 0xC000; // registered messages
    }
}

std::string Describe(UINT m, WPARAM w, LPARAM l, bool anyW = false, const std::string& key = {}) {
    std::ostringstream s;
    if (m == WM_WA_IPC)
        s << "WM_WA_IPC";
    else if (m == WM_COMMAND)
        s << "WM_COMMAND";
    else if (m == WM_TIMER)
        s << "WM_TIMER";
    else
        s << "msg 0x" << std::hex << m << std::dec;
    // A request record's address differs from run to run; its key does not.
    if (anyW)
        s << " w=*";
    else if (!key.empty())
        s << " w=&" << key;
    else
        s << " w=" << static_cast<long long>(w);
    s << " l=" << static_cast<long long>(l);
    return s.str();
}
} // namespace

WNDPROC FakeWinamp::HostProc() {
    return &FakeWinamp::Proc;
}

FakeWinamp::FakeWinamp(const FakeWinampOptions& o) : options(o) {
    RegisterOnce();
    hwnd_ = CreateWindowExW(0, ClassName, L"Winamp", WS_OVERLAPPEDWINDOW, 10, 10, 300, 120, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, 0, reinterpret_cast<LONG_PTR>(this));
    // The same procedure set with the A function makes the window an ANSI one.
    if (!options.unicode)
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HostProc()));
}

FakeWinamp::~FakeWinamp() {
    Destroy();
}

void FakeWinamp::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, 0, 0);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

void FakeWinamp::Flush() {
    received_.clear();
    tagQueries_.clear();
}

size_t FakeWinamp::CountIpc(LPARAM code) const {
    return static_cast<size_t>(std::count_if(received_.begin(), received_.end(), [&](auto& m) {
        return m.message == WM_WA_IPC && m.lParam == code;
    }));
}

LRESULT FakeWinamp::Notify(LPARAM code, WPARAM wParam) {
    const LRESULT r = SendMessageA(hwnd_, WM_WA_IPC, wParam, code);
    Loop();
    return r;
}
LRESULT FakeWinamp::Command(WPARAM id) {
    const LRESULT r = SendMessageA(hwnd_, WM_COMMAND, id, 0);
    Loop();
    return r;
}
LRESULT FakeWinamp::Tick() {
    const LRESULT r = SendMessageA(hwnd_, WM_TIMER, 1, 0);
    Loop();
    return r;
}
void FakeWinamp::Retitle(const std::string& title) {
    ShowTitle(title);
    Loop();
}
void FakeWinamp::ChangePlayState(LRESULT state) {
    options.playState = state;
    PostMessageW(hwnd_, WM_WA_IPC, IPC_CB_MISC_STATUS, IPC_CB_MISC);
    Loop();
}

void FakeWinamp::Perform(int event) {
    const FakeEntry* e = Entry(static_cast<WPARAM>(options.position));
    const std::string file = e ? e->file : std::string();
    PerformWinampEvent(hwnd_, static_cast<WinampEvent>(event), file, Wide(file, CP_ACP), depth_);
}
void FakeWinamp::Start(int position) {
    options.position = position;
    options.playState = 1;
    Perform(static_cast<int>(WinampEvent::FileStarts));
}
void FakeWinamp::Next() {
    Perform(static_cast<int>(WinampEvent::NextEntry));
    const int n = static_cast<int>(options.playlist.size());
    Start(n > 0 ? (options.position + 1) % n : 0);
}
void FakeWinamp::Pause() {
    options.playState = 3;
    Perform(static_cast<int>(WinampEvent::Pause));
}
void FakeWinamp::Resume() {
    options.playState = 1;
    Perform(static_cast<int>(WinampEvent::Resume));
}
void FakeWinamp::Stop() {
    Perform(static_cast<int>(WinampEvent::Stop));
    options.playState = 0;
}
void FakeWinamp::ShowTitle(const std::string& title) {
    const auto p = static_cast<size_t>(options.position);
    if (p < options.playlist.size()) {
        options.playlist[p].title = title;
        options.playlist[p].titleW.clear();
    }
    Perform(static_cast<int>(WinampEvent::TitleChanges));
}
void FakeWinamp::StartStream(const std::string& address) {
    const auto p = static_cast<size_t>(options.position);
    if (p >= options.playlist.size()) options.playlist.resize(p + 1);
    options.playlist[p] = FakeEntry{address, "[Connecting] " + address, {}};
    Start(options.position);
    ShowTitle(address);
}
void FakeWinamp::Loop() {
    RunWinampLoop();
}
bool FakeWinamp::LoopUntil(const std::function<bool()>& done, DWORD limitMs) {
    return RunWinampLoopUntil(done, limitMs);
}

const FakeEntry* FakeWinamp::Entry(WPARAM position) const {
    const auto p = static_cast<INT_PTR>(position);
    if (p < 0 || p >= static_cast<INT_PTR>(options.playlist.size())) return nullptr;
    return &options.playlist[static_cast<size_t>(p)];
}

LRESULT FakeWinamp::Answer(UINT m, WPARAM w, LPARAM l) {
    if (m != WM_WA_IPC) return 0;
    switch (l) {
    case IPC_GETVERSION: return options.version;
    case IPC_GETLISTPOS: return options.position;
    case IPC_ISPLAYING: return options.playState;
    case IPC_GET_HMENU: return reinterpret_cast<LRESULT>(options.menu);
    case IPC_GET_NEXT_PLITEM: return NoNextEntryChoice;
    case IPC_GETDIALOGBOXPARENT:
        return options.dialogParent == -1 ? reinterpret_cast<LRESULT>(hwnd_) : options.dialogParent;
    case IPC_GETPLAYLISTFILE: {
        const FakeEntry* e = Entry(w);
        return e && !e->nullFile ? reinterpret_cast<LRESULT>(e->file.c_str()) : 0;
    }
    case IPC_GETPLAYLISTTITLE: {
        const FakeEntry* e = Entry(w);
        return e && !e->nullTitle ? reinterpret_cast<LRESULT>(e->title.c_str()) : 0;
    }
    case IPC_GETPLAYLISTFILEW:
    case IPC_GETPLAYLISTTITLEW: {
        const FakeEntry* e = Entry(w);
        const bool title = l == IPC_GETPLAYLISTTITLEW;
        if (!e || (title ? e->nullTitle : e->nullFile)) return 0;
        if (title && e->titleWAnswer != -1) return e->titleWAnswer;
        wideAnswer_ =
            title && !e->titleW.empty() ? e->titleW : Wide(title ? e->title : e->file, CP_ACP);
        return reinterpret_cast<LRESULT>(wideAnswer_.c_str());
    }
    case IPC_GET_EXTENDED_FILE_INFOW: {
        auto* info = reinterpret_cast<TExtendedFileInfoW*>(w);
        if (!info || !info->filename || !info->metadata || !info->ret) return 0;
        const std::string key = Narrow(info->metadata);
        if (options.record) tagQueries_.push_back(key);
        for (const FakeEntry& e : options.playlist) {
            if (Wide(e.file, CP_ACP) != info->filename) continue;
            const auto tagW = e.tagsW.find(key);
            const auto tag = e.tags.find(key);
            if (tagW == e.tagsW.end() && tag == e.tags.end()) return 0;
            const std::wstring text =
                tagW != e.tagsW.end() ? tagW->second : Wide(tag->second, CP_ACP);
            // As the ANSI request: as much as fits, terminated only when there is room left.
            const size_t n = std::min(text.size(), info->retlen);
            std::memcpy(info->ret, text.data(), n * sizeof(wchar_t));
            if (n < info->retlen) info->ret[n] = L'\0';
            return options.tagReply;
        }
        return 0;
    }
    case IPC_GET_EXTENDED_FILE_INFO: {
        auto* info = reinterpret_cast<TExtendedFileInfo*>(w);
        if (!info || !info->szFileName || !info->szMetadata || !info->szRet) return 0;
        if (options.record) tagQueries_.push_back(info->szMetadata);
        for (const FakeEntry& e : options.playlist) {
            if (e.file != info->szFileName) continue;
            const auto tag = e.tags.find(info->szMetadata);
            if (tag == e.tags.end()) return 0;
            // Like a decoder: as much as fits, terminated only when there is room left.
            const size_t room = static_cast<size_t>(std::max(info->RetLen, 0));
            const size_t n = std::min(tag->second.size(), room);
            std::memcpy(info->szRet, tag->second.data(), n);
            if (n < room) info->szRet[n] = '\0';
            return options.tagReply;
        }
        return 0;
    }
    default: return 0;
    }
}

LRESULT CALLBACK FakeWinamp::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<FakeWinamp*>(GetWindowLongPtrW(h, 0));
    // Messages reach this procedure in the kind it was set with.
    if (!self) return DefWindowProcW(h, m, w, l);
    if (self->options.record) {
        self->received_.push_back({m, w, l, {}});
        const auto* info = reinterpret_cast<const TExtendedFileInfo*>(w);
        if (m == WM_WA_IPC && l == IPC_GET_EXTENDED_FILE_INFO && info && info->szMetadata)
            self->received_.back().key = info->szMetadata;
        const auto* infoW = reinterpret_cast<const TExtendedFileInfoW*>(w);
        if (m == WM_WA_IPC && l == IPC_GET_EXTENDED_FILE_INFOW && infoW && infoW->metadata)
            self->received_.back().key = Narrow(infoW->metadata);
    }
    if (m == WM_WA_IPC) return self->Answer(m, w, l);
    return self->options.unicode ? DefWindowProcW(h, m, w, l) : DefWindowProcA(h, m, w, l);
}

void ExpectHostSeq(FakeWinamp& host, const HostMsg* expected, const char* name) {
    std::vector<HostMessage> actual;
    for (const HostMessage& m : host.received())
        if (!Ignored(m.message)) actual.push_back(m);
    size_t n = 0;
    while (expected[n].message != 0)
        ++n;
    bool same = actual.size() == n;
    for (size_t i = 0; same && i < n; ++i) {
        const HostMsg& e = expected[i];
        same = actual[i].message == e.message &&
               (!(e.flags & hostWparam) || actual[i].wParam == e.wParam) &&
               (!(e.flags & hostLparam) || actual[i].lParam == e.lParam);
    }
    if (same) return;
    std::ostringstream s;
    s << name << ": the host received another sequence\n";
    for (size_t i = 0; i < std::max(n, actual.size()); ++i) {
        const HostMsg* e = i < n ? &expected[i] : nullptr;
        const HostMessage* a = i < actual.size() ? &actual[i] : nullptr;
        const std::string left =
            e ? Describe(e->message, e->wParam, e->lParam, !(e->flags & hostWparam)) : "";
        const std::string right =
            a ? Describe(a->message, a->wParam, a->lParam, false, a->key) : "";
        s << "  " << i << ": expected " << left
          << std::string(left.size() < 36 ? 36 - left.size() : 1, ' ') << "| got " << right << "\n";
    }
    ADD_FAILURE() << s.str();
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
