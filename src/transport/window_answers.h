// What other programs' windows answer about themselves, asked the bounded way: whether they are
// there to ask, and how long their texts are.
#pragma once
#include <windows.h>

// The window exists and its thread does not count as hung: a client that stopped answering in
// this piece of work counts as gone until it is heard again.
bool IsAnsweringWindow(HWND h);

// The length of the text the window answers (WM_GETTEXTLENGTH), 0 when it does not answer.
LRESULT AskTextLength(HWND h);

// Its text (WM_GETTEXT) into buffer; the buffer is left as it was when it does not answer.
void AskText(HWND h, char* buffer, size_t size);
// The same in the wide form, for a Unicode window: the length and the size count characters.
LRESULT AskTextLengthW(HWND h);
void AskTextW(HWND h, wchar_t* buffer, size_t size);

// The length of its title. Wine answers GetWindowTextLengthA for another program's window by
// sending WM_GETTEXTLENGTH without any time-out, so for those it is asked the bounded way.
LRESULT AskTitleLength(HWND h);
