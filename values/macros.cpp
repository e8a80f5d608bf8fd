#include "values/macros.h"

std::wstring ExpandMacros(LauncherContext&, std::wstring_view value, std::wstring_view,
                          std::wstring_view) {
  // The macro vocabulary arrives with its own change; until then values pass unchanged.
  return std::wstring(value);
}
