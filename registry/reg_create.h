// Registry keys and values created through reg.exe ADD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/context.h"
#include "process/run_hidden.h"

// Creates the key with its missing parents (its default value set to an empty
// text). A key that exists already is left as it is: ADD /ve would empty its
// default value.
void CreateRegKey(const LauncherContext& ctx, std::wstring_view keyPath);

// Writes the value with a reg.exe type word; the data is the text to store.
// REG_SZ and REG_EXPAND_SZ data goes quoted, other data only when it has to; a
// negative decimal for REG_DWORD or REG_QWORD goes in its unsigned form, which
// the tool accepts. Without overwrite, a REG_SZ value is written only where the
// value is missing or an empty REG_SZ, and no other type is written. A separator
// reaches the tool through /s, after the data. True when the tool ended with
// exit code 0.
bool CreateRegValue(const LauncherContext& ctx, std::wstring_view keyPath,
                    std::wstring_view valueName, std::wstring_view type, std::wstring_view data,
                    bool overwrite, std::wstring_view separator);

// reg.exe ADD of the value with the data already formed as its argument, waited
// for at most waitMs. True when the tool ended with exit code 0.
bool AddRegValue(const LauncherContext& ctx, std::wstring_view keyPath, std::wstring_view valueName,
                 std::wstring_view type, std::wstring_view dataArgument,
                 std::wstring_view separator, unsigned waitMs);

// A negative decimal ("-1") as the unsigned number of the same bits for the type
// ("4294967295" for REG_DWORD); any other text as it is.
std::wstring UnsignedRegNumber(std::wstring_view type, std::wstring_view data);
