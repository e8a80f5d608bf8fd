#include "launcher/main_sequence.h"

#include "commands/run_section.h"
#include "tests/fake_platform/reg_text_reader.h"
#include "tests/native/launcher_fixture.h"

namespace {

std::vector<std::wstring> Walk(const LauncherContext& ctx) {
  std::vector<std::wstring> order;
  for (const CommandEntry& e : ctx.commands)
    order.push_back(e.label + L" " + e.key + L" " + e.value);
  return order;
}

}  // namespace

class MainSequenceTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    FakeAddFolder(L"C:\\P\\App");
    FakeAddFile(L"C:\\P\\App\\App.exe", "MZ");
    Start();
    ctx.applicationPath = L"C:\\P\\App\\App.exe";
  }

  void Read(const std::string& ini) {
    FakeAddFile(L"C:\\P\\Tool.ini", ini);
    ctx.configFilePath = L"C:\\P\\Tool.ini";
    ReadConfiguration(ctx, ctx.configFilePath);
    PlaceAutomaticEntries(ctx);
  }
};

// In the reverse order of their BEFORE halves, as a stack unwinds.
TEST_F(MainSequenceTest, AutomaticAfterEntriesPrecedeTheAfterKeys) {
  Read("[BEFORE]\r\ndir = A\r\nfile = B\r\n[AFTER]\r\n-file = C\r\n");
  EXPECT_EQ(Walk(ctx),
            (std::vector<std::wstring>{L"BEFORE dir A", L"BEFORE file B", L"AFTER file B",
                                       L"AFTER dir A", L"AFTER -file C"}));
}

TEST_F(MainSequenceTest, RestoreKeyPlacesTheAutomaticEntriesWhereItStands) {
  Read(
      "[BEFORE]\ndir = A\nfile = B\n[AFTER]\n-file = C\nrestore = 1\n-dir = D\nrestore = 1\n"
      "restore = 0\n");
  EXPECT_EQ(Walk(ctx),
            (std::vector<std::wstring>{L"BEFORE dir A", L"BEFORE file B", L"AFTER -file C",
                                       L"AFTER file B", L"AFTER dir A", L"AFTER -dir D",
                                       L"AFTER restore 1", L"AFTER restore 0"}));
  EXPECT_EQ(ctx.restoreFlag, 1);
}

TEST_F(MainSequenceTest, OnlyExactBeforeWrapKeysGetAnAfterHalf) {
  Read("[BEFORE]\r\ndirX86 = A\r\n(dir) = B\r\nsymlink = L\r\n[AFTER]\r\ndir = C\r\n");
  EXPECT_EQ(Walk(ctx),
            (std::vector<std::wstring>{L"BEFORE dirX86 A", L"BEFORE (dir) B", L"BEFORE symlink L",
                                       L"AFTER symlink L", L"AFTER (dir) B", L"AFTER dir C"}));
}

TEST_F(MainSequenceTest, GeneralKeysActInAnySectionInScanOrder) {
  FakeAddFolder(L"C:\\P\\Data");  // the system changes only to a folder that is there
  Read(
      "[GENERAL]\r\nworkdir = D:\\Early\r\napplication = App\\App.exe\r\ncommandline = /a\r\n"
      "[AFTER]\r\nworkdir = Data\r\n!waitprocess = ignored\r\n");
  EXPECT_EQ(ctx.applicationPath, L"C:\\P\\App\\App.exe");
  EXPECT_EQ(ctx.appWorkingDir, L"C:\\P\\Data");
  EXPECT_EQ(ctx.commandLineValue, L"/a");
  EXPECT_EQ(ctx.waitWindowText, L"");
  EXPECT_EQ(Fake().currentFolder, L"C:\\P\\Data");
}

// The hundred are the keys of BEFORE and AFTER: GENERAL's and the restore marker
// take none of them.
TEST_F(MainSequenceTest, KeysPastTheHundredthActButGetNoEntry) {
  std::string ini = "[GENERAL]\r\n";
  for (int i = 0; i < 100; ++i) ini.append("g").append(std::to_string(i)).append(" = v\r\n");
  ini += "[BEFORE]\r\ndir = A\r\n";
  for (int i = 1; i < 99; ++i) ini.append("k").append(std::to_string(i)).append(" = v\r\n");
  ini += "[AFTER]\r\nk99 = v\r\ncommandline = late\r\nrestore = 1\r\nk102 = v\r\n";
  Read(ini);
  EXPECT_EQ(ctx.commandLineValue, L"late");
  // A restore key past the hundredth places nothing: the after-halves keep their place.
  EXPECT_EQ(ctx.restoreFlag, 0);
  std::vector<std::wstring> run;
  for (const CommandEntry& e : ctx.commands)
    if (e.label != L"GENERAL") run.push_back(e.label + L" " + e.key);
  ASSERT_EQ(run.size(), 101u);
  EXPECT_EQ(run[0], L"BEFORE dir");
  EXPECT_EQ(run[98], L"BEFORE k98");
  EXPECT_EQ(run[99], L"AFTER dir");
  EXPECT_EQ(run[100], L"AFTER k99");
}

TEST_F(MainSequenceTest, HundredWrapKeysAllGetTheirAfterHalf) {
  std::string ini = "[BEFORE]\r\n";
  for (int i = 0; i < 100; ++i) {
    const std::string n = std::to_string(i);
    ini.append("dir = D").append(n).append(" :: S").append(n).append("\r\n");
  }
  Read(ini);
  ASSERT_EQ(ctx.commands.size(), 200u);
  EXPECT_EQ(ctx.commands[99].label + ctx.commands[99].value, L"BEFORED99 :: S99");
  EXPECT_EQ(ctx.commands[100].label + ctx.commands[100].value, L"AFTERD99 :: S99");
  EXPECT_EQ(ctx.commands[199].label + ctx.commands[199].value, L"AFTERD0 :: S0");
}

TEST_F(MainSequenceTest, ParametersJoinCommandLineAndLauncherArguments) {
  ctx.applicationPath = L"C:\\P\\App\\App.exe";
  ctx.appWorkingDir = L"C:\\P\\App";
  ctx.launcherParameters = L"b";
  LaunchApplication(ctx);
  ASSERT_EQ(Fake().shellStarts.size(), 1u);
  EXPECT_EQ(Fake().shellStarts[0].parameters, L" b");
  EXPECT_EQ(Fake().shellStarts[0].file, L"C:\\P\\App\\App.exe");
  EXPECT_EQ(Fake().shellStarts[0].directory, L"C:\\P\\App");
  EXPECT_EQ(Fake().shellStarts[0].showCommand, 10);
  EXPECT_TRUE(Fake().shellStarts[0].wantProcess);
  EXPECT_EQ(ctx.phase, L"AFTER");
}

TEST_F(MainSequenceTest, ShowModesMapToShowCommands) {
  const std::pair<const wchar_t*, int> modes[] = {
      {L"max", 3}, {L"min", 7}, {L"hide", 0}, {L"Max", 10}, {L"", 10}};
  for (const auto& [mode, command] : modes) {
    ctx.showMode = mode;
    LaunchApplication(ctx);
    ASSERT_FALSE(Fake().shellStarts.empty());
    EXPECT_EQ(Fake().shellStarts.back().showCommand, command) << mode;
  }
}

TEST_F(MainSequenceTest, PollsEveryHalfSecondOnlyAfterTheFirstPause) {
  Fake().processPollsUntilEnd = 3;
  LaunchApplication(ctx);
  EXPECT_EQ(Fake().processPolls, 3);
  EXPECT_EQ(Fake().pausedMs, 1500u);
  EXPECT_EQ(Fake().processesReleased, 1);
}

TEST_F(MainSequenceTest, StartWithoutProcessHandleDoesNotWait) {
  Fake().shellGivesProcess = false;
  Fake().processPollsUntilEnd = 1000000;
  LaunchApplication(ctx);
  EXPECT_EQ(Fake().processPolls, 0);
  EXPECT_EQ(ctx.phase, L"AFTER");
}

TEST_F(MainSequenceTest, FailedStartGoesStraightToAfter) {
  Fake().shellStartSucceeds = false;
  LaunchApplication(ctx);
  EXPECT_EQ(Fake().processPolls, 0);
  EXPECT_EQ(ctx.phase, L"AFTER");
}

TEST_F(MainSequenceTest, NowaitEndsRightAfterTheStartWithoutAHandle) {
  ctx.nowaitValue = L"1";
  EXPECT_EQ(ExitCodeOf([&] { LaunchApplication(ctx); }), 0);
  ASSERT_EQ(Fake().shellStarts.size(), 1u);
  EXPECT_FALSE(Fake().shellStarts[0].wantProcess);
  EXPECT_EQ(ctx.phase, L"BEFORE");
}

TEST_F(MainSequenceTest, WaitsWhileAnyWindowTitleHoldsTheTextInAnyCase) {
  Fake().windowTitles = {L"Desktop", L"file.txt - NOTEPAD"};
  int reads = 0;
  Fake().onTitlesRead = [&] {
    if (++reads == 3) Fake().windowTitles = {L"Desktop"};
  };
  WaitForWindows(ctx, L"- Notepad");
  EXPECT_EQ(reads, 4);
  EXPECT_EQ(Fake().pausedMs, 3000u);
}

TEST_F(MainSequenceTest, CleanTracesSendsItsExactCommandLines) {
  ctx.applicationPath = L"C:\\P\\App\\App.exe";
  ctx.launcherPath = L"C:\\P\\Tool.exe";
  ctx.helperCopyPath = L"C:\\T\\Tool.exe";
  FakeAddFile(L"C:\\T\\Tool.exe", "MZ");
  // Every trace is there; one that is not starts no tool.
  for (const wchar_t* key :
       {L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
        L"Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"})
    for (const wchar_t* name : {L"C:\\P\\App\\App.exe", L"C:\\P\\Tool.exe"})
      FakeSetRegString(os::RegRoot::CurrentUser, key, name, L"App");
  FakeSetRegString(os::RegRoot::LocalMachine,
                   L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\App.exe", L"",
                   L"C:\\P\\App\\App.exe");
  CleanTraces(ctx);
  const std::wstring reg = L"\"C:\\Windows\\system32\\reg.exe\"  DELETE \"";
  const std::wstring mui =
      L"HKCU\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
  const std::wstring noRoam = L"HKCU\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
  EXPECT_EQ(HiddenCommandLines(),
            (std::vector<std::wstring>{
                reg + mui + L"\" /v \"C:\\P\\App\\App.exe\" /f",
                reg + mui + L"\" /v \"C:\\P\\Tool.exe\" /f",
                reg + noRoam + L"\" /v \"C:\\P\\App\\App.exe\" /f",
                reg + noRoam + L"\" /v \"C:\\P\\Tool.exe\" /f",
                L"\"C:\\Windows\\system32\\reg.exe\" DELETE "
                L"\"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\App.exe\" /f"}));
  // Not the helper: another program that happens to have the launcher's name.
  EXPECT_TRUE(FakeHasFile(L"C:\\T\\Tool.exe"));
}

// An App Paths entry of the application's file name that names another program
// registers an installed one, and stays.
TEST_F(MainSequenceTest, AppPathsEntryGoesOnlyWhenItNamesTheApplication) {
  const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\App.exe";
  Fake().env[L"where"] = L"C:\\P\\App";
  struct Case {
    std::wstring stored;
    unsigned type;
    bool deleted;
  };
  const Case cases[] = {
      {L"C:\\P\\App\\App.exe", os::kRegSz, true},
      {L" \"c:/p/app/APP.EXE\" ", os::kRegSz, true},
      {L"%WHERE%\\App.exe", os::kRegExpandSz, true},
      {L"C:\\Program Files\\App\\App.exe", os::kRegSz, false},
      {L"", os::kRegSz, false},
  };
  for (const Case& c : cases) {
    Fake().hiddenStarts.clear();
    FakeSetRegValue(os::RegRoot::LocalMachine, key, L"", c.type,
                    fake_reg_detail::Utf16(c.stored + std::wstring(1, L'\0')));
    CleanTraces(ctx);
    EXPECT_EQ(HiddenCommandLines().size(), c.deleted ? 1u : 0u) << Utf8FromWide(c.stored);
  }
}

TEST_F(MainSequenceTest, WholeRunWalksBeforeStartsWaitsAndWalksAfter) {
  FakeAddFile(L"C:\\P\\Tool.ini",
              "[GENERAL]\r\napplication = App\\App.exe\r\n[BEFORE]\r\nbogus1 = x\r\n"
              "[AFTER]\r\nbogus2 = y\r\n");
  std::vector<std::wstring> events;
  Fake().onProcessPoll = [&] { events.push_back(L"poll"); };
  EXPECT_EQ(ExitCodeOf([&] {
              RunMainSequence(ctx);
              EndLauncher(ctx);
            }),
            0);
  ASSERT_EQ(Fake().boxes.size(), 2u);
  EXPECT_EQ(Fake().boxes[0].text, L"Unknown key \"bogus1\"");
  EXPECT_EQ(Fake().boxes[1].text, L"Unknown key \"bogus2\"");
  EXPECT_EQ(Fake().shellStarts.size(), 1u);
  EXPECT_TRUE(Fake().workingSetReleased);
  EXPECT_EQ(ctx.configFilePath, L"C:\\P\\Tool.ini");
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(MainSequenceTest, WithoutAnApplicationNothingIsStartedAndAppPathsStays) {
  ctx.applicationPath.clear();
  ctx.launcherPath = L"C:\\P\\Tool.exe";
  LaunchApplication(ctx);
  EXPECT_TRUE(Fake().shellStarts.empty());
  EXPECT_EQ(ctx.phase, L"AFTER");
  CleanTraces(ctx);
  for (const std::wstring& line : HiddenCommandLines())
    EXPECT_EQ(line.find(L"App Paths"), std::wstring::npos) << line;
}

// Forgotten, or misspelt (`Application`): nothing is started, so nothing is moved
// for it either.
TEST_F(MainSequenceTest, WithoutAnApplicationKeyTheRunEndsBeforeAnythingIsMoved) {
  ctx.applicationPath.clear();
  FakeAddFolder(L"C:\\P\\A");
  FakeAddFile(L"C:\\P\\Tool.ini",
              "[GENERAL]\r\nApplication = App\\App.exe\r\n[BEFORE]\r\ndir = A\r\n");
  EXPECT_EQ(ExitCodeOf([&] {
              RunMainSequence(ctx);
              EndLauncher(ctx);
            }),
            1);
  ASSERT_EQ(Fake().boxes.size(), 1u);
  EXPECT_EQ(Fake().boxes[0].text, L"Main application is not set!\r\nPlease check C:\\P\\Tool.ini.");
  EXPECT_TRUE(Fake().shellStarts.empty());
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_EQ(Fake().folders.count(L"c:\\p\\a"), 1u);
  EXPECT_EQ(Fake().folders.count(L"c:\\p\\a_backup"), 0u);
}

// Items apart on the machine may not share their portable data: the later one is
// left out. Registry items share a registry file by design.
TEST_F(MainSequenceTest, ItemsSharingPortableDataAreLeftOut) {
  Fake().env[L"appdata"] = L"C:\\U\\Roaming";
  Fake().env[L"localappdata"] = L"C:\\U\\Local";
  const std::pair<std::string, std::vector<std::wstring>> cases[] = {
      {"dir = %APPDATA%\\Ed\r\ndir = %LOCALAPPDATA%\\Ed\r\n", {L"dir"}},
      {"dir = %APPDATA%\\Ed\r\ndir = %LOCALAPPDATA%\\Ed :: Local\r\n", {L"dir", L"dir"}},
      {"file = %APPDATA%\\Ed\\ed.ini\r\nfile = %LOCALAPPDATA%\\Ed\\ed.ini\r\n", {L"file"}},
      {"dir = %APPDATA%\\Ed\r\nfile = %LOCALAPPDATA%\\ed.ini :: Settings\\\r\n", {L"dir"}},
      {"dir = %APPDATA%\\Ed\r\nregkey = HKCU\\Software\\Ed :: Settings\\\r\n", {L"dir"}},
      {"dir = %APPDATA%\\Ed\r\n(dir) = %LOCALAPPDATA%\\Ed\r\n", {L"dir", L"(dir)"}},
      {"regkey = HKCU\\Software\\Ed\r\nregvalue = HKCU\\Software\\Other\\v\r\n",
       {L"regkey", L"regvalue"}},
  };
  for (const auto& [items, kept] : cases) {
    ctx.commands.clear();
    ctx.automaticEntries.clear();
    Read("[BEFORE]\r\n" + items);
    std::vector<std::wstring> before;
    for (const CommandEntry& e : ctx.commands)
      if (e.label == L"BEFORE") before.push_back(e.key);
    EXPECT_EQ(before, kept) << items;
  }
}

TEST_F(MainSequenceTest, ValueHoldingTheEntrySeparatorReachesItsKeyWhole) {
  Read("[BEFORE]\r\nnowait = 1 || x\r\n");
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(ctx.nowaitValue, L"1 || x");
}
