// The fake's side of what the miscellaneous commands need of the platform.
#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"

namespace os {

bool OpenConsole(const std::wstring& title) {
  Fake().consoleOpen = true;
  Fake().consoleTitle = title;
  return true;
}

bool StartInConsole(const std::wstring& program) {
  Fake().consoleStarts.push_back(program);
  return true;
}

void WaitForProcessEnd(ProcessRef) { ++Fake().processWaits; }

bool SetFileDate(const std::wstring& path, FileDate which, const LocalTime& when) {
  const std::wstring key = LowerAscii(path);
  if (!Fake().files.count(key)) return false;
  // The system's file times begin in 1601.
  if (when.year < 1601 || when.month < 1 || when.month > 12 || when.day < 1 || when.day > 31)
    return false;
  Fake().fileDates[key][which] = when;
  // The modified date is the write time that listings show (the fake's local time
  // is UTC), in ticks since 1601: 134,774 days before 1970.
  if (which == FileDate::Modified) {
    const std::int64_t seconds = (DaysFromCivil(when.year, when.month, when.day) + 134774) * 86400 +
                                 when.hour * 3600 + when.minute * 60 + when.second;
    FakeSetWriteTime(key, static_cast<std::uint64_t>(seconds) * 10'000'000);
  }
  return true;
}

std::wstring DesktopWallpaper() { return Fake().wallpaper; }

bool SetDesktopWallpaper(const std::wstring& path) {
  Fake().wallpaperSets.push_back(path);
  return true;
}

void RaiseTimerResolution() { ++Fake().timerRaises; }

bool SetClipboardText(const std::wstring& text) {
  ++Fake().clipboardWrites;
  Fake().clipboard = text;
  return true;
}

}  // namespace os
