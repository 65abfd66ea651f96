// The supported client kinds and the driver that serves every running client at an update.
#pragma once
#include <windows.h>
#include <string>

// Fills the table of client kinds (library load).
void InitClientKinds();

// Finds every running client status form and applies the current status to those selected.
void SetText();
