// A second start of the same launcher while the first still runs: the launcher
// name is held as a named mutex by the first, and `!multiple` says what a later
// start does when it finds the name taken.
#pragma once

#include <string>

#include "platform/context.h"

// After GENERAL has been read. "1": no test. Otherwise, with another instance
// running: "-1" ends, "2" runs as a further instance (no BEFORE, no AFTER, no
// wait), "0" asks, any other value runs as a full instance.
void CheckSingleInstance(LauncherContext& ctx, const std::wstring& multipleValue);

// Lets the name go, so that a launcher restarted elevated is not taken for a
// second instance of this one.
void ReleaseInstanceMutex(LauncherContext& ctx);
