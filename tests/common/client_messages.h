// Expected message sequences as data, the way Wine's user32 message tests write them, and the
// comparison against what a fake client's windows received.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "common/client_process.h"

enum MsgFlags : unsigned {
    sent = 0x1,     // sent by the plugin (another program), not by the window's own code
    wparam = 0x2,   // compare wParam
    lparam = 0x4,   // compare lParam
    text = 0x8,     // compare the text a WM_SETTEXT carried
    optional = 0x10 // may be missing
};

struct Msg {
    const char* window = nullptr; // role within the client: "form", "combo", "ok", "edit1", ...
    UINT message = 0;             // 0 ends a table
    unsigned flags = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    const char* text = nullptr;
};

// The messages the plugin sends to a client that only read it, and what the system sends by
// itself; they never appear in the tables.
bool IgnoredMessage(UINT message);

// The plugin's messages to one client (records whose window begins with client + "."), reads
// and system messages left out, in arrival order.
std::vector<ClientRecord> PluginMessages(const std::vector<ClientRecord>& all,
                                         const std::string& client);

// Compares; on a mismatch reports both whole sequences side by side through gtest.
// Nothing at all reached the client.
inline const Msg NothingSeq[] = {{}};

void ok_sequence(const std::vector<ClientRecord>& all, const std::string& client,
                 const Msg* expected, const char* context);
