#include "clients/slots.h"

void RestoreStatuses() {}
