// Names as the system compares them: long forms of short names, and the capitals
// that file systems and the registry compare without regard to case.
#include <windows.h>

#include "platform/platform.h"

namespace os {

std::optional<std::wstring> LongPathName(const std::wstring& path) {
  const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring longForm(needed, L'\0');
  const DWORD got = GetLongPathNameW(path.c_str(), longForm.data(), needed);
  if (got == 0 || got >= needed) return std::nullopt;
  longForm.resize(got);
  return longForm;
}

std::wstring UpperCaseForNames(std::wstring text) {
  if (text.empty()) return text;
  std::wstring upper(text.size(), L'\0');
  // One to one: the invariant locale's simple capitals, as the file systems' own
  // table has them.
  const int got = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(),
                                static_cast<int>(text.size()), upper.data(),
                                static_cast<int>(upper.size()), nullptr, nullptr, 0);
  if (got != static_cast<int>(text.size())) return text;
  return upper;
}

}  // namespace os
