// The desktop wallpaper and the timer resolution: system-wide settings the
// launcher refreshes or raises.
#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include "platform/platform.h"

namespace os {

std::wstring DesktopWallpaper() {
  wchar_t path[260] = {};
  if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, 260, path, 0)) return std::wstring();
  path[259] = L'\0';
  return path;
}

bool SetDesktopWallpaper(const std::wstring& path) {
  std::wstring copy = path;  // the call takes a non-constant buffer
  return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, copy.data(), SPIF_SENDWININICHANGE) !=
         FALSE;
}

void RaiseTimerResolution() {
  // The system lowers it again when the process ends.
  static bool raised = false;
  if (raised) return;
  raised = timeBeginPeriod(1) == TIMERR_NOERROR;
}

}  // namespace os
