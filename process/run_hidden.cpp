#include "process/run_hidden.h"

#include "platform/platform.h"

std::wstring HiddenCommandLine(std::wstring_view program, std::wstring_view parameters) {
  std::wstring line = (!program.empty() && program.front() == L'"')
                          ? std::wstring(program)
                          : L"\"" + std::wstring(program) + L"\"";
  if (!parameters.empty()) {
    line += L' ';
    line += parameters;
  }
  return line;
}

void RunHidden(const LauncherContext& ctx, std::wstring_view program, std::wstring_view parameters,
               unsigned timeoutMs) {
  // A tool that cannot start is skipped like one that failed: callers go on regardless.
  os::StartHiddenAndWait(HiddenCommandLine(program, parameters), ctx.appWorkingDir, timeoutMs);
}
