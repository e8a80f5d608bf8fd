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

// A key path that names a key below a known root: "HKCU\Software\App" is one,
// "HKCU", "HKCU\" and "Software\App" are not. The registry items act only on such
// paths: reg.exe takes a root alone for the whole root and deletes all of it.
bool IsRegKeyPath(std::wstring_view path);

// The key path with trailing backslashes removed and a known root written in its
// long form ("hkcu\x" gives "HKEY_CURRENT_USER\x"), as registry files name keys.
std::wstring LongRegKey(std::wstring_view path);

// LongRegKey with its letters lowered: the same key in any notation gives the same
// text.
std::wstring CanonicalRegKey(std::wstring_view path);

// A key path's long form as two pieces, the root's long name and the rest from
// the backslash after it, trailing backslashes dropped; a path whose first name
// is no root, or that has no backslash, is all rest. Keys are compared in this
// form without a text being made: it runs for every section line of every
// registry file read, where one side, taken apart once, is the same for all.
struct RegKeyPieces {
  std::wstring_view root;
  std::wstring_view rest;
  size_t size() const { return root.size() + rest.size(); }
  wchar_t LowerAt(size_t i) const {
    const wchar_t c = i < root.size() ? root[i] : rest[i - root.size()];
    return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c;
  }
};
RegKeyPieces RegKeyPiecesOf(std::wstring_view path);  // views of path and of a constant

// a and b name the same key, in any notation.
bool SameRegKey(std::wstring_view a, std::wstring_view b);
bool SameRegKey(std::wstring_view a, const RegKeyPieces& b);

// inner names the same key as outer, or a key below it, in any notation.
bool RegKeyWithin(std::wstring_view inner, std::wstring_view outer);
bool RegKeyWithin(std::wstring_view inner, const RegKeyPieces& outer);
