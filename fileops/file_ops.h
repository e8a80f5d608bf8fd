// File and folder operations.
#pragma once

#include <string_view>

#include "launcher/context.h"

// Deletes the file (or, with wildcards, every match) through the command
// interpreter; a missing name or a folder is left alone.
void DeleteFiles(const LauncherContext& ctx, std::wstring_view path);
