// The replacement window procedure on Winamp's main window: every event reaches the plugin here.
#pragma once
#include <windows.h>

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
