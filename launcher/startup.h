// The launcher's entry and start-up.
#pragma once

#include "platform/context.h"

// Fills the context, runs the main sequence and ends the process. Never returns.
[[noreturn]] void LauncherEntry();

// Start-up: every launcher-wide value, in its order. Exposed for tests.
void StartUp(LauncherContext& ctx);

int WindowsVersionNumber();
int IsAdministrator();
int IsWow64();
void TrimWorkingSet();
// The launcher parameters, from ctx.launcherArguments.
std::wstring CollectLauncherParameters(LauncherContext& ctx);
