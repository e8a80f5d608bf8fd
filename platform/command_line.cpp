#include "platform/command_line.h"

std::wstring QuoteArgument(std::wstring_view text) {
  std::wstring quoted;
  quoted.reserve(text.size() + 2);  // grown only for escapes
  quoted += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are escapes: 2n + 1 of them give n and the quote.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');  // they stand before the closing quote
  quoted += L'"';
  return quoted;
}
