#include "tests/windows/support/registry_access.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <sddl.h>

namespace testing_win {

bool WriteMachineKey(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const bool written =
      name == nullptr ||
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return written;
}

bool SetMachineKeyAccess(const std::wstring& key, const wchar_t* access) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(access, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  HKEY handle = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC, &handle);
  if (status == ERROR_SUCCESS) {
    status = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(handle);
  }
  LocalFree(descriptor);
  return status == ERROR_SUCCESS;
}

}  // namespace testing_win
