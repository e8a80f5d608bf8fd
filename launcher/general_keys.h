// What the GENERAL keys decide: the application, its window state and its folder.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// "main path :: 64-bit path :: show mode"; a leading "*" turns the existence check off.
void SetApplication(LauncherContext& ctx, std::wstring_view value);

// After the whole file is read: without an `application` key in any section there
// is nothing to start, and nothing is moved for it. Ends the launcher with exit
// code 1 and the message of an empty one.
void RequireApplication(LauncherContext& ctx);

// Ends the launcher with exit code 1 when the path is not set or not found.
void CheckRequiredPath(LauncherContext& ctx, std::wstring path, bool checkEmpty, bool checkExists,
                       std::wstring_view label);

// Empty: the application's folder. Also made the launcher's current folder.
void SetWorkingDirectory(LauncherContext& ctx, std::wstring_view value);
