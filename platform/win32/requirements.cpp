// The system queries of the requirement checks: the Windows folder, the connection
// state, and a hidden start whose output is read.
#include <windows.h>
// After windows.h, which they build on.
#include <wininet.h>

#include <vector>

#include "platform/platform.h"
#include "platform/win32/hidden_process.h"
#include "platform/win32/win32_text.h"

namespace os {

std::wstring WindowsDirectory() {
  return win32::GrowingBuffer(
      [](wchar_t* buffer, DWORD capacity) { return GetWindowsDirectoryW(buffer, capacity); });
}

bool InternetConnected() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

namespace {

// Appends what the pipe holds now, without blocking. False once it is broken.
bool DrainPipe(HANDLE pipe, std::string& output) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) return true;
    char chunk[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, chunk, sizeof(chunk) < available ? sizeof(chunk) : available, &got,
                  nullptr))
      return false;
    output.append(chunk, got);
  }
}

}  // namespace

CapturedRun RunCapturingOutput(const std::wstring& commandLine, unsigned timeoutMs) {
  CapturedRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
  // Only the program's end is inherited; ours must not keep the pipe open.
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = win32::OpenNullDevice();
  PROCESS_INFORMATION process{};
  run.started = win32::StartHidden(commandLine, L"", nul, writeEnd, nul, process);
  CloseHandle(writeEnd);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (run.started) {
    // Read while the program runs, so that it never waits on a full pipe; after
    // it has ended, take what is left.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool open = true;
    while (open) {
      const bool ended = WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0;
      open = DrainPipe(readEnd, run.output);
      if (ended || GetTickCount64() >= deadline) {
        if (open) DrainPipe(readEnd, run.output);
        break;
      }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return run;
}

}  // namespace os
