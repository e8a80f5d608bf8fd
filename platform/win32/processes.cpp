// Hidden starts of system tools and shell starts of the application.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <vector>

#include "platform/platform.h"

namespace os {

namespace {

struct PipePair {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

void ClosePipe(PipePair& pipe) {
  if (pipe.read) CloseHandle(pipe.read);
  if (pipe.write) CloseHandle(pipe.write);
  pipe = PipePair{};
}

}  // namespace

bool StartHiddenAndWait(const std::wstring& commandLine, const std::wstring& workdir,
                        unsigned timeoutMs) {
  // The pipes are never read or written: they only keep a console tool's text out
  // of sight. A tool that fills a pipe simply blocks until the time-out.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  PipePair input, output, error;
  const bool piped = CreatePipe(&input.read, &input.write, &inheritable, 0) &&
                     CreatePipe(&output.read, &output.write, &inheritable, 0) &&
                     CreatePipe(&error.read, &error.write, &inheritable, 0);

  bool started = false;
  if (piped) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = input.read;
    startup.hStdOutput = output.write;
    startup.hStdError = error.write;

    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION process{};
    started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                       workdir.empty() ? nullptr : workdir.c_str(), &startup, &process) != FALSE;
    if (started) {
      WaitForSingleObject(process.hProcess, timeoutMs);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  ClosePipe(input);
  ClosePipe(output);
  ClosePipe(error);
  return started;
}

ShellStartResult ShellStart(const ShellStartRequest& request) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The class "exefile" starts the file as a program whatever its extension.
  info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_DDEWAIT;
  if (request.wantProcess) info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = nullptr;
  info.lpVerb = L"open";
  info.lpClass = L"exefile";
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

void ReleaseProcess(ProcessRef process) {
  if (process != 0) CloseHandle(reinterpret_cast<HANDLE>(process));
}

}  // namespace os
