// What the running clients' status forms show, read from their windows as a user would see it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct ClientStatusView {
    std::string kind; // "QIP" or "R&Q"
    HWND form = nullptr;
    int picture = -1; // selected picture (QIP); -1 when none or not readable
    std::string status;
    std::string longStatus;
};

// Every QIP ("TCusForm") and R&Q ("TxStatusForm") status form on the desktop, in window order.
std::vector<ClientStatusView> ReadClientStatuses();
