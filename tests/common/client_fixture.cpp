#include "common/client_fixture.h"

#include "common/texts.h"

#include "clients/clients.h"

#include "settings/settings.h"
#include "windows/desktop.h"
#include "transport/send.h"

#include <algorithm>
#include <cstdio>

std::vector<DesktopCall> DesktopRecorder::calls;
POINT DesktopRecorder::cursor{};
HWND DesktopRecorder::foreground = nullptr;
HWND DesktopRecorder::deliverClicksTo = nullptr;
int DesktopRecorder::clicksLost = 0;

namespace {
BOOL WINAPI RecGetCursorPos(LPPOINT p) {
    DesktopRecorder::calls.push_back({"GetCursorPos"});
    if (p) *p = DesktopRecorder::cursor;
    return TRUE;
}
BOOL WINAPI RecSetCursorPos(int x, int y) {
    DesktopRecorder::calls.push_back({"SetCursorPos", x, y});
    return TRUE;
}
void WINAPI RecMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR) {
    DesktopRecorder::calls.push_back(
        {"mouse_event", flags, static_cast<int>(dx), static_cast<int>(dy)});
    (void)data;
    HWND to = DesktopRecorder::deliverClicksTo;
    if (!to || !(flags & MOUSEEVENTF_LEFTDOWN)) return;
    if (DesktopRecorder::clicksLost > 0) {
        --DesktopRecorder::clicksLost;
        return;
    }
    POINT p{static_cast<int>(dx), static_cast<int>(dy)};
    ScreenToClient(to, &p);
    SendMessageA(to, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
}
BOOL WINAPI RecSetForegroundWindow(HWND h) {
    DesktopRecorder::calls.push_back({"SetForegroundWindow", 0, 0, 0, h});
    return TRUE;
}
HWND WINAPI RecGetForegroundWindow() {
    DesktopRecorder::calls.push_back({"GetForegroundWindow"});
    return DesktopRecorder::foreground;
}
} // namespace

void PrintTo(const DesktopCall& c, std::ostream* os) {
    *os << c.what << "(" << c.a << ", " << c.b << ", " << c.c << ", " << c.window << ")";
}

void DesktopRecorder::Install() {
    calls.clear();
    deliverClicksTo = nullptr;
    clicksLost = 0;
    Desktop.GetCursorPos = &RecGetCursorPos;
    Desktop.SetCursorPos = &RecSetCursorPos;
    Desktop.mouse_event = &RecMouseEvent;
    Desktop.SetForegroundWindow = &RecSetForegroundWindow;
    Desktop.GetForegroundWindow = &RecGetForegroundWindow;
}

void DesktopRecorder::Uninstall() {
    Desktop = RealDesktop();
}

void ClientsTest::SetUp() {
    PluginTest::SetUp();
    ps = defPS;
    DesktopRecorder::Install();
    ASSERT_TRUE(clients.running()) << "fake_clients.exe did not start";
    // The time limits mean the same on a slow machine: they are stretched by its slowness, never
    // shortened, so no test passes or fails by how fast the machine is.
    const double slowness = MachineSlowness(clients);
    const TTimeLimits d{};
    TimeLimits = {
        static_cast<DWORD>(d.sendMs * slowness), static_cast<DWORD>(d.updateMs * slowness),
        static_cast<DWORD>(d.restoreSendMs * slowness), static_cast<DWORD>(d.restoreMs * slowness)};
    if (slowness > 1.0) printf("(time limits stretched %.1f times: a slow machine)\n", slowness);
}

void ClientsTest::TearDown() {
    TimeLimits = TTimeLimits{};
    DesktopRecorder::Uninstall();
    PluginTest::TearDown();
}

void ClientsTest::Switch(int id, bool on) {
    ps.DlgControlsV[id].assign(1, on ? '1' : '0');
}

void ClientsTest::Status(int picture, const std::string& status, const std::string& longStatus) {
    ps.Picture = picture;
    ps.Status = U8FromAnsi(status);
    ps.LongStatus = U8FromAnsi(longStatus);
}

void ClientsTest::OnlyOn(std::initializer_list<int> ids) {
    for (int id : {IDC_IfAny, IDC_IfPicture, IDC_IfStatus, IDC_SetPicture, IDC_SetStatus,
                   IDC_SetLongStatus, IDC_Compatible})
        Switch(id, false);
    for (int id : ids)
        Switch(id, true);
}

std::vector<ClientRecord> ClientsTest::UpdateRecords() {
    clients.Records();
    SetText();
    return clients.Records();
}
