// The modal settings dialog (template 101): every setting and caption of the current language,
// "Default" for the built-in ones, a language box that switches to another language's section.
#pragma once
#include <windows.h>

// The dialog procedure; config() runs it over Winamp's main window. Returns 0 for every message.
INT_PTR CALLBACK ConfigProc(HWND hwndDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Ends the open dialog, if any, as Cancel (quit while it is open).
void EndConfigDialog();
