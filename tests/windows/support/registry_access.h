// Registry keys under HKLM as a normal user finds them: readable, not writable.
// The Windows tests run with administrator rights (under Wine always), so the
// tests take the rights away from the key itself.
#pragma once

#include <string>

namespace testing_win {

// Creates the key below HKLM with its parents and, when a name is given, sets that
// REG_SZ value.
bool WriteMachineKey(const std::wstring& key, const wchar_t* name = nullptr,
                     const std::wstring& text = L"");

// Replaces the access list of the HKLM key with one in the system's notation
// ("D:(A;;KR;;;WD)": everyone may read).
bool SetMachineKeyAccess(const std::wstring& key, const wchar_t* access);

// Everyone may read the key, put its access list back and delete it; nothing else.
inline constexpr const wchar_t* kReadOnlyAccess = L"D:(A;;KRWDSD;;;WD)";
inline constexpr const wchar_t* kFullAccess = L"D:(A;;KA;;;WD)";

}  // namespace testing_win
