// date, attributes, clip and killprocess against the real system, read back
// through the file API, the clipboard and a stand-in tool.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "commands/run_section.h"
#include "platform/platform.h"
#include "tests/windows/support/portable_folder.h"
#include "tests/windows/support/test_files.h"

namespace {

using testing_win::WriteBytes;

// The file's modification time as local time, "yyyy.mm.dd hh:ii:ss".
std::wstring LocalModified(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  FILETIME written{};
  const bool got = file != INVALID_HANDLE_VALUE && GetFileTime(file, nullptr, nullptr, &written);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  SYSTEMTIME utc{}, local{};
  if (!got || !FileTimeToSystemTime(&written, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return L"?";
  wchar_t text[32];
  swprintf(text, 32, L"%04u.%02u.%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
           local.wHour, local.wMinute, local.wSecond);
  return text;
}

class MiscCommandsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.launcherFolder = root.path;
    ctx.launcherName = L"Tool";
    ctx.phase = L"BEFORE";
  }
  std::wstring At(const std::wstring& name) const { return root.path + name; }
  void Key(const std::wstring& key, const std::wstring& value) {
    DispatchKey(ctx, L"BEFORE", key, value);
  }

  testing_win::ScopedFolder root{L"voq-misc"};
  LauncherContext ctx;
};

}  // namespace

TEST_F(MiscCommandsWin, DateSetsTheModificationTimeAndIgnoresImpossibleDates) {
  ASSERT_TRUE(WriteBytes(At(L"a.txt"), "x"));
  for (const std::wstring date :
       {L"2013.12.31 23:59:00", L"2038.01.19 03:14:08", L"1970.01.01 00:00:00"}) {
    Key(L"date", L"a.txt :: " + date);
    EXPECT_EQ(LocalModified(At(L"a.txt")), date);
  }
  for (const std::wstring bad : {L"2013.13.01 00:00:00", L"2013.12.32 00:00:00", L"2013.12.31"}) {
    Key(L"date", L"a.txt :: " + bad);
    EXPECT_EQ(LocalModified(At(L"a.txt")), L"1970.01.01 00:00:00") << testing_win::Utf8(bad);
  }
  Key(L"date", L"a.txt :: now");
  EXPECT_EQ(LocalModified(At(L"a.txt")).substr(0, 2), L"20");
}

TEST_F(MiscCommandsWin, AttributesReplaceTheSet) {
  ASSERT_TRUE(WriteBytes(At(L"a.txt"), "x"));
  Key(L"attributes", L"a.txt :: hidden, readonly");
  const DWORD set = GetFileAttributesW(At(L"a.txt").c_str());
  EXPECT_EQ(set & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  Key(L"attributes", L"a.txt :: normal");
  EXPECT_EQ(
      GetFileAttributesW(At(L"a.txt").c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
      0u);
}

TEST_F(MiscCommandsWin, ClipPutsTextOnTheClipboard) {
  Key(L"clip", L"voQ \u00FC clip");
  EXPECT_EQ(os::ClipboardText(), L"voQ \u00FC clip");
  Key(L"clip", L"*EMPTY*");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  CloseClipboard();
  EXPECT_EQ(os::ClipboardText(), L"");
}

// Wine's taskkill.exe refuses /t: a stand-in of our own records what it was given.
TEST_F(MiscCommandsWin, KillprocessHandsTheToolImageNameAndTreeSwitches) {
  ctx.taskkillExe = At(L"Tools\\taskkill.exe");
  ASSERT_TRUE(testing_win::MakeFolders(At(L"Tools")));
  ASSERT_TRUE(testing_win::CopyOver(testing_win::TestAppImage(), ctx.taskkillExe));
  Key(L"killprocess", L"app*.exe");
  const std::vector<testing_win::AppRun> runs = testing_win::ReadAppRuns(ctx.taskkillExe);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, L"\"" + ctx.taskkillExe + L"\" /im app*.exe /f /t");
}
