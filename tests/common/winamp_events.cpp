#include "common/winamp_events.h"

#include <algorithm>

namespace {
constexpr UINT WM_WA_IPC = WM_USER;
constexpr LPARAM IPC_PLAYING_FILE = 3003, IPC_PLAYING_FILEW = 13003, IPC_CB_MISC = 603,
                 IPC_GET_NEXT_PLITEM = 636, IPC_STOPPLAYING = 3043, IPC_HOOK_OKTOQUIT = 3010;
constexpr WPARAM Title = 0, Status = 2, Info = 4, Paused = 7, Unpaused = 8;
constexpr bool Sent = false, Posted = true;
} // namespace

const std::vector<WinampStep>& StepsOf(WinampEvent event) {
    // The title changes twice at a start (the entry's name, then its formatted title once the
    // decoder has read the tags); the status at every start, stop, pause and resume.
    static const std::vector<WinampStep> start = {{Sent, IPC_PLAYING_FILE, 0, StepArg::FileA},
                                                  {Sent, IPC_PLAYING_FILEW, 0, StepArg::FileW},
                                                  {Posted, IPC_CB_MISC, Title},
                                                  {Posted, IPC_CB_MISC, Status},
                                                  {Posted, IPC_CB_MISC, Title},
                                                  {Posted, IPC_CB_MISC, Info}};
    static const std::vector<WinampStep> next = {{Sent, IPC_GET_NEXT_PLITEM, 0}};
    static const std::vector<WinampStep> pause = {
        {Posted, IPC_CB_MISC, Title}, {Posted, IPC_CB_MISC, Status}, {Posted, IPC_CB_MISC, Paused}};
    static const std::vector<WinampStep> resume = {{Posted, IPC_CB_MISC, Title},
                                                   {Posted, IPC_CB_MISC, Status},
                                                   {Posted, IPC_CB_MISC, Unpaused}};
    static const std::vector<WinampStep> stop = {
        {Sent, IPC_STOPPLAYING, 0}, {Posted, IPC_CB_MISC, Title}, {Posted, IPC_CB_MISC, Status}};
    static const std::vector<WinampStep> title = {{Posted, IPC_CB_MISC, Title}};
    static const std::vector<WinampStep> close = {{Sent, IPC_HOOK_OKTOQUIT, 0}};
    switch (event) {
    case WinampEvent::FileStarts: return start;
    case WinampEvent::NextEntry: return next;
    case WinampEvent::Pause: return pause;
    case WinampEvent::Resume: return resume;
    case WinampEvent::Stop: return stop;
    case WinampEvent::TitleChanges: return title;
    case WinampEvent::Close: return close;
    }
    return title;
}

void PerformWinampEvent(HWND h, WinampEvent event, const std::string& fileA,
                        const std::wstring& fileW, int& depth) {
    for (const WinampStep& step : StepsOf(event)) {
        const WPARAM w = step.arg == StepArg::FileA   ? reinterpret_cast<WPARAM>(fileA.c_str())
                         : step.arg == StepArg::FileW ? reinterpret_cast<WPARAM>(fileW.c_str())
                                                      : step.value;
        if (step.posted) {
            PostMessageW(h, WM_WA_IPC, w, step.code);
            continue;
        }
        ++depth;
        SendMessageW(h, WM_WA_IPC, w, step.code);
        --depth;
    }
}

void RunWinampLoop() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

bool RunWinampLoopUntil(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        RunWinampLoop();
        if (done()) return true;
        const DWORD spent = GetTickCount() - start;
        if (spent >= limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(limitMs - spent, 50),
                                  QS_ALLINPUT);
    }
}
