// Opens the settings dialog through config() and drives it from inside its own modal loop, the
// way a user would: clicks, typing, choosing from lists, OK, Cancel.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Runs config(); once the dialog is up, `script` gets its window. A dialog the script leaves
// open is cancelled. Returns the dialog window seen; a dialog that never came up fails the test.
HWND RunConfigDialog(const std::function<void(HWND dlg)>& script);
// The same with another way of opening it (a player calling the loaded DLL's config).
HWND RunDialog(const std::function<void()>& open, const std::function<void(HWND dlg)>& script);

// ---- what a user does
void Click(HWND dlg, int id);                             // a mouse click on a button or check box
void TypeInto(HWND dlg, int id, const std::string& text); // replace an edit box's text by typing
void Choose(HWND dlg, int id, int index);                 // pick an item from an opened list
// A click after which the plugin may put up message boxes over the dialog: each is read and
// closed with its OK. Returns their texts, one per line.
std::string ClickReadingMessages(HWND dlg, int id);

// ---- what a user sees
std::string ShownText(HWND dlg, int id); // a control's text (a combo box: its current text)
std::vector<std::string> ListOf(HWND dlg, int id);
std::vector<std::string> LinesOf(HWND dlg, int id); // a list box's lines, in UTF-8
int SelectedIndex(HWND dlg, int id);
bool IsChecked(HWND dlg, int id);
bool IsEnabledControl(HWND dlg, int id);
