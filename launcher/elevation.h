// Administrator rights: `!admin`, and the restart through the elevation helper
// that `!admin` = 1 and `symlink` items lead to. The helper, a small program that
// requires administrator rights, is written to the temporary folder as the helper
// copy and started; the system asks the user, and the helper starts the launcher
// again, elevated, with the arguments this one was given.
#pragma once

#include <string>
#include <string_view>

#include "launcher/helper_command_line.h"
#include "platform/context.h"

// Without administrator rights: "1" restarts elevated and ends, "2" says that the
// rights are required and ends, "-1" ends silently; any other value goes on.
void CheckAdmin(LauncherContext& ctx, const std::wstring& value);

// RestartElevated, the helper copy deleted, and the end. A launcher that is itself
// the restarted copy and still lacks the rights says so and ends instead: starting
// the helper again would ask the user without end. So does a launcher whose helper
// cannot be put in place, rather than end without a sign.
[[noreturn]] void RestartElevatedAndEnd(LauncherContext& ctx);

// Writes the helper copy (unless a file of another program holds its name), holds
// it against writers and starts it. The start is not waited for. False when the
// helper could not be put in place or started: then no restart was made.
bool RestartElevated(LauncherContext& ctx);

// Deletes the file at the helper copy path, but only when it is the helper: an
// unrelated program of the same name in the temporary folder is left alone.
void DeleteHelperCopy(const LauncherContext& ctx);
