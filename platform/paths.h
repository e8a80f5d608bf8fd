// Path rules shared by every area that names files or folders.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// Trimmed text; unchanged when it holds ":\" anywhere, else placed under the
// launcher folder with trailing dots removed ("" and "." give the folder itself).
std::wstring ResolvePath(const LauncherContext& ctx, std::wstring_view text);

// ResolvePath of the text, cut after its last backslash or slash (a leading
// double quote is skipped, a vertical bar ends the scan), trailing backslashes removed.
std::wstring ParentFolder(const LauncherContext& ctx, std::wstring_view text);

// Trailing backslashes removed, then the part after the last backslash or slash.
std::wstring LastComponent(std::wstring_view text);

bool EndsWithBackslash(std::wstring_view text);

std::wstring RemoveTrailingBackslashes(std::wstring_view text);
std::wstring_view WithoutTrailingBackslashes(std::wstring_view text);

// Trimmed; wrapped in double quotes when it holds a blank and is not quoted yet.
std::wstring QuoteIfSpaced(std::wstring_view text);

// QuoteIfSpaced for a path on the command interpreter's command line: a name
// holding & | < > ^ ( ) , ; = would otherwise run another command or name
// another file, so such a path is quoted too. Paths without them keep the
// plain QuoteIfSpaced form.
std::wstring QuoteForInterpreter(std::wstring_view text);

// The path with the suffix added to its last component, before the extension when
// it has one ("C:\P\App.ini" and " (old)" give "C:\P\App (old).ini").
std::wstring WithNameSuffix(std::wstring_view path, std::wstring_view suffix);

// One text for every spelling of the same file or folder: the path ResolvePath
// makes of the text, with the long names the system has for short ones (where the
// place exists), separators single, "." and ".." resolved, trailing dots and
// blanks of each name dropped (Windows drops them) and letters in capitals as
// Windows compares names. "C:\Data\App.", "c:/data//APP\" and
// "C:\Data\x\..\App" are one place.
std::wstring PathIdentity(const LauncherContext& ctx, std::wstring_view path);
