// The one transform every configuration value passes before an operation sees it,
// and the field syntax that operations read it with.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

inline constexpr std::wstring_view kFieldSeparator = L" :: ";

// Trim, NULL marker, unscramble, macros, environment, user variables, trim.
std::wstring PrepareValue(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                          std::wstring_view sectionLabel);
// The same with a mark where an expansion came out empty (values/empty_expansion.h),
// for the command list, which looks at the marks before it dispatches.
std::wstring PrepareMarkedValue(LauncherContext& ctx, std::wstring_view value,
                                std::wstring_view keyName, std::wstring_view sectionLabel);

// Field n (from 1) of the text split at " :: "; empty when missing; untrimmed.
std::wstring Field(std::wstring_view text, int n);
// The same field as a view into the text, for callers that only look at it.
std::wstring_view FieldView(std::wstring_view text, int n);

// %name% references expanded by the system; empty when the expansion fails.
std::wstring ExpandEnvironment(std::wstring_view text);
