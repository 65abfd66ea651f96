#include "support/send.h"

#include <algorithm>
#include <vector>

namespace {
int passDepth = 0;
std::vector<DWORD> silentThreads; // threads that timed out in the current pass

DWORD ThreadOf(HWND h) {
    return GetWindowThreadProcessId(h, nullptr);
}
} // namespace

TSendPass::TSendPass() {
    if (passDepth++ == 0) silentThreads.clear();
}

TSendPass::~TSendPass() {
    if (--passDepth == 0) silentThreads.clear();
}

bool IsUnanswering(HWND h) {
    if (silentThreads.empty() || !h) return false;
    const DWORD t = ThreadOf(h);
    return t != 0 && std::find(silentThreads.begin(), silentThreads.end(), t) != silentThreads.end();
}

LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsUnanswering(h)) return 0;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(h, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, SendTimeoutMs,
                            &result))
        return static_cast<LRESULT>(result);
    // A window that still exists but gave no answer is hung (or too slow to wait for).
    if (passDepth > 0 && IsWindow(h)) {
        const DWORD t = ThreadOf(h);
        if (t != 0 && t != GetCurrentThreadId()) silentThreads.push_back(t);
    }
    return 0;
}
