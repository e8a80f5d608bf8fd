// What the end-to-end cases share: ini texts, the expectations on a box, and a
// launcher started without waiting.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "commands/run_record.h"
#include "gtest/gtest.h"
#include "tests/windows/support/box_answerer.h"
#include "tests/windows/support/portable_folder.h"

namespace testing_win {

// Ini files are written as users save them: CR LF line ends, no BOM.
inline std::string IniText(const std::string& lf) {
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

inline void ExpectBox(const SeenBox& seen, const std::wstring& caption, const std::wstring& text,
                      BoxIcon icon, bool okCancel) {
  EXPECT_EQ(seen.caption, caption);
  EXPECT_EQ(seen.text, text);
  EXPECT_STREQ(BoxIconName(seen.icon), BoxIconName(icon));
  EXPECT_TRUE(seen.hasOk);
  EXPECT_EQ(seen.hasCancel, okCancel);
  EXPECT_FALSE(seen.hasYes);
  EXPECT_FALSE(seen.hasNo);
  // Wine ignores MB_TOPMOST; the style can only be seen on Windows.
  if (!RunningUnderWine()) {
    EXPECT_TRUE(seen.topmost);
  }
}

// The command line the shell gives the application: its quoted path, a blank,
// then the parameters the launcher handed over.
inline std::wstring ShellCommandLine(const std::wstring& app, const std::wstring& parameters) {
  return L"\"" + app + L"\" " + parameters;
}

// The launcher as a user starts it, without waiting: the test decides its end.
struct Started {
  PROCESS_INFORMATION process{};
  long long startMs = 0;
  ~Started() {
    if (process.hProcess) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
};

inline bool StartLauncher(const PortableFolder& folder, Started& started) {
  std::wstring line = L"\"" + folder.launcher + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  started.startMs = NowMs();
  return CreateProcessW(folder.launcher.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started.process) != FALSE;
}

// The run record this machine and account keep for the folder's launcher, as the
// launcher names it.
inline LauncherContext RecordContext(const PortableFolder& folder) {
  LauncherContext ctx;
  ctx.launcherFolder = folder.root.path;
  ctx.launcherName = folder.name;
  ctx.launcherPath = folder.launcher;
  IdentifyRunner(ctx);
  return ctx;
}

inline std::wstring RunRecordOf(const PortableFolder& folder) {
  return RunRecordPath(RecordContext(folder));
}

// Its items, "stage :: key :: value" each; none without a record.
inline std::vector<std::wstring> RecordedItems(const PortableFolder& folder) {
  const LauncherContext ctx = RecordContext(folder);
  std::vector<std::wstring> items;
  if (const auto record = ParseRunRecord(ctx, ReadBytes(RunRecordPath(ctx))))
    for (const RunItem& item : record->items)
      items.push_back(item.stage + L" :: " + item.key + L" :: " + item.value);
  return items;
}

// A record as a run of this machine and account leaves it.
inline bool WriteRunRecord(const PortableFolder& folder, const std::vector<RunItem>& items) {
  const LauncherContext ctx = RecordContext(folder);
  return WriteBytes(RunRecordPath(ctx),
                    RunRecordText(ctx, RunRecord{ctx.runner, folder.name + L".exe", items}));
}

}  // namespace testing_win
