// What the elevation helper is given, so that the launcher it starts sees the
// arguments this one was started with, exactly.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// The first argument of a launcher started by the helper. Start-up takes it off
// before anything reads the arguments, and remembers the restart.
inline constexpr std::wstring_view kRestartMarker = L"--voq-restarted-elevated";

// The helper's parameters: the launcher path and, as one argument, the marker and
// the launcher's own arguments as given (not the prepared launcher parameters,
// whose macros would be expanded a second time), each quoted so that the launcher
// splits them back exactly.
std::wstring HelperParameters(const LauncherContext& ctx);
