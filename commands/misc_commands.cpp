#include "commands/misc_commands.h"

#include <cstdint>

#include "platform/context.h"
#include "platform/platform.h"
#include "process/run_hidden.h"
#include "values/prepare_value.h"

namespace {

constexpr std::wstring_view kEmptyClip = L"*EMPTY*";
constexpr std::wstring_view kKillSwitches = L" /f /t";  // force, with the process tree
constexpr std::wstring_view kRefreshParameters = L"USER32.DLL, UpdatePerUserSystemParameters";

// One below INFINITE (0xFFFFFFFF), which would make the pause endless.
constexpr std::uint64_t kLongestPauseMs = 0xFFFFFFFEu;

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return 99;
}

}  // namespace

void StoreNowait(LauncherContext& ctx, const std::wstring& value) { ctx.nowaitValue = value; }

void Quit(LauncherContext& ctx, const std::wstring&) { EndLauncher(ctx); }

void MessageCommand(LauncherContext& ctx, const std::wstring& value) {
  const bool cancellable = Field(value, 2) == L"cancellable";
  const unsigned buttons = cancellable ? os::kBoxOkCancel : os::kBoxOk;
  const int answer =
      os::ShowMessageBox(Field(value, 1), ctx.launcherName, buttons | os::kBoxTopmost);
  // Nothing more runs: no further key, no application, no AFTER.
  if (cancellable && answer == os::kAnswerCancel) EndLauncher(ctx);
}

void EnvVarCommand(LauncherContext&, const std::wstring& value) {
  const std::wstring name = Field(value, 1);
  if (!name.empty()) os::WriteEnv(name, Field(value, 2));
}

void ClipCommand(LauncherContext&, const std::wstring& value) {
  os::SetClipboardText(value == kEmptyClip ? std::wstring() : value);
}

void KillProcessCommand(LauncherContext& ctx, const std::wstring& value) {
  // The value goes on as written, unquoted: it may carry further switches.
  RunHidden(ctx, ctx.taskkillExe, L"/im " + value + std::wstring(kKillSwitches), kToolTimeoutMs);
}

void SystemRefreshCommand(LauncherContext& ctx, const std::wstring&) {
  const std::wstring wallpaper = os::DesktopWallpaper();
  if (!wallpaper.empty()) os::SetDesktopWallpaper(wallpaper);
  RunHidden(ctx, ctx.rundll32Exe, kRefreshParameters, kToolTimeoutMs);
}

unsigned DelayMilliseconds(std::wstring_view value) {
  std::size_t i = 0;
  while (i < value.size() && (value[i] == L' ' || value[i] == L'\t')) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == L'-' || value[i] == L'+')) negative = value[i++] == L'-';
  int base = 10;
  if (i < value.size() && value[i] == L'$') base = 16;
  if (i < value.size() && value[i] == L'%') base = 2;
  if (base != 10) ++i;
  std::uint64_t number = 0;
  for (; i < value.size() && DigitValue(value[i]) < base; ++i) {
    // Past the longest pause the digits no longer matter.
    number = number * base + DigitValue(value[i]);
    if (number > kLongestPauseMs) number = kLongestPauseMs + 1;
  }
  if (negative) return 0;
  return static_cast<unsigned>(number > kLongestPauseMs ? kLongestPauseMs : number);
}

void DelayCommand(LauncherContext&, const std::wstring& value) {
  const unsigned pause = DelayMilliseconds(value);
  if (pause == 0) return;
  os::RaiseTimerResolution();
  os::Pause(pause);
}
