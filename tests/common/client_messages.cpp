#include "common/client_messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {
std::string Describe(const std::string& window, UINT m, WPARAM w, LPARAM l, const std::string& t) {
    char b[160];
    snprintf(b, sizeof b, "%-10s %04x w=%llx l=%llx", window.c_str(), m,
             static_cast<unsigned long long>(w), static_cast<unsigned long long>(l));
    return t.empty() ? b : std::string(b) + " \"" + t + "\"";
}

bool Same(const Msg& e, const ClientRecord& r, const std::string& client) {
    if (r.window != client + "." + e.window || r.message != e.message) return false;
    if ((e.flags & wparam) && r.wParam != e.wParam) return false;
    if ((e.flags & lparam) && r.lParam != e.lParam) return false;
    if ((e.flags & text) && r.text != (e.text ? e.text : "")) return false;
    return true;
}
} // namespace

bool IgnoredMessage(UINT m) {
    switch (m) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case CB_GETCURSEL:
    case WM_NULL:
    case WM_GETICON:
    case WM_DEVICECHANGE: // broadcast whenever a device or a mount comes or goes
    case WM_GETMINMAXINFO:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_GETOBJECT:
    // What the system sends a panel that the plugin shows (the panels' state is tested).
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_NCCALCSIZE:
    case WM_MOVE:
    case WM_SIZE: return true;
    default: return m >= 0xC000; // registered messages
    }
}

std::vector<ClientRecord> PluginMessages(const std::vector<ClientRecord>& all,
                                         const std::string& client) {
    std::vector<ClientRecord> out;
    for (const ClientRecord& r : all)
        if (r.sent && !IgnoredMessage(r.message) && r.window.rfind(client + ".", 0) == 0)
            out.push_back(r);
    return out;
}

void ok_sequence(const std::vector<ClientRecord>& all, const std::string& client,
                 const Msg* expected, const char* context) {
    const std::vector<ClientRecord> got = PluginMessages(all, client);
    size_t g = 0;
    bool match = true;
    for (const Msg* e = expected; e->message; ++e) {
        if (g < got.size() && Same(*e, got[g], client)) {
            ++g;
        } else if (!(e->flags & optional)) {
            match = false;
            break;
        }
    }
    if (match && g == got.size()) return;

    std::ostringstream os;
    os << context << ": message sequence of " << client << " differs\n  expected:\n";
    for (const Msg* e = expected; e->message; ++e)
        os << "    " << (e->flags & optional ? "(opt) " : "")
           << Describe(client + "." + e->window, e->message, e->wParam, e->lParam,
                       e->text ? e->text : "")
           << "\n";
    os << "  received:\n";
    for (const ClientRecord& r : got)
        os << "    " << Describe(r.window, r.message, r.wParam, r.lParam, r.text) << "\n";
    ADD_FAILURE() << os.str();
}
