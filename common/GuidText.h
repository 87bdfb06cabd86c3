#pragma once

#include "platform/shell/Guid.h"

#include <QString>

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" of sixteen GUID bytes, each group in memory order.
QString GuidToText(const GuidBytes& bytes);
