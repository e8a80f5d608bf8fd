// Hidden starts of system tools and shell starts of the application.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <vector>

#include "platform/platform.h"
#include "platform/win32/change_gate.h"
#include "platform/win32/hidden_process.h"

namespace win32 {

HANDLE OpenNullDevice() {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inheritable, OPEN_EXISTING, 0, nullptr);
}

bool StartHidden(const std::wstring& commandLine, const std::wstring& folder, HANDLE input,
                 HANDLE output, HANDLE error, PROCESS_INFORMATION& process) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  // CreateProcessW may write into the command line.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, folder.empty() ? nullptr : folder.c_str(), &startup,
                        &process) != FALSE;
}

}  // namespace win32

namespace os {

HiddenRun StartHiddenAndWait(const std::wstring& commandLine, const std::wstring& workdir,
                             unsigned timeoutMs) {
  if (win32::GateRefuses(L"StartHiddenAndWait", L"", false)) return HiddenRun{};
  // The tool's streams go to the null device: its text stays out of sight, and a
  // tool that writes much (RMDIR reporting locked files) can never fill a pipe
  // that nobody reads and stop half-way. Input at its end answers any question.
  HANDLE nul = win32::OpenNullDevice();
  HiddenRun run;
  if (nul == INVALID_HANDLE_VALUE) return run;
  PROCESS_INFORMATION process{};
  run.started = win32::StartHidden(commandLine, workdir, nul, nul, nul, process);
  CloseHandle(nul);
  if (!run.started) return run;
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    run.ended = GetExitCodeProcess(process.hProcess, &code) != FALSE;
    run.exitCode = code;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

ShellStartResult ShellStart(const ShellStartRequest& request) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The class "exefile" starts the file as a program whatever its extension.
  info.fMask = SEE_MASK_FLAG_DDEWAIT;
  if (request.asProgram) info.fMask |= SEE_MASK_CLASSNAME;
  if (request.wantProcess) info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = nullptr;
  info.lpVerb = request.asProgram ? L"open" : nullptr;
  info.lpClass = request.asProgram ? L"exefile" : nullptr;
  info.lpFile = request.file.c_str();
  info.lpParameters = request.parameters.c_str();
  info.lpDirectory = request.directory.empty() ? nullptr : request.directory.c_str();
  info.nShow = request.showCommand;

  ShellStartResult result;
  result.ok = ShellExecuteExW(&info) != FALSE;
  if (result.ok && request.wantProcess)
    result.process = reinterpret_cast<ProcessRef>(info.hProcess);
  return result;
}

bool ProcessHasEnded(ProcessRef process) {
  // A handle that cannot be waited on has nothing left to wait for.
  if (process == 0) return true;
  return WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) != WAIT_TIMEOUT;
}

void WaitForProcessEnd(ProcessRef process) {
  if (process != 0) WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

void ReleaseProcess(ProcessRef process) {
  if (process != 0) CloseHandle(reinterpret_cast<HANDLE>(process));
}

}  // namespace os
