// The launcher's built-in macros: paths, text, locale, dates, prompts, shell folders.
#pragma once

#include <string>
#include <string_view>

#include "launcher/context.h"

std::wstring ExpandMacros(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                          std::wstring_view sectionLabel);
