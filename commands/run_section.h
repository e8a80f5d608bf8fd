// The walk over the BEFORE and AFTER entries and the key vocabulary behind it.
#pragma once

#include <string_view>

#include "platform/context.h"

void RunSection(LauncherContext& ctx, std::wstring_view section);

// Recognises the key (with its architecture suffix) and runs its operation.
void DispatchKey(LauncherContext& ctx, std::wstring_view label, std::wstring_view key,
                 std::wstring value);
