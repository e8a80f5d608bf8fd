// Who runs the launcher: the machine and the account, as the run record tells them
// apart. Two machines may share the computer name and the user name (a cloned
// system, the same user on a second PC), never the MachineGuid and the SID.
#include <windows.h>
// After windows.h, which they build on.
#include <sddl.h>

#include <vector>

#include "platform/platform.h"

namespace os {

namespace {

std::wstring MachineGuid() {
  HKEY key = nullptr;
  // The 64-bit view: a 32-bit process would read the redirected key, which
  // holds no value.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return L"";
  wchar_t buffer[128] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  const LSTATUS status = RegQueryValueExW(key, L"MachineGuid", nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return L"";
  return std::wstring(buffer, wcsnlen(buffer, bytes / sizeof(wchar_t)));
}

std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> info(size == 0 ? 1 : size);
  std::wstring text;
  if (GetTokenInformation(token, TokenUser, info.data(), size, &size)) {
    wchar_t* sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &sid)) {
      text = sid;
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return text;
}

}  // namespace

RunnerNames QueryRunner() {
  RunnerNames names;
  names.machineGuid = MachineGuid();
  names.userSid = UserSid();
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (GetComputerNameW(computer, &length)) names.computerName.assign(computer, length);
  wchar_t user[257] = {};
  length = 257;
  if (GetUserNameW(user, &length) && length > 0) names.userName.assign(user, length - 1);
  return names;
}

}  // namespace os
