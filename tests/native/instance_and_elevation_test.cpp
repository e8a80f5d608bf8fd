// `!multiple`, `!admin` and the restart through the elevation helper: which start
// goes on, which asks, which ends, and exactly what the helper is given.
#include "launcher/elevation.h"
#include "launcher/helper_image.h"
#include "launcher/single_instance.h"
#include "tests/native/launcher_fixture.h"

namespace {

constexpr int kGoesOn = -1;

}  // namespace

class InstanceTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }

  // Another launcher of the same name runs now.
  static void AnotherRuns() { Fake().checks.mutexesOfOthers.insert(L"Tool"); }
};

TEST_F(InstanceTest, MultipleValuesWhenAnotherInstanceRuns) {
  const std::wstring question =
      L"Tool is already running!\r\nAre you sure to launch another instance?";
  struct Row {
    const wchar_t* value;
    int answer;
    int exitCode;
    int additional;
    bool asks;
  };
  const Row rows[] = {
      {L"-1", 0, 0, 0, false},
      {L"2", 0, kGoesOn, 1, false},
      {L"0", os::kAnswerOk, kGoesOn, 1, true},
      {L"0", os::kAnswerCancel, 0, 0, true},
      {L"3", 0, kGoesOn, 0, false},
      {L"1", 0, kGoesOn, 0, false},
  };
  AnotherRuns();
  for (const Row& row : rows) {
    ctx.additionalInstance = 0;
    Fake().boxes.clear();
    Fake().checks.mutexesCreated.clear();
    Fake().answers = {row.answer};
    EXPECT_EQ(ExitCodeOf([&] { CheckSingleInstance(ctx, row.value); }), row.exitCode) << row.value;
    EXPECT_EQ(ctx.additionalInstance, row.additional) << row.value;
    // "1" tests nothing and creates no mutex.
    EXPECT_EQ(Fake().checks.mutexesCreated.size(), row.value == std::wstring(L"1") ? 0u : 1u);
    ASSERT_EQ(Fake().boxes.size(), row.asks ? 1u : 0u) << row.value;
    if (row.asks) {
      EXPECT_EQ(Fake().boxes[0].text, question);
      EXPECT_EQ(Fake().boxes[0].caption, L"Tool");
      EXPECT_EQ(Fake().boxes[0].style, os::kBoxOkCancel | os::kBoxIconQuestion | os::kBoxTopmost);
    }
  }
}

TEST_F(InstanceTest, FirstInstanceHoldsItsNameAndGoesOn) {
  EXPECT_EQ(ExitCodeOf([&] { CheckSingleInstance(ctx, L"0"); }), kGoesOn);
  EXPECT_EQ(Fake().checks.mutexesCreated, std::vector<std::wstring>{L"Tool"});
  EXPECT_NE(ctx.instanceMutex, 0u);
  EXPECT_TRUE(Fake().boxes.empty());
  EXPECT_EQ(ctx.additionalInstance, 0);
}

// A backslash would make the creation fail on every start, and every start would
// be told that another one runs.
TEST_F(InstanceTest, NameWithBackslashStillGivesAMutex) {
  ctx.launcherName = L"My\\Tool";
  EXPECT_EQ(ExitCodeOf([&] { CheckSingleInstance(ctx, L"0"); }), kGoesOn);
  EXPECT_EQ(Fake().checks.mutexesCreated, std::vector<std::wstring>{L"My/Tool"});
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(InstanceTest, RestartedCopyWaitsBrieflyForItsFirstLauncherToLetGo) {
  AnotherRuns();
  ctx.restartedElevated = 1;
  Fake().checks.othersLetGoAfter = 3;
  EXPECT_EQ(ExitCodeOf([&] { CheckSingleInstance(ctx, L"-1"); }), kGoesOn);
  EXPECT_EQ(Fake().checks.mutexesCreated.size(), 4u);
  EXPECT_EQ(Fake().checks.mutexesReleased, 3);  // each name it did not get is let go
  EXPECT_EQ(ctx.additionalInstance, 0);

  // Not for ever: another instance that really runs is met as usual.
  Fake().checks = FakeChecks{};
  Fake().pausedMs = 0;
  AnotherRuns();
  EXPECT_EQ(ExitCodeOf([&] { CheckSingleInstance(ctx, L"-1"); }), 0);
  EXPECT_EQ(Fake().checks.mutexesCreated.size(), 20u);
  EXPECT_LE(Fake().pausedMs, 5000u);
}

class ElevationTest : public InstanceTest {
 protected:
  void SetUp() override {
    InstanceTest::SetUp();
    FakeAddFolder(L"C:\\Users\\me\\AppData\\Local\\Temp");
    ctx.isAdministrator = 0;
  }
  const std::wstring helper = L"C:\\Users\\me\\AppData\\Local\\Temp\\Tool.exe";
};

TEST_F(ElevationTest, AdminValuesWithoutRights) {
  const std::wstring required = L"Admin rights are required for Tool to run.\r\n\r\nExiting...";
  struct Row {
    const wchar_t* value;
    int exitCode;
    bool restarts;
    bool tells;
  };
  const Row rows[] = {
      {L"1", 0, true, false},        {L"2", 0, false, true},       {L"-1", 0, false, false},
      {L"3", kGoesOn, false, false}, {L"", kGoesOn, false, false},
  };
  for (const Row& row : rows) {
    Fake().checks.programStarts.clear();
    Fake().boxes.clear();
    EXPECT_EQ(ExitCodeOf([&] { CheckAdmin(ctx, row.value); }), row.exitCode) << row.value;
    EXPECT_EQ(Fake().checks.programStarts.size(), row.restarts ? 1u : 0u) << row.value;
    ASSERT_EQ(Fake().boxes.size(), row.tells ? 1u : 0u) << row.value;
    if (row.tells) {
      EXPECT_EQ(Fake().boxes[0].text, required);
      EXPECT_EQ(Fake().boxes[0].style, os::kBoxOk | os::kBoxIconStop | os::kBoxTopmost);
    }
  }
  ctx.isAdministrator = 1;
  for (const Row& row : rows) EXPECT_EQ(ExitCodeOf([&] { CheckAdmin(ctx, row.value); }), kGoesOn);
}

TEST_F(ElevationTest, RestartWritesHoldsAndStartsTheHelperThenDeletesIt) {
  ctx.launcherArguments = {L"a b", L"say \"hi\""};
  FakeAddFolder(L"C:\\Work");
  ctx.appWorkingDir = L"C:\\Work";
  CheckSingleInstance(ctx, L"0");
  EXPECT_EQ(ExitCodeOf([&] { RestartElevatedAndEnd(ctx); }), 0);
  ASSERT_EQ(Fake().checks.programStarts.size(), 1u);
  const FakeProgramStart& start = Fake().checks.programStarts[0];
  EXPECT_EQ(start.program, helper);
  EXPECT_EQ(start.bytes, ElevationHelperImage());
  EXPECT_TRUE(start.heldAgainstWriters);
  EXPECT_EQ(start.folder, L"C:\\Work");
  EXPECT_EQ(start.parameters, HelperParameters(ctx));
  // The name was let go before the start, or the elevated copy would find it taken.
  EXPECT_EQ(start.mutexesReleasedBefore, 1);
  EXPECT_FALSE(FakeHasFile(helper));
}

TEST_F(ElevationTest, WorkingDirectoryThatDoesNotExistYetIsNotGiven) {
  ctx.appWorkingDir = L"C:\\Later";
  RestartElevated(ctx);
  ASSERT_EQ(Fake().checks.programStarts.size(), 1u);
  EXPECT_EQ(Fake().checks.programStarts[0].folder, L"");
}

TEST_F(ElevationTest, AnotherProgramUnderTheHelpersNameIsNeverReplacedOrDeleted) {
  FakeAddFile(helper, "MZ a downloaded installer");
  EXPECT_EQ(ExitCodeOf([&] { RestartElevatedAndEnd(ctx); }), 0);
  EXPECT_TRUE(Fake().checks.programStarts.empty());
  // No restart without a sign: the user is told the rights are missing.
  ASSERT_EQ(Fake().boxes.size(), 1u);
  EXPECT_EQ(Fake().boxes[0].text, L"Admin rights are required for Tool to run.\r\n\r\nExiting...");
  EXPECT_EQ(FakeFileBytes(helper), "MZ a downloaded installer");
  DeleteHelperCopy(ctx);
  EXPECT_TRUE(FakeHasFile(helper));

  // The helper's own bytes there: left by an earlier start, used and removed.
  FakeAddFile(helper, std::string(ElevationHelperImage()));
  DeleteHelperCopy(ctx);
  EXPECT_FALSE(FakeHasFile(helper));
}

TEST_F(ElevationTest, UnwritableTemporaryFolderStartsNothingAndSaysSo) {
  Fake().folders.erase(L"c:\\users\\me\\appdata\\local\\temp");
  EXPECT_EQ(ExitCodeOf([&] { RestartElevatedAndEnd(ctx); }), 0);
  EXPECT_TRUE(Fake().checks.programStarts.empty());
  EXPECT_EQ(Fake().boxes.size(), 1u);
}

TEST_F(ElevationTest, HelperTheSystemWillNotStartSaysSoAndLeavesNoCopy) {
  Fake().checks.programStartSucceeds = false;
  EXPECT_EQ(ExitCodeOf([&] { RestartElevatedAndEnd(ctx); }), 0);
  EXPECT_EQ(Fake().checks.programStarts.size(), 1u);
  ASSERT_EQ(Fake().boxes.size(), 1u);
  EXPECT_EQ(Fake().boxes[0].text, L"Admin rights are required for Tool to run.\r\n\r\nExiting...");
  EXPECT_FALSE(FakeHasFile(helper));
}

TEST_F(ElevationTest, RestartedCopyWithoutRightsSaysSoInsteadOfRestartingAgain) {
  ctx.restartedElevated = 1;
  EXPECT_EQ(ExitCodeOf([&] { CheckAdmin(ctx, L"1"); }), 0);
  EXPECT_TRUE(Fake().checks.programStarts.empty());
  ASSERT_EQ(Fake().boxes.size(), 1u);
  EXPECT_EQ(Fake().boxes[0].text, L"Admin rights are required for Tool to run.\r\n\r\nExiting...");
}

TEST_F(ElevationTest, StartUpTakesTheRestartMarkerOffBeforeAnythingReadsTheArguments) {
  Fake().arguments = {std::wstring(kRestartMarker), L"C:\\My Files\\a.txt", L"/x"};
  Start();
  EXPECT_EQ(ctx.restartedElevated, 1);
  EXPECT_EQ(ctx.launcherArguments, (std::vector<std::wstring>{L"C:\\My Files\\a.txt", L"/x"}));
  EXPECT_EQ(ctx.launcherParameters, L"\"C:\\My Files\\a.txt\" /x");

  // Anywhere else it is an ordinary argument.
  Fake().arguments = {L"/x", std::wstring(kRestartMarker)};
  Start();
  EXPECT_EQ(ctx.restartedElevated, 0);
  EXPECT_EQ(ctx.launcherArguments.size(), 2u);
}
