// The launcher's built-in macros: paths, text, locale, dates, prompts, shell folders.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// Replaces the macros of one value. Reads the registry, the clipboard and the
// clock afresh on every call, whether or not the value holds a macro. The key
// name is handed to the prompts; in "AFTER" the prompts are left for the run.
std::wstring ExpandMacros(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                          std::wstring_view sectionLabel);

// The program the system runs .jar files with, from the jar file association.
std::wstring JavaExePath();
