// Texts on reg.exe's command line, which the tool splits by the C runtime's rules
// (platform/command_line.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/command_line.h"

// QuoteArgument when it has to be (empty, or holding a blank or a quote);
// otherwise as it is, as QuoteIfSpaced would leave it.
std::wstring RegArgument(std::wstring_view text);
