// The launcher as it ships, with a gate in front of the platform's change calls
// that disturbs one run as VOQ_FAULT says:
//   "kill N"    the process ends at the entry of change call N, as if killed;
//   "fail N"    call N fails without effect;
//   "full N"    from call N on, every call that adds data fails (and the
//               application started after it finds the disk full too);
//   "hold PATH" the file is held open, sharing nothing, from the moment it is
//               there until the run ends, as another program would hold it.
// Every change call is written to the file VOQ_FAULT_LOG names, one a line:
// call, path and whether it adds data, separated by tabs.
#include <windows.h>

#include <string>

#include "launcher/startup.h"
#include "platform/change_gate.h"

namespace {

constexpr UINT kKilled = 99;  // the exit code of a run stopped at its call

enum class Kind { None, Kill, Fail, Full, Hold };
Kind g_kind = Kind::None;
int g_at = 0;
std::wstring g_held;
HANDLE g_holding = INVALID_HANDLE_VALUE;
HANDLE g_log = INVALID_HANDLE_VALUE;
int g_calls = 0;
bool g_full = false;

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

void HoldWhenThere() {
  if (g_kind != Kind::Hold || g_holding != INVALID_HANDLE_VALUE) return;
  g_holding = CreateFileW(g_held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void Log(const wchar_t* call, const std::wstring& path, bool addsData) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  const std::wstring line = std::wstring(call) + L"\t" + path + (addsData ? L"\t1\n" : L"\t0\n");
  char bytes[4096];
  const int length = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                         bytes, sizeof(bytes), nullptr, nullptr);
  DWORD written = 0;
  WriteFile(g_log, bytes, static_cast<DWORD>(length), &written, nullptr);
}

bool Gate(const wchar_t* call, const std::wstring& path, bool addsData) {
  HoldWhenThere();
  Log(call, path, addsData);
  if (++g_calls == g_at) {
    switch (g_kind) {
      case Kind::Kill:
        TerminateProcess(GetCurrentProcess(), kKilled);
        break;
      case Kind::Fail:
        return false;
      case Kind::Full:
        g_full = true;
        SetEnvironmentVariableW(L"VOQ_DISK_FULL", L"1");
        break;
      case Kind::None:
      case Kind::Hold:
        break;
    }
  }
  return !(addsData && g_full);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring fault = Env(L"VOQ_FAULT");
  const std::wstring kind = fault.substr(0, fault.find(L' '));
  const std::wstring argument = fault.substr(kind.size() + (kind.size() < fault.size()));
  g_kind = kind == L"kill"   ? Kind::Kill
           : kind == L"fail" ? Kind::Fail
           : kind == L"full" ? Kind::Full
           : kind == L"hold" ? Kind::Hold
                             : Kind::None;
  if (g_kind == Kind::Hold)
    g_held = argument;
  else if (g_kind != Kind::None)
    g_at = _wtoi(argument.c_str());
  const std::wstring log = Env(L"VOQ_FAULT_LOG");
  if (!log.empty())
    g_log = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  HoldWhenThere();
  os::SetChangeGate(Gate);
  LauncherEntry();
}
