// How registry paths are written in the configuration: root names, key paths,
// value paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

struct RegPath {
  std::optional<os::RegRoot> root;  // none for an unknown root name
  std::wstring subkey;
};

// The root from the first component (long or short name, any letter case) and the
// text after the first backslash. A path without backslash is all subkey.
RegPath ParseRegPath(std::wstring_view path);

// "HKCR\" ... "HKCC\" replaced by the long root names, everywhere, case-sensitively.
std::wstring ExpandRootNames(std::wstring_view text);

struct ValuePath {
  std::wstring keyPath;
  std::wstring valueName;
};

// Split at the last backslash; without one, the whole text is the value name.
ValuePath SplitValuePath(std::wstring_view path);
