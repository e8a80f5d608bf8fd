// The dates of a file.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/change_gate.h"

namespace os {

bool SetFileDate(const std::wstring& path, FileDate which, const LocalTime& when) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(when.year);
  local.wMonth = static_cast<WORD>(when.month);
  local.wDay = static_cast<WORD>(when.day);
  local.wHour = static_cast<WORD>(when.hour);
  local.wMinute = static_cast<WORD>(when.minute);
  local.wSecond = static_cast<WORD>(when.second);
  // The rules of daylight saving time of that date, not of today.
  SYSTEMTIME utc{};
  FILETIME stamp{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !SystemTimeToFileTime(&utc, &stamp))
    return false;
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(file, which == FileDate::Created ? &stamp : nullptr,
                               which == FileDate::Accessed ? &stamp : nullptr,
                               which == FileDate::Modified ? &stamp : nullptr) != FALSE;
  CloseHandle(file);
  return set;
}

bool StampWriteTime(const std::wstring& path) {
  if (win32::GateRefuses(L"StampWriteTime", path, false)) return false;
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const bool set = SetFileTime(file, nullptr, nullptr, &now) != FALSE;
  CloseHandle(file);
  return set;
}

}  // namespace os
