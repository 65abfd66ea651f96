// The modal settings dialog (template 101): every setting and caption of the current language,
// "Default" for the built-in ones, a language box that switches to another language's section.
#pragma once
#include <windows.h>

// What OK asks of the running plugin, which sits above the dialog: whether it was stopped while
// the dialog was open (then nothing is applied), and bringing it in line with the stored settings.
struct TDialogActions {
    bool (*stopped)();
    void (*apply)();
};

// The dialog procedure; config() runs it over Winamp's main window with a TDialogActions as the
// creation parameter (null: OK stores the settings and applies nothing). Returns 0 for every
// message.
INT_PTR CALLBACK ConfigProc(HWND hwndDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Ends the open dialog, if any, as Cancel (quit while it is open).
void EndConfigDialog();
