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

ToolRun RunHidden(const LauncherContext& ctx, std::wstring_view program,
                  std::wstring_view parameters, unsigned timeoutMs) {
  const std::wstring& folder =
      ctx.appWorkingDir.empty() || os::FileState(ctx.appWorkingDir) == os::kStateFolder
          ? ctx.appWorkingDir
          : ctx.launcherFolder;
  const os::HiddenRun run =
      os::StartHiddenAndWait(HiddenCommandLine(program, parameters), folder, timeoutMs);
  return ToolRun{run.started, run.ended, run.exitCode};
}
