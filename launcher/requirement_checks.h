// What the application needs from the system, checked while GENERAL is read and
// before anything is moved: a Windows version (`!os`), a .NET Framework
// (`!dotnet`), a Java runtime (`!java`), a connection or none (`!online`). A check
// that is not met asks whether to go on, or tells the user and ends the launcher.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// The host and count that `!online` pings: one echo request to a host that answers.
inline constexpr std::wstring_view kPingArguments = L"www.google.com -n 1";

void CheckWindowsVersion(LauncherContext& ctx, const std::wstring& value);
void CheckDotNet(LauncherContext& ctx, const std::wstring& value);
void CheckJava(LauncherContext& ctx, const std::wstring& value);
void CheckOnline(LauncherContext& ctx, const std::wstring& value, std::wstring_view pingArguments);

// True when a framework folder "v" + version (its first four characters) exists;
// a version starting with "0" is always present.
bool DotNetPresent(const std::wstring& version);

// The two forms of a requirement message. The text ends in an empty line; the
// asking form adds "Continue anyway?" (Yes/No, No ends the launcher), the telling
// form "Exiting..." (OK, then the launcher ends).
void AskToContinue(LauncherContext& ctx, const std::wstring& text);
[[noreturn]] void TellAndEnd(LauncherContext& ctx, const std::wstring& text);
void AskOrEnd(LauncherContext& ctx, const std::wstring& text, bool exitFlag);
