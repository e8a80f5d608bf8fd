// The one way the launcher starts a system tool: hidden, bounded, unobserved.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

inline constexpr unsigned kToolTimeoutMs = 30000;
// The wait for a tool whose effect the next step depends on (a deletion before
// data is put in the same place, an export before the key is replaced): long
// enough for any real tree on a slow drive. The next step runs only when the tool
// has ended and its effect is there.
inline constexpr unsigned kToolEndBoundMs = 15 * 60 * 1000;

// What the launcher learns of a tool: whether it started and ended within the
// wait, and its exit code. The exit code of the command interpreter says little;
// callers that depend on a tool's effect look for the effect itself.
struct ToolRun {
  bool started = false;
  bool ended = false;
  unsigned long exitCode = 0;
};

// Started, ended within the wait, exit code 0: how reg.exe reports success.
inline bool EndedWell(const ToolRun& run) { return run.started && run.ended && run.exitCode == 0; }

// Starts `"program" parameters` hidden and waits at most timeoutMs; a tool still
// running then is left running. It starts in the application working directory
// when that folder exists, otherwise in the launcher folder: a working directory
// that a later item creates would make every tool fail to start.
ToolRun RunHidden(const LauncherContext& ctx, std::wstring_view program,
                  std::wstring_view parameters, unsigned timeoutMs);

// The command line RunHidden starts, exposed for tests.
std::wstring HiddenCommandLine(std::wstring_view program, std::wstring_view parameters);
