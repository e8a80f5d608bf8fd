// The launcher's entry and its single way out.
#pragma once

#include "launcher/context.h"

// Fills the context, runs the main sequence and ends the process. Never returns.
[[noreturn]] void LauncherEntry();

// Releases what is held and ends the process with ctx.exitCode.
[[noreturn]] void EndLauncher(LauncherContext& ctx);

// Start-up: every launcher-wide value, in its order. Exposed for tests.
void StartUp(LauncherContext& ctx);

int WindowsVersionNumber();
int IsAdministrator();
int IsWow64();
void TrimWorkingSet();
std::wstring CollectLauncherParameters(LauncherContext& ctx);
