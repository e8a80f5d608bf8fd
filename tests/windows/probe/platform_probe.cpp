// voq_platform_probe.exe: lets the platform tests see what a freshly started
// program gets from the platform layer. It writes to the file named by the
// environment variable VOQ_PROBE_OUT (UTF-8, one item per line)
//     module TAB <ModulePath()>
//     arg TAB <argument>          for each of CommandLineArguments()
// and ends through ExitProcessNow(37).
#include <windows.h>

#include <string>

#include "platform/platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring report = L"module\t" + os::ModulePath() + L"\n";
  for (const std::wstring& argument : os::CommandLineArguments())
    report += L"arg\t" + argument + L"\n";
  const std::optional<std::wstring> out = os::ReadEnv(L"VOQ_PROBE_OUT");
  if (out) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, report.data(), static_cast<int>(report.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, report.data(), static_cast<int>(report.size()), bytes.data(),
                        size, nullptr, nullptr);
    os::WriteNewFile(*out, bytes);
  }
  os::ExitProcessNow(37);
}
