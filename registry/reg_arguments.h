// Texts on reg.exe's command line. The tool splits its command line by the C
// runtime's rules: blanks separate arguments unless quoted, \" is a quote inside
// an argument, and backslashes count as escapes only in front of a quote. A text
// placed between plain quotes loses a trailing backslash and its closing quote
// ("C:\App\" runs on into the next argument); these forms never do.
#pragma once

#include <string>
#include <string_view>

// The text as one quoted argument: inner quotes escaped, the backslashes in front
// of a quote (the closing one included) doubled, nothing trimmed. A text without
// quotes and without trailing backslashes just gets the quotes around it.
std::wstring RegQuoted(std::wstring_view text);

// Quoted as above when it has to be (empty, or holding a blank or a quote);
// otherwise as it is, as QuoteIfSpaced would leave it.
std::wstring RegArgument(std::wstring_view text);
