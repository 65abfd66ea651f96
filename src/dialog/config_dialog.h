// The modal settings dialog.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ConfigProc(HWND hwndDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
