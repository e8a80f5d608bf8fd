// A macro, user variable or prompt that came out empty leaves a mark in the value
// while it is read and dispatched, so that a place that lost one of its names to
// it is told from a place written so: "-dir = %APPDATA%\{V}" with V empty would
// otherwise remove all of Roaming, and "-regkey = HKCU\Software\{V}" all of
// Software. The marks are taken out before any operation sees the value.
#pragma once

#include <string>
#include <string_view>

// A noncharacter: no name a person types or a system gives holds it.
inline constexpr wchar_t kEmptyExpansion = 0xFDD0;

// What an expansion that gives the empty text puts in its place.
std::wstring_view OrEmptyMark(std::wstring_view replacement);

std::wstring WithoutEmptyMarks(std::wstring_view text);

// True when one of the names of the path (between backslashes or slashes) held an
// empty expansion and nothing else but wildcards: the path then names its parent,
// or all that its parent holds.
bool LostANameToAnEmptyExpansion(std::wstring_view path);
