// The one way the launcher starts a system tool: hidden, bounded, unobserved.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

inline constexpr unsigned kToolTimeoutMs = 30000;

// Starts `"program" parameters` hidden in the application working directory and
// waits at most timeoutMs. The tool's outcome is never read.
void RunHidden(const LauncherContext& ctx, std::wstring_view program, std::wstring_view parameters,
               unsigned timeoutMs);

// The command line RunHidden starts, exposed for tests.
std::wstring HiddenCommandLine(std::wstring_view program, std::wstring_view parameters);
