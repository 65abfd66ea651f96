#include "common/dialog_driver.h"

#include <gtest/gtest.h>

#include "common/texts.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"

namespace {
std::function<void(HWND)> pendingScript;
HWND seenDialog = nullptr;
UINT_PTR timer = 0;

BOOL CALLBACK FindSettingsDialog(HWND h, LPARAM found) {
    char cls[32] = {}, title[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, title, sizeof title);
    if (std::string(cls) == "#32770" && std::string(title) == AppName && IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(found) = h;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the dialog's modal loop, on the same thread as the plugin.
void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindSettingsDialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg) return; // not up yet
    KillTimer(nullptr, timer);
    timer = 0;
    seenDialog = dlg;
    auto script = std::move(pendingScript);
    pendingScript = nullptr;
    script(dlg);
    if (IsWindow(dlg) && IsWindowVisible(dlg)) Click(dlg, IDCANCEL);
}

HWND messageOwner = nullptr;
std::string messagesSeen;

BOOL CALLBACK AnswerMessageBox(HWND h, LPARAM) {
    char cls[32] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (std::string(cls) != "#32770" || GetWindow(h, GW_OWNER) != messageOwner ||
        !IsWindowVisible(h))
        return TRUE;
    char text[2048] = {};
    GetDlgItemTextA(h, 0xFFFF, text, sizeof text); // a message box's text
    messagesSeen += std::string(text) + "\n";
    PostMessageA(h, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK OnMessageTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &AnswerMessageBox, 0);
}

HWND Control(HWND dlg, int id) {
    return GetDlgItem(dlg, id);
}
} // namespace

HWND RunConfigDialog(const std::function<void(HWND)>& script) {
    return RunDialog(&config, script);
}

HWND RunDialog(const std::function<void()>& open, const std::function<void(HWND)>& script) {
    pendingScript = script;
    seenDialog = nullptr;
    timer = SetTimer(nullptr, 0, 10, &OnTimer);
    open();
    if (timer) KillTimer(nullptr, timer);
    timer = 0;
    pendingScript = nullptr;
    if (!seenDialog) ADD_FAILURE() << "the settings dialog did not open";
    return seenDialog;
}

void Click(HWND dlg, int id) {
    SendMessageA(Control(dlg, id), BM_CLICK, 0, 0);
}

std::string ClickReadingMessages(HWND dlg, int id) {
    messageOwner = dlg;
    messagesSeen.clear();
    const UINT_PTR t = SetTimer(nullptr, 0, 10, &OnMessageTimer);
    Click(dlg, id);
    KillTimer(nullptr, t);
    messageOwner = nullptr;
    return messagesSeen;
}

void TypeInto(HWND dlg, int id, const std::string& text) {
    HWND combo = Control(dlg, id);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    HWND target = edit ? edit : combo;
    SendMessageA(target, EM_SETSEL, 0, -1);
    SendMessageA(target, WM_CHAR, VK_BACK, 0);
    for (unsigned char c : text)
        SendMessageA(target, WM_CHAR, c, 1);
}

void Choose(HWND dlg, int id, int index) {
    HWND combo = Control(dlg, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // What the list tells its dialog when the user picks an item.
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::string ShownText(HWND dlg, int id) {
    char buffer[4096] = {};
    SendMessageA(Control(dlg, id), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::vector<std::string> ListOf(HWND dlg, int id) {
    std::vector<std::string> items;
    HWND combo = Control(dlg, id);
    const LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::string item(static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(strlen(item.c_str()));
        items.push_back(item);
    }
    return items;
}

std::vector<std::string> LinesOf(HWND dlg, int id) {
    std::vector<std::string> lines;
    HWND list = Control(dlg, id);
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        line.resize(wcslen(line.c_str()));
        lines.push_back(Narrow(line, CP_UTF8));
    }
    return lines;
}

int SelectedIndex(HWND dlg, int id) {
    return static_cast<int>(SendMessageA(Control(dlg, id), CB_GETCURSEL, 0, 0));
}

bool IsChecked(HWND dlg, int id) {
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

bool IsEnabledControl(HWND dlg, int id) {
    return IsWindowEnabled(Control(dlg, id)) != FALSE;
}
