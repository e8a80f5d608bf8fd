// Registry deletions, sent to reg.exe.
#pragma once

#include <string_view>

#include "platform/context.h"

void DeleteRegValue(const LauncherContext& ctx, std::wstring_view keyPath,
                    std::wstring_view valueName);
// Deletes the key with everything below it.
void DeleteRegKey(const LauncherContext& ctx, std::wstring_view keyPath);
