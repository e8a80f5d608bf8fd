// Keys under HKLM as a normal user finds them: readable, not writable. The
// Windows tests run with administrator rights (under Wine always), so they take
// the rights away from the key itself.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <sddl.h>

#include <string>

namespace testing_win {

// Everyone may read the key, put its access list back and delete it; nothing else.
inline constexpr const wchar_t* kReadOnlyAccess = L"D:(A;;KRWDSD;;;WD)";
inline constexpr const wchar_t* kFullAccess = L"D:(A;;KA;;;WD)";

// Replaces the access list of the HKLM key with one in the system's notation.
inline bool SetMachineKeyAccess(const std::wstring& key, const wchar_t* access) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  HKEY handle = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(access, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC, &handle);
  if (status == ERROR_SUCCESS) {
    status = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(handle);
  }
  LocalFree(descriptor);
  return status == ERROR_SUCCESS;
}

// Creates the HKLM key with its parents and sets one REG_SZ value in it.
inline bool WriteMachineText(const std::wstring& key, const wchar_t* name,
                             const std::wstring& text) {
  return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace testing_win
