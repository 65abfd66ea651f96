#include "common/status_view.h"

#include <cstring>

namespace {
std::string ClassOf(HWND h) {
    char name[256] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

std::string TextOf(HWND h) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(strlen(text.c_str()));
    return text;
}

struct Children {
    std::vector<HWND> edits, memos, combos;
};

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<Children*>(lp);
    const std::string cls = ClassOf(h);
    if (cls == "TEdit") c->edits.push_back(h);
    if (cls == "TMemo") c->memos.push_back(h);
    if (cls == "TComboBox") c->combos.push_back(h);
    return TRUE;
}

BOOL CALLBACK CollectForm(HWND h, LPARAM lp) {
    auto* out = reinterpret_cast<std::vector<ClientStatusView>*>(lp);
    const std::string cls = ClassOf(h);
    if (cls != "TCusForm" && cls != "TxStatusForm") return TRUE;
    Children c;
    EnumChildWindows(h, CollectChild, reinterpret_cast<LPARAM>(&c));
    ClientStatusView v;
    v.form = h;
    if (cls == "TCusForm") {
        v.kind = "QIP";
        if (!c.combos.empty()) {
            DWORD_PTR sel = static_cast<DWORD_PTR>(-1);
            SendMessageTimeoutA(c.combos.back(), CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &sel);
            v.picture = static_cast<int>(static_cast<LRESULT>(sel));
        }
        if (!c.edits.empty()) v.longStatus = TextOf(c.edits.front());
        if (c.edits.size() > 1) v.status = TextOf(c.edits.back());
    } else {
        v.kind = "R&Q";
        if (!c.edits.empty()) v.status = TextOf(c.edits.back());
        if (!c.memos.empty()) v.longStatus = TextOf(c.memos.back());
    }
    out->push_back(v);
    return TRUE;
}
} // namespace

std::vector<ClientStatusView> ReadClientStatuses() {
    std::vector<ClientStatusView> views;
    EnumWindows(CollectForm, reinterpret_cast<LPARAM>(&views));
    return views;
}
