#include "registry/reg_arguments.h"

std::wstring RegQuoted(std::wstring_view text) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are escapes: 2n + 1 of them give n and the quote.
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    out += c;
    backslashes = 0;
  }
  out.append(2 * backslashes, L'\\');  // they stand before the closing quote
  out += L'"';
  return out;
}

std::wstring RegArgument(std::wstring_view text) {
  if (text.empty() || text.find_first_of(L" \t\"") != std::wstring_view::npos)
    return RegQuoted(text);
  return std::wstring(text);
}
