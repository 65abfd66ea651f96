#include "clients/clients.h"

void InitClientKinds() {}

void SetText() {}
