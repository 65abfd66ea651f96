// Stand-ins for the QIP and R&Q messengers, in a process of their own as the real clients are.
// Commands arrive one per line on standard input; each answer is a few lines ended by ".".
// Texts travel in UTF-8 both ways, whatever the windows speak.
// Every message each window receives is recorded, and the "records" command hands the record
// over (and starts a new one). Reusable beside any program that drives the clients.
//
// Commands:
//   qip NAME [visible] [nocombo] [noedits] [nook] [okafterclick] [hiddenpanels]
//            [panels=N] [edits=N] [at=X,Y,W,H] [unicode]
//       a QIP client: main window, status form, panels, combo box of 30 pictures, edits
//   rnq NAME [visible] [noedit] [nomemo] [edits=N] [memos=N] [mains=N] [owned] [unicode]
//       an R&Q client: hidden application window, main window(s), status form
//   (unicode: every window of the client is a Unicode window, as in the later builds made with
//   a Unicode toolkit; otherwise ANSI windows, as in the older ones)
//   top N CLASS        N plain top-level windows of a class (the rest of the line, so that
//                      "top 1 Winamp v1.x" stands in for a running Winamp)
//   cover NAME X,Y,W,H an always-on-top window of this process over that rectangle (another
//                      program's when sent to a process of its own)
//   settext WINDOW TEXT | select WINDOW INDEX | show WINDOW | hide WINDOW | minimize WINDOW
//   destroy WINDOW
//   state WINDOW       what a form shows and what its last confirmation applied
//   records            the record since the last call, then forget it
//   hang MS            stop answering messages for MS milliseconds; answered once the hang began
//   block WINDOW MSG MS [TIMES]   take MS milliseconds inside message MSG (hex) sent to the
//                      window from outside, the next TIMES times (every time when left out);
//                      each time it begins, the event named BlockBeganEvent is set if it exists
//   textlength WINDOW N            answer WM_GETTEXTLENGTH with N
//   vanish WINDOW MSG              destroy the window as message MSG (hex) reaches it from outside
#include <windows.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct Record {
    std::string window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;        // sent by another thread (another program), not by the window's own code
    std::string text; // UTF-8
};

struct FormState {
    int picture = -1;      // R&Q: the grid cell last clicked
    int confirmations = 0; // OK clicks (QIP) or Enter presses (R&Q)
    std::string confirmed; // what the last confirmation applied
    HWND combo = nullptr, status = nullptr, longStatus = nullptr, form = nullptr;
    bool okAfterClick = false; // QIP: the "OK" panel appears after a click on the main window
    bool okDown = false;
};

std::map<HWND, std::string> names;
std::map<HWND, bool> wide; // the windows made Unicode ones
std::map<std::string, HWND> byName;
std::map<HWND, FormState> forms; // by form window (and by QIP main window for the click)
std::vector<Record> records;

// Misbehaviour asked for by the tests: time spent inside a message, a lie about a text length.
struct Block {
    UINT message;
    DWORD ms;
    int times; // below 0: every time
};
std::map<HWND, std::vector<Block>> blocks;
std::map<HWND, LRESULT> lengthLies;
std::map<HWND, UINT> vanishes;
WNDPROC comboProc = nullptr, editProc = nullptr;   // the system's, as ANSI procedures
WNDPROC comboProcW = nullptr, editProcW = nullptr; // and as Unicode ones
HWND control = nullptr;
HANDLE hangBegan = CreateEventA(nullptr, FALSE, FALSE, nullptr);
constexpr char BlockBeganEvent[] = "LumtraFakeClientBlockBegan";
constexpr UINT WM_COMMANDLINE = WM_APP + 1;
constexpr UINT WM_HANG = WM_APP + 2;

std::string Hex(HWND h) {
    char b[32];
    snprintf(b, sizeof b, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
    return b;
}

bool makingWide = false; // the client being made has Unicode windows

void Name(HWND h, const std::string& n) {
    names[h] = n;
    byName[n] = h;
    if (makingWide && h) {
        // The same procedure set with the wide function makes the window a Unicode one.
        wide[h] = true;
        SetWindowLongPtrW(h, GWLP_WNDPROC, GetWindowLongPtrA(h, GWLP_WNDPROC));
    }
}

bool IsWide(HWND h) {
    auto it = wide.find(h);
    return it != wide.end() && it->second;
}

std::string Utf8(const wchar_t* w, int n = -1) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
    std::string r(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, w, n, r.data(), size, nullptr, nullptr);
    if (n < 0 && !r.empty()) r.pop_back(); // the terminating NUL
    return r;
}

std::wstring Wide(const std::string& s, UINT codePage) {
    const int n =
        MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// What a window shows, read in its own kind, as UTF-8.
std::string TextOf(HWND h) {
    if (IsWide(h)) {
        wchar_t b[4096] = {};
        GetWindowTextW(h, b, 4096);
        return Utf8(b);
    }
    char b[4096] = {};
    GetWindowTextA(h, b, sizeof b);
    return Utf8(Wide(b, CP_ACP).c_str());
}

// A UTF-8 text set in the window's own kind: an ANSI window gets what the code page makes of it.
void SetTextOf(HWND h, const std::string& utf8) {
    const std::wstring w = Wide(utf8, CP_UTF8);
    if (IsWide(h)) {
        SetWindowTextW(h, w.c_str());
    } else {
        const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string a(n > 0 ? static_cast<size_t>(n) : 1, '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, a.data(), n, nullptr, nullptr);
        SetWindowTextA(h, a.c_str());
    }
}

LRESULT Def(HWND h, UINT m, WPARAM w, LPARAM l) {
    return IsWide(h) ? DefWindowProcW(h, m, w, l) : DefWindowProcA(h, m, w, l);
}

// Messages a window gets while the helper's own code runs (creating windows, a control telling
// its form about a change) are the client's own business; only those that arrive from outside,
// with nothing of ours running, count as sent by another program.
int depth = 0;
struct Nest {
    Nest() { ++depth; }
    ~Nest() { --depth; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;
};

void Log(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto it = names.find(h);
    if (it == names.end()) return;
    Record r{it->second, m, w, l, depth == 0 && InSendMessage() != FALSE, {}};
    if (m == WM_SETTEXT && l)
        r.text = IsWide(h) ? Utf8(reinterpret_cast<const wchar_t*>(l))
                           : Utf8(Wide(reinterpret_cast<const char*>(l), CP_ACP).c_str());
    records.push_back(r);
}

// Applies the misbehaviour set for a window to a message from another program; true when it
// answers in the window's stead.
bool Misbehave(HWND h, UINT m, LRESULT& answer) {
    if (depth != 0 || !InSendMessage()) return false;
    auto b = blocks.find(h);
    if (b != blocks.end())
        for (Block& x : b->second)
            if (x.message == m && x.times != 0) {
                if (x.times > 0) --x.times;
                if (HANDLE began = OpenEventA(EVENT_MODIFY_STATE, FALSE, BlockBeganEvent)) {
                    SetEvent(began); // a test waiting for the plugin to be inside this wait
                    CloseHandle(began);
                }
                Sleep(x.ms); // answering nothing meanwhile, as a busy client does
            }
    auto gone = vanishes.find(h);
    if (gone != vanishes.end() && gone->second == m) {
        vanishes.erase(gone);
        DestroyWindow(h); // as a client re-creating its controls does
        answer = 0;
        return true;
    }
    auto lie = lengthLies.find(h);
    if (m == WM_GETTEXTLENGTH && lie != lengthLies.end()) {
        answer = lie->second;
        return true;
    }
    return false;
}

LRESULT CALLBACK ComboProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    return IsWide(h) ? CallWindowProcW(comboProcW, h, m, w, l)
                     : CallWindowProcA(comboProc, h, m, w, l);
}
LRESULT CALLBACK EditProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    return IsWide(h) ? CallWindowProcW(editProcW, h, m, w, l)
                     : CallWindowProcA(editProc, h, m, w, l);
}

FormState* StateOf(HWND h) {
    auto it = forms.find(h);
    return it == forms.end() ? nullptr : &it->second;
}

std::string Applied(const FormState& s) {
    std::string r =
        "pic=" + std::to_string(s.combo
                                    ? static_cast<int>(SendMessageA(s.combo, CB_GETCURSEL, 0, 0))
                                    : s.picture);
    r += "|status=" + (s.status ? TextOf(s.status) : std::string());
    r += "|long=" + (s.longStatus ? TextOf(s.longStatus) : std::string());
    return r;
}

// The QIP "OK" panel: a click on it applies the form and hides it, as QIP does.
LRESULT CALLBACK PanelProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    HWND form = GetAncestor(h, GA_ROOT);
    FormState* s = StateOf(form);
    if (s && TextOf(h) == "OK") {
        if (m == WM_LBUTTONDOWN) s->okDown = true;
        if (m == WM_LBUTTONUP && s->okDown) {
            s->okDown = false;
            ++s->confirmations;
            s->confirmed = Applied(*s);
            ShowWindow(form, SW_HIDE);
        }
    }
    return Def(h, m, w, l);
}

HWND Child(const char* cls, const std::string& name, HWND parent, const char* text, DWORD style,
           int y) {
    HWND h = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 5, y, 150, 20, parent,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    Name(h, name);
    return h;
}

// QIP's main window opens the form when clicked near its bottom-right corner.
LRESULT CALLBACK QipMainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    if (m == WM_LBUTTONDOWN || m == WM_NCLBUTTONDOWN) {
        POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
        if (m == WM_LBUTTONDOWN) ClientToScreen(h, &p);
        RECT r{};
        GetWindowRect(h, &r);
        FormState* s = StateOf(h);
        const std::string base = names[h].substr(0, names[h].find('.') + 1);
        if (s && s->okAfterClick && abs(p.x - (r.right - 15)) <= 2 &&
            abs(p.y - (r.bottom - 40)) <= 2 && !byName.count(base + "ok"))
            Child("TPanel", base + "ok", s->form, "OK", 0, 200);
    }
    if (m == WM_MOUSEACTIVATE) return MA_ACTIVATE;
    return Def(h, m, w, l);
}

// QIP's status form hides itself instead of closing.
LRESULT CALLBACK FormProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    if (m == WM_CLOSE) {
        ShowWindow(h, SW_HIDE);
        return 0;
    }
    return Def(h, m, w, l);
}

// R&Q's status form: a picture grid drawn on the form, Enter applies, close hides.
LRESULT CALLBACK RnqFormProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    FormState* s = StateOf(h);
    if (s) {
        if (m == WM_LBUTTONUP) {
            const int x = static_cast<short>(LOWORD(l)), y = static_cast<short>(HIWORD(l));
            const int col = (x - 20 + 15) / 30, row = (y - 50 + 12) / 25;
            if (x >= 5 && y >= 38 && col < 7) s->picture = row * 7 + col;
        }
        if (m == WM_KEYDOWN && w == VK_RETURN) {
            ++s->confirmations;
            s->confirmed = Applied(*s);
        }
        if (m == WM_CLOSE) {
            ShowWindow(h, SW_HIDE);
            return 0;
        }
    }
    return Def(h, m, w, l);
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log(h, m, w, l);
    if (LRESULT lie = 0; Misbehave(h, m, lie)) return lie;
    const Nest nest;
    return Def(h, m, w, l);
}

void RegisterClasses() {
    const HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    GetClassInfoA(nullptr, "COMBOBOX", &wc);
    comboProc = wc.lpfnWndProc;
    wc.hInstance = inst;
    wc.lpfnWndProc = ComboProc;
    wc.lpszClassName = "TComboBox";
    RegisterClassA(&wc);
    WNDCLASSW wcw{};
    GetClassInfoW(nullptr, L"COMBOBOX", &wcw);
    comboProcW = wcw.lpfnWndProc;
    GetClassInfoW(nullptr, L"EDIT", &wcw);
    editProcW = wcw.lpfnWndProc;
    wc = WNDCLASSA{};
    GetClassInfoA(nullptr, "EDIT", &wc);
    editProc = wc.lpfnWndProc;
    wc.hInstance = inst;
    wc.lpfnWndProc = EditProc;
    wc.lpszClassName = "TEdit";
    RegisterClassA(&wc);
    wc.lpszClassName = "TMemo";
    RegisterClassA(&wc);
    const std::pair<const char*, WNDPROC> own[] = {
        {"TPanel", PanelProc},   {"TMainForm", QipMainProc},    {"TCusForm", FormProc},
        {"TRnQmain", PlainProc}, {"TxStatusForm", RnqFormProc}, {"TApplication", PlainProc}};
    for (const auto& [cls, proc] : own) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = proc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
    }
}

struct Options {
    std::map<std::string, std::string> kv;
    bool Has(const std::string& k) const { return kv.count(k) != 0; }
    int Int(const std::string& k, int def) const {
        auto it = kv.find(k);
        return it == kv.end() ? def : atoi(it->second.c_str());
    }
};

Options Parse(std::istringstream& in) {
    Options o;
    std::string w;
    while (in >> w) {
        const size_t eq = w.find('=');
        if (eq == std::string::npos)
            o.kv[w] = "";
        else
            o.kv[w.substr(0, eq)] = w.substr(eq + 1);
    }
    return o;
}

HWND TopLevel(const char* cls, const std::string& name, const char* title, HWND owner, bool visible,
              int x, int y, int w, int h) {
    // Owned forms are popups, as the clients' forms are: GetParent reports their owner.
    const DWORD style = owner ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW;
    HWND wnd = CreateWindowExA(0, cls, title, style | (visible ? WS_VISIBLE : 0), x, y, w, h, owner,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    Name(wnd, name);
    return wnd;
}

std::string Created(const std::string& prefix) {
    std::string r = "ok";
    for (const auto& [n, h] : byName)
        if (n.rfind(prefix, 0) == 0) r += " " + n + "=" + Hex(h);
    return r;
}

std::string MakeQip(const std::string& name, const Options& o) {
    int x = 400, y = 300, w = 300, h = 300;
    if (o.Has("at")) sscanf(o.kv.at("at").c_str(), "%d,%d,%d,%d", &x, &y, &w, &h);
    const std::string p = name + ".";
    HWND main =
        TopLevel("TMainForm", p + "main", ("QIP " + name).c_str(), nullptr, true, x, y, w, h);
    HWND form =
        TopLevel("TCusForm", p + "form", "Status", main, o.Has("visible"), 50, 50, 250, 300);
    FormState s;
    s.form = form;
    s.okAfterClick = o.Has("okafterclick");
    int yy = 5;
    const int panels = o.Int("panels", 1);
    // QIP keeps some of its panels hidden until the form is used.
    const DWORD panelStyle = o.Has("hiddenpanels") ? 0 : WS_VISIBLE;
    for (int i = 1; i <= panels; ++i) {
        HWND pan = Child("TPanel", p + "pan" + std::to_string(i), form, "", 0, yy += 22);
        if (!panelStyle) ShowWindow(pan, SW_HIDE);
    }
    if (!o.Has("nook") && !s.okAfterClick) Child("TPanel", p + "ok", form, "OK", 0, yy += 22);
    if (!o.Has("nocombo")) {
        s.combo =
            Child("TComboBox", p + "combo", form, "", CBS_DROPDOWNLIST | WS_VSCROLL, yy += 22);
        for (int i = 0; i < 30; ++i)
            SendMessageA(s.combo, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(("picture " + std::to_string(i)).c_str()));
        SendMessageA(s.combo, CB_SETCURSEL, 0, 0);
    }
    if (!o.Has("noedits")) {
        const int edits = o.Int("edits", 2);
        for (int i = 1; i <= edits; ++i) {
            HWND e =
                Child("TEdit", p + "edit" + std::to_string(i), form, "", ES_AUTOHSCROLL, yy += 22);
            if (i == 1)
                s.longStatus = e;
            else
                s.status = e;
        }
    }
    forms[form] = s;
    forms[main] = s; // the main window finds its form through this
    return Created(p);
}

std::string MakeRnq(const std::string& name, const Options& o) {
    const std::string p = name + ".";
    HWND app = TopLevel("TApplication", p + "app", "R&Q", nullptr, false, 0, 0, 10, 10);
    HWND main = nullptr;
    const int mains = o.Int("mains", 1);
    for (int i = 1; i <= mains; ++i)
        main = TopLevel("TRnQmain", p + (i == 1 ? std::string("main") : "main" + std::to_string(i)),
                        ("R&Q " + name + (i == 1 ? "" : " " + std::to_string(i))).c_str(), app,
                        false, 20, 20, 200, 200);
    // A Delphi form is owned by the hidden application window, not by the main window.
    HWND form = TopLevel("TxStatusForm", p + "form", "Status", o.Has("owned") ? main : app,
                         o.Has("visible"), 60, 60, 260, 320);
    FormState s;
    s.form = form;
    if (!o.Has("noedit"))
        for (int i = 1, n = o.Int("edits", 1); i <= n; ++i)
            s.status = Child("TEdit", p + "edit" + std::to_string(i), form, "", ES_AUTOHSCROLL,
                             200 + 22 * i);
    if (!o.Has("nomemo"))
        for (int i = 1, n = o.Int("memos", 1); i <= n; ++i)
            s.longStatus = Child("TMemo", p + "memo" + std::to_string(i), form, "",
                                 ES_MULTILINE | ES_AUTOVSCROLL, 250 + 22 * i);
    forms[form] = s;
    return Created(p);
}

HWND Named(const std::string& n) {
    auto it = byName.find(n);
    return it == byName.end() ? nullptr : it->second;
}

std::string Escape(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

std::string Run(const std::string& line) {
    std::istringstream in(line);
    std::string cmd, name;
    in >> cmd;
    if (cmd == "qip" || cmd == "rnq") {
        in >> name;
        const Options o = Parse(in);
        makingWide = o.Has("unicode");
        const std::string made = cmd == "qip" ? MakeQip(name, o) : MakeRnq(name, o);
        makingWide = false;
        return made;
    }
    if (cmd == "top") {
        int n = 0;
        std::string cls;
        in >> n >> std::ws;
        std::getline(in, cls);
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls.c_str();
        RegisterClassA(&wc);
        for (int i = 0; i < n; ++i)
            CreateWindowExA(0, cls.c_str(), cls.c_str(), WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
        return "ok";
    }
    if (cmd == "cover") {
        int x = 0, y = 0, w = 0, h = 0;
        in >> name;
        std::string at;
        in >> at;
        if (sscanf(at.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) != 4) return "error usage";
        HWND cover =
            CreateWindowExA(WS_EX_TOPMOST, "FakeClientsCover", name.c_str(), WS_POPUP | WS_VISIBLE,
                            x, y, w, h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!cover) return "error not made";
        Name(cover, name);
        return "ok " + name + "=" + Hex(cover);
    }
    if (cmd == "records") {
        std::string r;
        for (const Record& x : records) {
            char b[128];
            snprintf(b, sizeof b, "%s %x %llx %llx %c ", x.window.c_str(), x.message,
                     static_cast<unsigned long long>(x.wParam),
                     static_cast<unsigned long long>(x.lParam), x.sent ? 's' : 'i');
            r += b + Escape(x.text) + "\n";
        }
        records.clear();
        return r + "ok";
    }
    if (cmd == "hang") {
        int ms = 0;
        in >> ms;
        PostMessageA(control, WM_HANG, static_cast<WPARAM>(ms), 0);
        return "ok";
    }
    in >> name;
    HWND h = Named(name);
    if (!h) return "error no window " + name;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    if (cmd == "settext")
        SetTextOf(h, rest);
    else if (cmd == "select")
        SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(atoi(rest.c_str())), 0);
    else if (cmd == "block") {
        unsigned message = 0;
        int ms = 0, times = -1;
        if (sscanf(rest.c_str(), "%x %d %d", &message, &ms, &times) < 2) return "error usage";
        blocks[h].push_back({message, static_cast<DWORD>(ms), times});
    } else if (cmd == "vanish") {
        unsigned message = 0;
        if (sscanf(rest.c_str(), "%x", &message) < 1) return "error usage";
        vanishes[h] = message;
    } else if (cmd == "textlength")
        lengthLies[h] = static_cast<LRESULT>(strtoll(rest.c_str(), nullptr, 10));
    else if (cmd == "show")
        ShowWindow(h, SW_SHOWNOACTIVATE);
    else if (cmd == "hide")
        ShowWindow(h, SW_HIDE);
    else if (cmd == "minimize")
        ShowWindow(h, SW_MINIMIZE);
    else if (cmd == "destroy")
        DestroyWindow(h);
    else if (cmd == "state") {
        FormState* s = StateOf(h);
        if (!s) return "error not a form";
        return "ok visible=" + std::to_string(IsWindowVisible(h) ? 1 : 0) + " " +
               Escape(Applied(*s)) + " confirmations=" + std::to_string(s->confirmations) +
               " confirmed=" + Escape(s->confirmed);
    } else
        return "error unknown command";
    return "ok";
}

LRESULT CALLBACK ControlProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMANDLINE) {
        const Nest nest;
        auto* io = reinterpret_cast<std::pair<std::string, std::string>*>(l);
        try {
            io->second = Run(io->first);
        } catch (...) {
            io->second = "error exception";
        }
        return 0;
    }
    if (m == WM_HANG) {
        SetEvent(hangBegan);
        Sleep(static_cast<DWORD>(w)); // not answering anyone, as a hung client does
        return 0;
    }
    if (m == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return Def(h, m, w, l);
}

// Reads commands and hands each to the window thread; the answer goes back on standard output.
DWORD WINAPI Reader(void*) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string buffer;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(in, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        buffer.append(chunk, got);
        size_t nl;
        while ((nl = buffer.find('\n')) != std::string::npos) {
            std::pair<std::string, std::string> io{buffer.substr(0, nl), {}};
            buffer.erase(0, nl + 1);
            if (!io.first.empty() && io.first.back() == '\r') io.first.pop_back();
            SendMessageA(control, WM_COMMANDLINE, 0, reinterpret_cast<LPARAM>(&io));
            // A hang is told only once it holds: the window thread takes it from its queue later.
            if (io.first.rfind("hang ", 0) == 0 && io.second == "ok" &&
                WaitForSingleObject(hangBegan, 60000) != WAIT_OBJECT_0)
                io.second = "error the hang did not begin";
            const std::string answer = io.second + "\n.\n";
            DWORD written = 0;
            WriteFile(out, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
        }
    }
    PostMessageA(control, WM_CLOSE, 0, 0);
    return 0;
}
} // namespace

int main() {
    RegisterClasses();
    WNDCLASSA wc{};
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FakeClientsControl";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FakeClientsCover";
    RegisterClassA(&wc);
    control = CreateWindowExA(0, "FakeClientsControl", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    HANDLE reader = CreateThread(nullptr, 0, Reader, nullptr, 0, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (reader) CloseHandle(reader);
    return 0;
}
