// One place, one run: while a run has an item in use, no other launcher (another
// name, another copy, another folder, another session) takes the same place. Each
// place is a named mutex, derived from the place's identity, that this run holds
// from its first step on the place to the end of its process; the system lets go
// of it when the process ends, however it ends.
#pragma once

#include <string>

#include "platform/context.h"

// True when this run holds the place now (taken here, or earlier in this run);
// false when another process holds it.
bool HoldPlace(LauncherContext& ctx, const std::wstring& identity);
