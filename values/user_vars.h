// User variables: named texts defined by the configuration and used as {Name}.
#pragma once

#include <string>
#include <string_view>

#include "launcher/context.h"

void StoreUserVar(LauncherContext& ctx, std::wstring_view text);
std::wstring LookupUserVar(const LauncherContext& ctx, std::wstring_view name);
std::wstring SubstituteUserVars(const LauncherContext& ctx, std::wstring_view text);
// Replaces {USERTEXT}, {USERFILE} and {USERDIR} by the user's answers.
std::wstring ResolvePrompts(LauncherContext& ctx, std::wstring_view value,
                            std::wstring_view keyName);
