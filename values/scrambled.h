// Values stored scrambled ("@@...") or under a password ("!@@...") and the
// password lock. The format is in values/scramble_format.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// A value starting with "@@" or "!@@" is replaced by its decoded text; any other
// value is returned unchanged. A "!@@" value asks for the password once per run;
// an empty answer ends the launcher silently, a wrong one after "Invalid password!".
std::wstring UnscrambleValue(LauncherContext& ctx, std::wstring_view value);
