#include "transport/window_memo.h"

#include "support/owners.h"

#include <cstring>
#include <vector>

namespace {
struct TWindowFacts {
    HWND h = nullptr;
    bool askedAlive = false, alive = false;
    bool askedClass = false;
    std::string className;
    bool askedIds = false;
    DWORD thread = 0, pid = 0;
};

int memoDepth = 0;
// A handful of windows per client: a short list searched from its end (the window asked
// last is the one most often asked next) is all that is needed.
std::vector<TWindowFacts> facts;

TWindowFacts* FactsOf(HWND h) {
    if (memoDepth == 0 || !h) return nullptr;
    for (auto it = facts.rbegin(); it != facts.rend(); ++it)
        if (it->h == h) return &*it;
    facts.push_back(TWindowFacts{});
    facts.back().h = h;
    return &facts.back();
}

std::string ReadClassName(HWND h) {
    LocalBuffer b(1024);
    if (!b || !h || !GetClassNameA(h, b.get(), 1024)) return {};
    return std::string(b.get(), strnlen(b.get(), b.size()));
}
} // namespace

TWindowMemo::TWindowMemo() {
    if (memoDepth++ == 0) facts.clear();
}

TWindowMemo::~TWindowMemo() {
    if (--memoDepth == 0) facts.clear();
}

bool MemoIsWindow(HWND h) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return h && IsWindow(h);
    if (!f->askedAlive) {
        f->alive = IsWindow(h) != FALSE;
        f->askedAlive = true;
    }
    return f->alive;
}

void MemoSawWindow(HWND h) {
    TWindowFacts* f = FactsOf(h);
    if (f && !f->askedAlive) f->alive = f->askedAlive = true;
}

std::string MemoClassName(HWND h) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return ReadClassName(h);
    if (!f->askedClass) {
        f->className = ReadClassName(h);
        f->askedClass = true;
        // Only a window that exists has a class; one without may have just gone.
        if (!f->className.empty() && !f->askedAlive) f->alive = f->askedAlive = true;
    }
    return f->className;
}

DWORD MemoThreadId(HWND h, DWORD* pid) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return GetWindowThreadProcessId(h, pid);
    if (!f->askedIds) {
        f->thread = GetWindowThreadProcessId(h, &f->pid);
        f->askedIds = true;
    }
    if (pid) *pid = f->pid;
    return f->thread;
}
