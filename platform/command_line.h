// One argument on the command line of a Windows program, written so that the
// program's C runtime splits it back exactly: blanks separate arguments unless
// quoted, \" is a quote inside an argument, and backslashes count as escapes only
// in front of a quote. A text between plain quotes would lose a trailing
// backslash and its closing quote ("D:\" runs on into the next argument).
#pragma once

#include <string>
#include <string_view>

// The text as one quoted argument: inner quotes escaped, the backslashes in front
// of a quote (the closing one included) doubled, nothing trimmed.
std::wstring QuoteArgument(std::wstring_view text);
