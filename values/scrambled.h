// Values stored scrambled ("@@...") or under a password ("!@@...").
#pragma once

#include <string>
#include <string_view>

#include "launcher/context.h"

// A value starting with "@@" or "!@@" is replaced by its decoded text; any other
// value is returned unchanged.
std::wstring UnscrambleValue(LauncherContext& ctx, std::wstring_view value);
