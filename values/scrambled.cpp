#include "values/scrambled.h"

std::wstring UnscrambleValue(LauncherContext&, std::wstring_view value) {
  // Decoding of "@@" and "!@@" values arrives with the password lock; until then
  // values pass unchanged.
  return std::wstring(value);
}
