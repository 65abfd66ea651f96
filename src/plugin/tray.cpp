#include "plugin/tray.h"

void do_icons() {}

void OnTrayMessage(LPARAM) {}

void RefreshTrayTip() {}
