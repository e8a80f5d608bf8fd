// Starting a program without waiting for it, elevated through the shell when the
// program asks for administrator rights.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <vector>

#include "platform/platform.h"

namespace os {

bool StartProgram(const std::wstring& program, const std::wstring& parameters,
                  const std::wstring& folder) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!parameters.empty()) commandLine += L" " + parameters;
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
  // A program that requires elevation is refused (ERROR_ELEVATION_REQUIRED); the
  // shell asks the user and starts it elevated.
  const std::wstring shellFolder =
      folder.empty() ? program.substr(0, program.find_last_of(L'\\') + 1) : folder;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The launcher ends right after this call: the start must be made before it returns.
  info.fMask = SEE_MASK_NOASYNC;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = shellFolder.empty() ? nullptr : shellFolder.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace os
