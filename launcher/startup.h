// The launcher's entry and start-up.
#pragma once

#include "platform/context.h"

// Fills the context, runs the main sequence and ends the process. Never returns.
[[noreturn]] void LauncherEntry();

// Start-up: every launcher-wide value, in its order. Exposed for tests.
void StartUp(LauncherContext& ctx);

int WindowsVersionNumber();
int IsAdministrator();
// 1 on 64-bit Windows, whether the launcher is a 64-bit process or runs under WOW64.
int Is64BitWindows();
void TrimWorkingSet();
// The launcher parameters, from ctx.launcherArguments.
std::wstring CollectLauncherParameters(LauncherContext& ctx);
