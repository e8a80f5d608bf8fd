// The miscellaneous keys of BEFORE and AFTER: what each hands the system.
#include "commands/misc_commands.h"

#include "commands/file_stamps.h"
#include "commands/run_section.h"
#include "platform/text.h"
#include "tests/native/launcher_fixture.h"

namespace {

class MiscCommandsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }
  void Key(const std::wstring& key, const std::wstring& value) {
    DispatchKey(ctx, L"BEFORE", key, value);
  }
  static std::wstring Stamp(const os::LocalTime& t) {
    return std::to_wstring(t.year) + L"-" + std::to_wstring(t.month) + L"-" +
           std::to_wstring(t.day) + L" " + std::to_wstring(t.hour) + L":" +
           std::to_wstring(t.minute) + L":" + std::to_wstring(t.second);
  }
  // Every date set on the file, as "which=stamp".
  static std::vector<std::wstring> Dates(const std::wstring& path) {
    std::vector<std::wstring> dates;
    for (const auto& [which, when] : Fake().fileDates[LowerAscii(path)])
      dates.push_back(std::to_wstring(static_cast<int>(which)) + L"=" + Stamp(when));
    return dates;
  }
};

}  // namespace

TEST(DelayNumber, ReadsLikeTheNumberRuleAndNeverWaitsForEver) {
  struct Row {
    std::wstring_view text;
    unsigned ms;
  };
  const Row rows[] = {
      {L"500", 500},
      {L"500ms", 500},
      {L" \t42", 42},
      {L"+7", 7},
      {L"12abc", 12},
      {L"abc", 0},
      {L"", 0},
      {L"-5", 0},
      {L"$1F", 31},
      {L"$ff", 255},
      {L"%101", 5},
      {L"%2", 0},
      {L"$", 0},
      {L"-$10", 0},
      {L"1 000", 1},
      {L"$FFFFFFFE", 0xFFFFFFFE},
      {L"$FFFFFFFF", 0xFFFFFFFE},
      {L"99999999999999999999999", 0xFFFFFFFE},
  };
  for (const Row& row : rows)
    EXPECT_EQ(DelayMilliseconds(row.text), row.ms) << std::wstring(row.text);
}

TEST(DateText, ReadsOnlyCompleteDatesThatExist) {
  struct Row {
    std::wstring_view text;
    bool valid;
  };
  const Row rows[] = {
      {L"2013.12.31 23:59:00", true},  {L"1970.01.01 00:00:00", true},
      {L"2038.01.19 03:14:08", true},  {L"2024.02.29 12:00:00", true},
      {L"1601.01.01 00:00:00", true},  {L"2023.02.29 12:00:00", false},
      {L"1900.02.29 12:00:00", false}, {L"2013.13.01 00:00:00", false},
      {L"2013.12.32 00:00:00", false}, {L"2013.00.10 00:00:00", false},
      {L"2013.12.31 24:00:00", false}, {L"2013.12.31 23:60:00", false},
      {L"2013.12.31 23:59", false},    {L"2013-12-31 23:59:00", false},
      {L"0000.01.01 00:00:00", false}, {L"2013.12.31 23:59:00x", false},
      {L"2013.1.31 23:59:000", false}, {L"", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ReadDateText(row.text).has_value(), row.valid) << std::wstring(row.text);
  const os::LocalTime when = *ReadDateText(L"2013.12.31 23:59:07");
  EXPECT_EQ(
      (std::vector<int>{when.year, when.month, when.day, when.hour, when.minute, when.second}),
      (std::vector<int>{2013, 12, 31, 23, 59, 7}));
}

TEST_F(MiscCommandsTest, DateSetsTheNamedDateOrLeavesTheFileAlone) {
  FakeAddFile(L"C:\\P\\a.txt", "x");
  Fake().clock = os::LocalTime{2020, 5, 6, 7, 8, 9};
  Key(L"date", L"a.txt :: now :: created");
  Key(L"date", L"a.txt :: 2013.12.31 23:59:00");
  EXPECT_EQ(Dates(L"C:\\P\\a.txt"),
            (std::vector<std::wstring>{L"0=2013-12-31 23:59:0", L"1=2020-5-6 7:8:9"}));
  // "created" and "accessed" both named: the last-access date.
  Key(L"date", L"a.txt :: now :: created, accessed");
  EXPECT_EQ(Dates(L"C:\\P\\a.txt").back(), L"2=2020-5-6 7:8:9");

  Fake().fileDates.clear();
  Key(L"date", L"a.txt :: 2013.13.31 23:59:00");
  Key(L"date", L"a.txt :: 31.12.2013");
  FakeAddFolder(L"C:\\P\\dir");
  Key(L"date", L"dir :: now");
  Key(L"date", L"missing.txt :: now");
  EXPECT_TRUE(Fake().fileDates.empty());
}

TEST_F(MiscCommandsTest, AttributesReplaceTheSetWithTheWordsNamed) {
  struct Row {
    std::wstring words;
    unsigned attributes;
  };
  const Row rows[] = {
      {L"hidden, readonly", os::kAttrHidden | os::kAttrReadOnly},
      {L"system archive", os::kAttrSystem | os::kAttrArchive},
      {L"", os::kAttrNormal},
      {L"Hidden", os::kAttrNormal},  // words are matched with their case
  };
  for (const Row& row : rows) {
    FakeAddFile(L"C:\\P\\a.txt", "x");
    Fake().readOnlyFiles.clear();
    Fake().otherAttributes.clear();  // archive, as every new file
    Key(L"attributes", L"a.txt :: " + row.words);
    EXPECT_EQ(os::FileAttributes(L"C:\\P\\a.txt"), row.attributes) << row.words;
  }
  Key(L"attributes", L"missing.txt :: hidden");
  EXPECT_FALSE(FakeHasFile(L"C:\\P\\missing.txt"));
}

TEST_F(MiscCommandsTest, MessageShowsOkOrOkCancelAndCancelEndsTheLauncher) {
  Fake().answers = {os::kAnswerOk, os::kAnswerCancel, os::kAnswerCancel};
  Key(L"message", L"Hello");
  Key(L"message", L"Careful :: Cancellable");  // not the option: OK only, no ending
  EXPECT_EQ(ExitCodeOf([&] { Key(L"message", L"Go on? :: cancellable"); }), 0);
  ASSERT_EQ(Fake().boxes.size(), 3u);
  EXPECT_EQ(Fake().boxes[0].text, L"Hello");
  EXPECT_EQ(Fake().boxes[0].caption, L"Tool");
  EXPECT_EQ(Fake().boxes[0].style, os::kBoxOk | os::kBoxTopmost);
  EXPECT_EQ(Fake().boxes[1].style, os::kBoxOk | os::kBoxTopmost);
  EXPECT_EQ(Fake().boxes[2].style, os::kBoxOkCancel | os::kBoxTopmost);
  Fake().answers = {os::kAnswerOk};
  EXPECT_EQ(ExitCodeOf([&] { Key(L"message", L"Go on? :: cancellable"); }), -1);
}

TEST_F(MiscCommandsTest, EnvvarClipDelayKillAndRefreshHandTheSystemTheirValues) {
  Key(L"envvar", L"APP_DATA :: C:\\P\\Data");
  Key(L"envvar", L"EMPTY_ONE");
  EXPECT_EQ(os::ReadEnv(L"APP_DATA"), L"C:\\P\\Data");
  EXPECT_EQ(os::ReadEnv(L"EMPTY_ONE"), L"");

  Key(L"clip", L"some text");
  EXPECT_EQ(Fake().clipboard, L"some text");
  Key(L"clip", L"*EMPTY*");
  EXPECT_EQ(Fake().clipboard, L"");
  EXPECT_EQ(Fake().clipboardWrites, 2);

  Key(L"delay", L"500ms");
  Key(L"delay", L"-20");
  EXPECT_EQ(Fake().pausedMs, 500u);
  EXPECT_GE(Fake().timerRaises, 1);

  Key(L"killprocess", L"app*.exe");
  Fake().wallpaper = L"C:\\Windows\\wall.bmp";
  Key(L"systemrefresh", L"0");
  EXPECT_EQ(
      HiddenCommandLines(),
      (std::vector<std::wstring>{
          L"\"C:\\Windows\\system32\\taskkill.exe\" /im app*.exe /f /t",
          L"\"C:\\Windows\\system32\\RunDll32.exe\" USER32.DLL, UpdatePerUserSystemParameters"}));
  EXPECT_EQ(Fake().hiddenStarts[0].timeoutMs, 30000u);
  EXPECT_EQ(Fake().wallpaperSets, std::vector<std::wstring>{L"C:\\Windows\\wall.bmp"});
  Fake().wallpaper.clear();
  Key(L"systemrefresh", L"1");
  EXPECT_EQ(Fake().wallpaperSets.size(), 1u);
}

TEST_F(MiscCommandsTest, BatchRunsHiddenWithThePhaseOrShownInTheConsole) {
  Key(L"batch", L"Tools\\prep.bat");
  ctx.phase = L"AFTER";
  Key(L"batch", L"C:\\x\\done.bat :: Show");
  ASSERT_EQ(Fake().shellStarts.size(), 2u);
  for (const os::ShellStartRequest& start : Fake().shellStarts) {
    EXPECT_EQ(start.showCommand, 0);
    EXPECT_FALSE(start.wantProcess);
    EXPECT_FALSE(start.asProgram);
    EXPECT_EQ(start.directory, L"");
  }
  EXPECT_EQ(Fake().shellStarts[0].file, L"C:\\P\\Tools\\prep.bat");
  EXPECT_EQ(Fake().shellStarts[0].parameters, L"BEFORE");
  EXPECT_EQ(Fake().shellStarts[1].parameters, L"AFTER");
  EXPECT_FALSE(Fake().consoleOpen);

  Key(L"batch", L"shown.bat :: show");
  EXPECT_EQ(Fake().consoleTitle, L"Tool (voQ)");
  EXPECT_EQ(Fake().consoleStarts, std::vector<std::wstring>{L"C:\\P\\shown.bat"});
  EXPECT_EQ(Fake().shellStarts.size(), 2u);
}

TEST_F(MiscCommandsTest, RunStartsWithParametersFolderAndWaitAsWritten) {
  const int released = Fake().processesReleased;
  Key(L"run", L"App\\setup.exe :: NULL :: /quiet /x");
  Key(L"run", L"C:\\x\\tool.exe :: wait :: NULL :: D:\\Work");
  ASSERT_EQ(Fake().shellStarts.size(), 2u);
  const os::ShellStartRequest& first = Fake().shellStarts[0];
  EXPECT_EQ(first.file, L"C:\\P\\App\\setup.exe");
  EXPECT_EQ(first.parameters, L"/quiet /x");
  EXPECT_EQ(first.directory, L"C:\\P\\App");
  EXPECT_EQ(first.showCommand, 1);
  EXPECT_FALSE(first.wantProcess);
  EXPECT_FALSE(first.asProgram);
  const os::ShellStartRequest& second = Fake().shellStarts[1];
  EXPECT_EQ(second.parameters, L"");
  EXPECT_EQ(second.directory, L"D:\\Work");
  EXPECT_TRUE(second.wantProcess);
  EXPECT_EQ(Fake().processWaits, 1);
  EXPECT_EQ(Fake().processesReleased, released + 1);
}
