// The launcher's run from the configuration file to the exit.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"
#include "values/ini_document.h"

void RunMainSequence(LauncherContext& ctx);

// Reads GENERAL, BEFORE and AFTER into the command list and the automatic entries.
void ReadConfiguration(LauncherContext& ctx, const std::wstring& path);
void ScanSection(LauncherContext& ctx, IniDocument& doc, std::wstring_view section);

// Puts the automatic AFTER entries ahead of the AFTER keys, or where `restore` stands.
void PlaceAutomaticEntries(LauncherContext& ctx);

// Starts the application through the shell and waits for it (unless told not to).
void LaunchApplication(LauncherContext& ctx);

// Returns once no top-level window title holds the text (any letter case).
void WaitForWindows(LauncherContext& ctx, std::wstring_view text);

// Removes what the shell recorded about the started programs (the App Paths entry
// only when it names the application started), and the helper copy.
void CleanTraces(LauncherContext& ctx);
