#include "launcher/helper_command_line.h"

std::wstring QuoteArgument(std::wstring_view argument) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: there each stands doubled, and the
    // quote itself escaped.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

std::wstring HelperParameters(const LauncherContext& ctx) {
  std::wstring forLauncher(kRestartMarker);
  for (const std::wstring& argument : ctx.launcherArguments)
    forLauncher += L" " + QuoteArgument(argument);
  return QuoteArgument(ctx.launcherPath) + L" " + QuoteArgument(forLauncher);
}
