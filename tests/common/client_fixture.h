// A loaded plugin with the built-in settings, a process of fake clients beside it, and the
// desktop calls (cursor, foreground, injected input) recorded instead of made.
#pragma once
#include <windows.h>
#include <ostream>
#include <string>
#include <vector>

#include "common/client_process.h"
#include "common/plugin_fixture.h"

// One call the plugin made through the Desktop table.
struct DesktopCall {
    std::string what; // "GetCursorPos", "SetCursorPos", "mouse_event", ...
    long long a = 0, b = 0, c = 0;
    HWND window = nullptr;
    bool operator==(const DesktopCall&) const = default;
};
void PrintTo(const DesktopCall& c, std::ostream* os);

// Records the desktop calls; GetCursorPos answers cursor, GetForegroundWindow answers
// foreground.
struct DesktopRecorder {
    static std::vector<DesktopCall> calls;
    static POINT cursor;
    static HWND foreground;
    // When set, the injected left clicks reach this window at once as WM_LBUTTONDOWN, as QIP's
    // main window gets them, except the first clicksLost of them (a click QIP handles late).
    static HWND deliverClicksTo;
    static int clicksLost;
    static void Install();
    static void Uninstall();
};

class ClientsTest : public PluginTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Sets a switch setting.
    static void Switch(int id, bool on);
    // The status to apply, as the update cycle prepares it (in UTF-8; given in the ANSI code
    // page, as the tests' literals are).
    static void Status(int picture, const std::string& status, const std::string& longStatus);
    // Only the switches given are on, of IfAny, IfPicture, IfStatus, SetPicture, SetStatus,
    // SetLongStatus, Compatible.
    static void OnlyOn(std::initializer_list<int> ids);
    // One update (SetText), and what the clients received during it.
    std::vector<ClientRecord> UpdateRecords();

    FakeClientProcess clients;
};
