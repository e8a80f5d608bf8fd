// `batch` and `run`: programs and batch files started before or after the
// application.
#pragma once

#include <string>

#include "platform/context.h"

// `batch`: "batch file :: show". Hidden, with the phase ("BEFORE" or "AFTER") as
// its one argument; with "show" in the launcher's own console, without argument.
// Never waited for.
void BatchCommand(LauncherContext& ctx, const std::wstring& value);

// `run`: "program :: wait :: parameters :: working folder". A file that is not a
// program opens with its associated program; "wait" holds the walk until it ends.
void RunCommand(LauncherContext& ctx, const std::wstring& value);
