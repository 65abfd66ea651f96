#include "transport/window_memo.h"

#include "support/owners.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// What is known of one window. Whether it lives holds for one piece of work; its class, thread
// and process hold for its whole life, so they are kept while every piece asks about it.
struct TWindowFacts {
    HWND h = nullptr;
    unsigned used = 0;                                     // the last piece that asked about it
    unsigned aliveAsked = 0, classAsked = 0, idsAsked = 0; // the piece that asked, 0 = none yet
    unsigned unicodeAsked = 0;
    bool alive = false;
    bool unicode = false, unicodeKnown = false;
    std::string className;     // empty = not known (or gone)
    DWORD thread = 0, pid = 0; // 0 = not known (or gone)
};

int memoDepth = 0;
unsigned piece = 0; // the outermost memo now alive
// A handful of windows per client: a short list searched from its end (the window asked
// last is the one most often asked next) is all that is needed.
std::vector<TWindowFacts> facts;

TWindowFacts* FactsOf(HWND h) {
    if (memoDepth == 0 || !h) return nullptr;
    for (auto it = facts.rbegin(); it != facts.rend(); ++it)
        if (it->h == h) {
            it->used = piece;
            return &*it;
        }
    facts.push_back(TWindowFacts{});
    facts.back().h = h;
    facts.back().used = piece;
    return &facts.back();
}

std::string ReadClassName(HWND h) {
    LocalBuffer b(1024);
    if (!b || !h || !GetClassNameA(h, b.get(), 1024)) return {};
    return std::string(b.get(), strnlen(b.get(), b.size()));
}
} // namespace

TWindowMemo::TWindowMemo() {
    if (memoDepth++ == 0 && ++piece == 0) {
        facts.clear(); // the count went round: no stamp of before may pass for this piece's
        piece = 1;
    }
}

TWindowMemo::~TWindowMemo() {
    // What this piece did not ask about is let go: a window no longer asked about may be gone.
    if (--memoDepth == 0)
        facts.erase(std::remove_if(facts.begin(), facts.end(),
                                   [](const TWindowFacts& f) { return f.used != piece; }),
                    facts.end());
}

namespace {
// A fact that holds for one piece of work: asked of the system once in it, without a memo always.
bool OncePerPiece(HWND h, bool TWindowFacts::*value, unsigned TWindowFacts::*asked,
                  BOOL(WINAPI* ask)(HWND)) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return h && ask(h);
    if (f->*asked != piece) {
        f->*value = ask(h) != FALSE;
        f->*asked = piece;
    }
    return f->*value;
}
} // namespace

bool MemoIsWindow(HWND h) {
    return OncePerPiece(h, &TWindowFacts::alive, &TWindowFacts::aliveAsked, &IsWindow);
}

void MemoSawWindow(HWND h) {
    TWindowFacts* f = FactsOf(h);
    if (f && f->aliveAsked != piece) {
        f->alive = true;
        f->aliveAsked = piece;
    }
}

bool MemoIsUnicode(HWND h) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return h && IsWindowUnicode(h);
    if (!f->unicodeKnown && f->unicodeAsked != piece) {
        f->unicode = IsWindowUnicode(h) != FALSE;
        f->unicodeAsked = piece;
        // A window that is gone answers FALSE; only a live one's answer is kept for good.
        f->unicodeKnown = MemoIsWindow(h);
    }
    return f->unicode;
}

std::string MemoClassName(HWND h) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return ReadClassName(h);
    if (f->className.empty() && f->classAsked != piece) {
        f->className = ReadClassName(h);
        f->classAsked = piece;
        // Only a window that exists has a class; one without may have just gone.
        if (!f->className.empty() && f->aliveAsked != piece) {
            f->alive = true;
            f->aliveAsked = piece;
        }
    }
    return f->className;
}

DWORD MemoThreadId(HWND h, DWORD* pid) {
    TWindowFacts* f = FactsOf(h);
    if (!f) return GetWindowThreadProcessId(h, pid);
    if (f->thread == 0 && f->idsAsked != piece) {
        f->thread = GetWindowThreadProcessId(h, &f->pid);
        f->idsAsked = piece;
    }
    if (pid) *pid = f->pid;
    return f->thread;
}
