// The plugin's own icon in the notification area.
#pragma once
#include <windows.h>

// Callback message of the icon and its id.
inline constexpr UINT dwTRAY_MSG = WM_USER + 2708;
inline constexpr UINT IDC_TRAYICON = 1000;

// Removes the icon and, when the plugin is enabled with the tray option on, adds it again.
void do_icons();

// A mouse event of the icon, as reported to Winamp's main window (WindowProc's tray branch).
void OnTrayMessage(LPARAM lParam);

// Puts the tray text of the last update into the icon's tooltip (end of each update).
void RefreshTrayTip();
