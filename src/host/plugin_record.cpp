#include "host/plugin_record.h"

TwinampGeneralPurposePlugin plugin{};
