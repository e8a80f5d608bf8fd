// The launcher's direct registry reads: one value, or the name of the n-th value
// or subkey of a key. Every change to the registry goes through reg.exe instead.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// Data + " :: " + "REG_DWORD" for a REG_DWORD value, else + "REG_SZ". Data is the
// text of a REG_SZ value, the signed decimal of a REG_DWORD value, and empty for
// any other type, a value of more than 255 characters, a missing value, a key
// without full access, or no root. One leading backslash of the subkey is ignored.
std::wstring ReadRegValue(std::optional<os::RegRoot> root, std::wstring_view subkey,
                          std::wstring_view name);

// ReadRegValue of each name, in order, with the key opened once for all of them.
std::vector<std::wstring> ReadRegValues(std::optional<os::RegRoot> root, std::wstring_view subkey,
                                        const std::vector<std::wstring>& names);
// Field 1 of each of those results: the data alone, cut at a field separator.
std::vector<std::wstring> ReadRegData(std::optional<os::RegRoot> root, std::wstring_view subkey,
                                      const std::vector<std::wstring>& names);

// The name at the zero-based index, for a registry path such as HKCU\Software\x;
// nullopt past the end, for an unknown root or a missing key. The default value
// has the empty name.
std::optional<std::wstring> EnumRegValueName(std::wstring_view path, unsigned index);
std::optional<std::wstring> EnumRegSubkeyName(std::wstring_view path, unsigned index);

// What the registry items read: the value as stored, any type and length, and the
// key's own counts of subkeys and values, for a key path such as
// HKCU\Software\App, opened with read access. A path that names no key below a
// known root reads as Failed: nothing can be told about it.
os::RegData ReadRegValueData(std::wstring_view keyPath, std::wstring_view name);
os::RegKeyCounts ReadRegKeyCounts(std::wstring_view keyPath);
