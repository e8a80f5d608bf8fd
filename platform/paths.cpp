#include "platform/paths.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"
#include "platform/text.h"

std::wstring ResolvePath(const LauncherContext& ctx, std::wstring_view text) {
  // TrimSpaces, without a copy of its own: every identity starts here.
  std::wstring_view path = text;
  while (!path.empty() && path.front() == L' ') path.remove_prefix(1);
  while (!path.empty() && path.back() == L' ') path.remove_suffix(1);
  if (Contains(path, L":\\")) return std::wstring(path);
  while (!path.empty() && path.back() == L'.') path.remove_suffix(1);
  std::wstring resolved;
  resolved.reserve(ctx.launcherFolder.size() + path.size());
  resolved.append(ctx.launcherFolder).append(path);
  return resolved;
}

std::wstring ParentFolder(const LauncherContext& ctx, std::wstring_view text) {
  const std::wstring path = ResolvePath(ctx, text);
  size_t cut = 0;  // length kept: up to and including the last separator
  for (size_t i = (!path.empty() && path[0] == L'"') ? 1 : 0; i < path.size(); ++i) {
    if (path[i] == L'|') break;
    if (path[i] == L'\\' || path[i] == L'/') cut = i + 1;
  }
  return RemoveTrailingBackslashes(std::wstring_view(path).substr(0, cut));
}

std::wstring RemoveTrailingBackslashes(std::wstring_view text) {
  return std::wstring(WithoutTrailingBackslashes(text));
}

std::wstring_view WithoutTrailingBackslashes(std::wstring_view text) {
  while (!text.empty() && text.back() == L'\\') text.remove_suffix(1);
  return text;
}

std::wstring LastComponent(std::wstring_view text) {
  const std::wstring path = RemoveTrailingBackslashes(text);
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

bool EndsWithBackslash(std::wstring_view text) { return !text.empty() && text.back() == L'\\'; }

std::wstring QuoteIfSpaced(std::wstring_view text) {
  std::wstring trimmed = TrimSpaces(text);
  const bool quoted = trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"';
  if (!quoted && Contains(trimmed, L" ")) return L"\"" + trimmed + L"\"";
  return trimmed;
}

std::wstring QuoteForInterpreter(std::wstring_view text) {
  std::wstring quoted = QuoteIfSpaced(text);
  if (!quoted.empty() && quoted.front() != L'"' &&
      quoted.find_first_of(L"&|<>^(),;=") != std::wstring::npos)
    quoted = L"\"" + quoted + L"\"";
  return quoted;
}

std::wstring WithNameSuffix(std::wstring_view path, std::wstring_view suffix) {
  const size_t nameStart = path.find_last_of(L"\\/") + 1;  // 0 when there is none
  const size_t dot = path.find_last_of(L'.');
  const size_t cut = dot == std::wstring_view::npos || dot <= nameStart ? path.size() : dot;
  std::wstring named;
  named.reserve(path.size() + suffix.size());
  return named.append(path.substr(0, cut)).append(suffix).append(path.substr(cut));
}

std::wstring PathIdentity(const LauncherContext& ctx, std::wstring_view path) {
  std::wstring text = ResolvePath(ctx, path);
  std::replace(text.begin(), text.end(), L'/', L'\\');
  size_t rootEnd = 0;
  if (StartsWith(text, L"\\\\")) {  // \\server\share
    rootEnd = text.find(L'\\', 2);
    rootEnd = rootEnd == std::wstring::npos ? text.size() : text.find(L'\\', rootEnd + 1);
    if (rootEnd == std::wstring::npos) rootEnd = text.size();
  } else if (text.size() >= 2 && text[1] == L':') {
    rootEnd = 2;
  }
  std::wstring normal;
  normal.reserve(text.size());
  normal.append(text, 0, rootEnd);
  for (size_t start = rootEnd; start <= text.size();) {
    size_t end = text.find(L'\\', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring_view name = std::wstring_view(text).substr(start, end - start);
    start = end + 1;
    if (name == L"..") {
      // The parent, never above the root.
      if (normal.size() > rootEnd) normal.resize(normal.find_last_of(L'\\'));
      continue;
    }
    // Windows drops trailing dots and blanks; "." and "..." name the folder itself.
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    if (name.empty()) continue;
    normal += L'\\';
    normal += name;
  }
  // Short names hold a tilde; only they need the system's long form.
  if (normal.find(L'~') != std::wstring::npos) {
    std::wstring known = normal;
    std::wstring rest;
    while (known.size() > rootEnd) {
      if (const auto longForm = os::LongPathName(known)) {
        normal = *longForm + rest;
        break;
      }
      const size_t cut = known.find_last_of(L'\\');
      rest = known.substr(cut) + rest;
      known.resize(cut);
    }
  }
  return os::UpperCaseForNames(std::move(normal));
}
