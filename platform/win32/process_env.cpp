// Process-wide services, the environment and the system queries of start-up.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace os {

void InitialiseServices() {
  // The shell start may hand work to COM objects; they expect a single-threaded apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

void ExitProcessNow(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

std::wstring ModulePath() {
  // GetModuleFileNameW truncates silently and returns the capacity when too small.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got < buffer.size()) {
      buffer.resize(got);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::wstring> CommandLineArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

std::wstring TempFolderLong() {
  std::wstring temp = win32::GrowingBuffer(
      [](wchar_t* buffer, DWORD capacity) { return GetTempPathW(capacity, buffer); });
  // The temporary path may be in 8.3 form; the long form is used where the system has it.
  const DWORD needed = GetLongPathNameW(temp.c_str(), nullptr, 0);
  if (needed > 0) {
    std::wstring longForm(needed, L'\0');
    const DWORD got = GetLongPathNameW(temp.c_str(), longForm.data(), needed);
    if (got > 0 && got < needed) {
      longForm.resize(got);
      temp = longForm;
    }
  }
  if (!temp.empty() && temp.back() != L'\\') temp += L'\\';
  return temp;
}

std::optional<std::wstring> ReadEnv(const std::wstring& name) {
  // An empty variable and a missing one both return 0; only the error tells them apart.
  SetLastError(ERROR_SUCCESS);
  const DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (needed == 0)
    return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                    : std::optional<std::wstring>(L"");
  std::wstring value(needed, L'\0');
  const DWORD got = GetEnvironmentVariableW(name.c_str(), value.data(), needed);
  if (got >= needed) return std::nullopt;
  value.resize(got);
  return value;
}

bool WriteEnv(const std::wstring& name, const std::wstring& value) {
  return SetEnvironmentVariableW(name.c_str(), value.c_str()) != FALSE;
}

std::optional<std::wstring> ExpandEnv(const std::wstring& text) {
  // The returned size counts the terminating zero.
  DWORD capacity = static_cast<DWORD>(text.size()) + 64;
  for (;;) {
    std::wstring buffer(capacity, L'\0');
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), capacity);
    if (needed == 0) return std::nullopt;
    if (needed <= capacity) {
      buffer.resize(needed - 1);
      return buffer;
    }
    capacity = needed;
  }
}

bool SetCurrentFolder(const std::wstring& path) {
  return SetCurrentDirectoryW(path.c_str()) != FALSE;
}

VersionRecord QueryVersion() {
  VersionRecord record;
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return record;
  record.ok = true;
  record.platformId = info.dwPlatformId;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  record.workstation = info.wProductType == VER_NT_WORKSTATION;
  return record;
}

bool CanOpenServiceManagerFully() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, 0xF000F);
  if (manager == nullptr) return false;
  CloseServiceHandle(manager);
  return true;
}

bool RunsUnderWow64() {
  // Looked up by name: systems before XP SP2 do not have the function.
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = LoadLibraryW(L"KERNEL32.DLL");
  if (kernel == nullptr) return false;
  BOOL wow64 = FALSE;
  const auto isWow64Process =
      // Through void*: GetProcAddress's generic function type does not cast directly.
      reinterpret_cast<IsWow64ProcessFn>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  const bool answered = isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64);
  FreeLibrary(kernel);
  return answered && wow64 != FALSE;
}

bool WindowsIs64Bit() { return sizeof(void*) == 8 || RunsUnderWow64(); }

void ReleaseWorkingSet() {
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

void Pause(unsigned milliseconds) { Sleep(milliseconds); }

LocalTime LocalClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint64_t FileClock() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace os
