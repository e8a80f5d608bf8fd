// The console a shown batch file runs in.
#include <windows.h>

#include "platform/platform.h"

namespace os {

bool OpenConsole(const std::wstring& title) {
  // Fails, harmlessly, when the launcher has its console already.
  AllocConsole();
  return SetConsoleTitleW(title.c_str()) != FALSE;
}

bool StartInConsole(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  // The console's own streams, not whatever handles the launcher was started with.
  startup.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nullptr;
  std::wstring line = L"\"" + program + L"\"";
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace os
