#include "common/client_process.h"

#include "common/texts.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace {
std::string HelperPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path);
    return p.substr(0, p.find_last_of("\\/") + 1) + "fake_clients.exe";
}

HWND ParseHandle(const std::string& s) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(s, nullptr, 16)));
}
} // namespace

BlockWatch::BlockWatch()
    : event_(CreateEventA(nullptr, TRUE, FALSE, "LumtraFakeClientBlockBegan")) {
    if (event_) ResetEvent(event_); // left set by an earlier test
}
BlockWatch::~BlockWatch() {
    if (event_) CloseHandle(event_);
}
bool BlockWatch::Wait(DWORD ms) const {
    return event_ && WaitForSingleObject(event_, ms) == WAIT_OBJECT_0;
}

// Ten commands to the fake clients, each a pipe write and read and a message to their window
// thread. An update of the tests' few clients costs about a hundred such trips and must fit in a
// quarter of its budget (the rest a stalled client may take). Measured on a development machine:
// 5 to 30 ms for the ten, with other jobs running beside it.
double MachineSlowness(FakeClientProcess& clients) {
    constexpr int Trips = 10;
    constexpr double QuietMs = 30.0; // up to this the limits are left as they are
    clients.Command("records");      // the first waits for the helper to have started
    const DWORD start = GetTickCount();
    for (int i = 0; i < Trips; ++i)
        clients.Command("records");
    // The load beside a test run comes and goes (a client process starting is a burst): the
    // slowest this program has seen stands, or a quiet moment at one test's start would leave
    // its limits too short for a burst a moment later.
    static double slowest = 1.0;
    slowest = std::max(slowest, std::clamp((GetTickCount() - start) / QuietMs, 1.0, 8.0));
    return slowest;
}

HWND FakeClient::operator[](const std::string& role) const {
    auto it = windows.find(name + "." + role);
    return it == windows.end() ? nullptr : it->second;
}

FakeClientProcess::FakeClientProcess() {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &toHelper_, &sa, 0)) return;
    if (!CreatePipe(&fromHelper_, &childOut, &sa, 0)) return;
    SetHandleInformation(toHelper_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromHelper_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + HelperPath() + "\"";
    if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                       &pi)) {
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
        CloseHandle(pi.hThread);
    }
    CloseHandle(childIn);
    CloseHandle(childOut);
}

FakeClientProcess::~FakeClientProcess() {
    if (toHelper_) CloseHandle(toHelper_); // end of input: the helper quits
    if (process_) {
        if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    if (fromHelper_) CloseHandle(fromHelper_);
}

void FakeClientProcess::Kill() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
}

std::vector<std::string> FakeClientProcess::Command(const std::string& line) {
    if (!process_) throw std::runtime_error("the fake clients are not running");
    const std::string out = line + "\n";
    DWORD written = 0;
    if (!WriteFile(toHelper_, out.data(), static_cast<DWORD>(out.size()), &written, nullptr))
        throw std::runtime_error("cannot write to the fake clients");
    std::vector<std::string> lines;
    for (;;) {
        size_t nl;
        while ((nl = pending_.find('\n')) != std::string::npos) {
            std::string l = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            if (l == ".") return lines;
            lines.push_back(l);
        }
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(fromHelper_, chunk, sizeof chunk, &got, nullptr) || got == 0)
            throw std::runtime_error("the fake clients ended");
        pending_.append(chunk, got);
    }
}

FakeClient FakeClientProcess::Make(const std::string& kind, const std::string& name,
                                   const std::string& options) {
    // A test program run with LUMTRA_UNICODE_CLIENTS set drives clients of Unicode windows
    // throughout, as the later builds of both messengers are.
    // ("ansi" keeps one client an ANSI one all the same.)
    char set[8] = {};
    GetEnvironmentVariableA("LUMTRA_UNICODE_CLIENTS", set, sizeof set);
    const bool unicode = set[0] != '\0' && std::string(set) != "0" &&
                         (" " + options + " ").find(" ansi ") == std::string::npos;
    const auto lines = Command(kind + " " + name + " " + options + (unicode ? " unicode" : ""));
    FakeClient c{name, {}};
    std::istringstream in(lines.empty() ? std::string() : lines.back());
    std::string word;
    in >> word;
    if (word != "ok") throw std::runtime_error("fake client not made: " + kind + " " + name);
    while (in >> word) {
        const size_t eq = word.find('=');
        c.windows[word.substr(0, eq)] = ParseHandle(word.substr(eq + 1));
    }
    return c;
}

FakeClient FakeClientProcess::Qip(const std::string& name, const std::string& options) {
    return Make("qip", name, options);
}
FakeClient FakeClientProcess::Rnq(const std::string& name, const std::string& options) {
    return Make("rnq", name, options);
}
void FakeClientProcess::TopLevelWindows(int count, const std::string& windowClass) {
    Command("top " + std::to_string(count) + " " + windowClass);
}
void FakeClientProcess::SetText(const std::string& window, const std::string& text) {
    SetTextU8(window, Recode(text, CP_ACP, CP_UTF8));
}
void FakeClientProcess::SetTextU8(const std::string& window, const std::string& utf8) {
    Command("settext " + window + " " + utf8);
}
void FakeClientProcess::Select(const std::string& window, int index) {
    Command("select " + window + " " + std::to_string(index));
}
void FakeClientProcess::Show(const std::string& window) {
    Command("show " + window);
}
void FakeClientProcess::Hide(const std::string& window) {
    Command("hide " + window);
}
HWND FakeClientProcess::Cover(const std::string& name, const RECT& r) {
    const auto lines =
        Command("cover " + name + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top));
    const std::string last = lines.empty() ? "" : lines.back();
    const size_t eq = last.find('=');
    if (last.rfind("ok ", 0) != 0 || eq == std::string::npos)
        throw std::runtime_error("no cover made: " + last);
    return ParseHandle(last.substr(eq + 1));
}
void FakeClientProcess::Destroy(const std::string& window) {
    Command("destroy " + window);
}
void FakeClientProcess::Hang(int ms) {
    // Answered once the helper's window thread has taken the request and stopped answering.
    const auto lines = Command("hang " + std::to_string(ms));
    if (lines.empty() || lines.back() != "ok") throw std::runtime_error("the hang did not begin");
}
void FakeClientProcess::Block(const std::string& window, UINT message, int ms, int times) {
    char hex[16];
    snprintf(hex, sizeof hex, "%x", message);
    Command("block " + window + " " + hex + " " + std::to_string(ms) + " " + std::to_string(times));
}
void FakeClientProcess::Vanish(const std::string& window, UINT message) {
    char hex[16];
    snprintf(hex, sizeof hex, "%x", message);
    Command("vanish " + window + " " + hex);
}
void FakeClientProcess::ClaimTextLength(const std::string& window, long long length) {
    Command("textlength " + window + " " + std::to_string(length));
}

FormShows FakeClientProcess::State(const std::string& form) {
    const auto lines = Command("state " + form);
    FormShows s;
    const std::string l = lines.empty() ? std::string() : lines.back();
    auto field = [&](const std::string& key, const std::string& next) {
        const size_t b = l.find(key);
        if (b == std::string::npos) return std::string();
        const size_t from = b + key.size();
        const size_t e = next.empty() ? std::string::npos : l.find(next, from);
        return l.substr(from, e == std::string::npos ? std::string::npos : e - from);
    };
    s.visible = field(" visible=", " ") == "1";
    const size_t v = l.find(" visible=");
    const size_t c = l.find(" confirmations=");
    if (v != std::string::npos && c != std::string::npos)
        s.appliedU8 = l.substr(v + 11, c - v - 11);
    s.confirmations = std::atoi(field(" confirmations=", " ").c_str());
    s.confirmedU8 = field(" confirmed=", "");
    s.applied = Recode(s.appliedU8, CP_UTF8, CP_ACP);
    s.confirmed = Recode(s.confirmedU8, CP_UTF8, CP_ACP);
    return s;
}

std::vector<ClientRecord> FakeClientProcess::Records() {
    std::vector<ClientRecord> out;
    auto lines = Command("records");
    if (!lines.empty()) lines.pop_back(); // "ok"
    for (const std::string& l : lines) {
        std::istringstream in(l);
        ClientRecord r{};
        std::string msg, w, lp, flag;
        in >> r.window >> msg >> w >> lp >> flag;
        r.message = static_cast<UINT>(std::stoul(msg, nullptr, 16));
        r.wParam = static_cast<WPARAM>(std::stoull(w, nullptr, 16));
        r.lParam = static_cast<LPARAM>(std::stoull(lp, nullptr, 16));
        r.sent = flag == "s";
        std::getline(in, r.textU8);
        if (!r.textU8.empty() && r.textU8[0] == ' ') r.textU8.erase(0, 1);
        r.text = Recode(r.textU8, CP_UTF8, CP_ACP);
        out.push_back(r);
    }
    return out;
}
