// Keys that steer the launcher itself or the session around it rather than the
// application's files or registry.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// `nowait`: "1" lets the launcher end right after starting the application.
void StoreNowait(LauncherContext& ctx, const std::wstring& value);
// `quit`: ends the launcher at once.
void Quit(LauncherContext& ctx, const std::wstring& value);

// `message`: "text :: cancellable"; with the option, Cancel ends the launcher.
void MessageCommand(LauncherContext& ctx, const std::wstring& value);
// `envvar`: "name :: value", inherited by everything started later.
void EnvVarCommand(LauncherContext& ctx, const std::wstring& value);
// `clip`: the text, or "*EMPTY*" for none, on the clipboard.
void ClipCommand(LauncherContext& ctx, const std::wstring& value);
// `killprocess`: the image name (wildcards allowed) with its process tree.
void KillProcessCommand(LauncherContext& ctx, const std::wstring& value);
// `systemrefresh`: the wallpaper set again and the per-user settings reloaded.
void SystemRefreshCommand(LauncherContext& ctx, const std::wstring& value);

// `delay`: a pause of that many milliseconds.
void DelayCommand(LauncherContext& ctx, const std::wstring& value);
// The pause of a `delay` value: blanks and tabs skipped, an optional sign, then
// decimal digits ("$" hexadecimal, "%" binary) up to the first other character;
// none read as 0. A negative value pauses not at all; the longest pause is the
// longest finite wait the system knows, so that no value waits for ever.
unsigned DelayMilliseconds(std::wstring_view value);
