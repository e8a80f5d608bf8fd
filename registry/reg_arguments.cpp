#include "registry/reg_arguments.h"

#include "platform/command_line.h"

std::wstring RegArgument(std::wstring_view text) {
  if (text.empty() || text.find_first_of(L" \t\"") != std::wstring_view::npos)
    return QuoteArgument(text);
  return std::wstring(text);
}
