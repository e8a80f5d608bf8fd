// The checks while the configuration is read: in the order of the file, only in
// GENERAL, and before anything of BEFORE is run.
#include "launcher/elevation.h"
#include "launcher/main_sequence.h"
#include "tests/native/launcher_fixture.h"

class ScanChecksTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    FakeAddFolder(L"C:\\Users\\me\\AppData\\Local\\Temp");
    Start();
  }

  int Read(const std::string& ini) {
    FakeAddFile(L"C:\\P\\Tool.ini", ini);
    return ExitCodeOf([&] { ReadConfiguration(ctx, L"C:\\P\\Tool.ini"); });
  }

  std::vector<std::wstring> BoxTexts() const {
    std::vector<std::wstring> texts;
    for (const FakeMessageBox& box : Fake().boxes) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(ScanChecksTest, ChecksRunInFileOrderAndOnlyInGeneral) {
  Fake().version = {true, 2, 5, 0, true};  // Windows 2000
  Fake().answers = {os::kAnswerYes, os::kAnswerOk};
  EXPECT_EQ(Read("[GENERAL]\r\n!os = XP\r\n!dotnet = 3.5!\r\n!os = Vista!\r\n"
                 "[BEFORE]\r\n!os = 8!\r\n!multiple = -1\r\n"),
            0);
  EXPECT_EQ(
      BoxTexts(),
      (std::vector<std::wstring>{
          L"Tool requires Windows XP or newer to run.\r\n\r\nContinue anyway?",
          L"Tool needs Microsoft .NET version 3.5 or higher to be installed.\r\n\r\nExiting..."}));

  Fake().boxes.clear();
  Fake().checks.mutexesOfOthers.insert(L"Tool");
  Start();
  // In BEFORE the keys are no checks: neither the version nor "end when running".
  Fake().answers = {os::kAnswerOk};
  EXPECT_EQ(Read("[BEFORE]\r\n!os = 8!\r\n!multiple = -1\r\n"), -1);
  // Without any GENERAL section the instance check still runs, with "0".
  EXPECT_EQ(BoxTexts(),
            std::vector<std::wstring>{
                L"Tool is already running!\r\nAre you sure to launch another instance?"});
  EXPECT_EQ(ctx.additionalInstance, 1);
}

TEST_F(ScanChecksTest, SymlinkOnAnOlderSystemEndsBeforeAnythingRuns) {
  Fake().version = {true, 2, 5, 1, true};  // XP
  EXPECT_EQ(Read("[GENERAL]\r\n[BEFORE]\r\nsymlink = A\\ :: B\\\r\n"), 0);
  ASSERT_EQ(Fake().boxes.size(), 1u);
  EXPECT_EQ(Fake().boxes[0].text,
            L"Vista or newer is required for creating symlinks.\r\n\r\nExiting...");
  EXPECT_EQ(Fake().boxes[0].style, os::kBoxOk | os::kBoxTopmost);
  EXPECT_TRUE(Fake().checks.programStarts.empty());
}

// The launcher ends while it reads: nothing of BEFORE has run.
TEST_F(ScanChecksTest, SymlinkWithoutRightsRestartsElevatedAndLetsItsNameGoFirst) {
  ctx.isAdministrator = 0;
  EXPECT_EQ(Read("[GENERAL]\r\n!multiple = 0\r\n[BEFORE]\r\ndir = D\r\nsymlink = A\\ :: B\\\r\n"),
            0);
  ASSERT_EQ(Fake().checks.programStarts.size(), 1u);
  EXPECT_EQ(Fake().checks.programStarts[0].mutexesReleasedBefore, 1);
  EXPECT_EQ(Fake().checks.programStarts[0].parameters, HelperParameters(ctx));
  EXPECT_TRUE(Fake().boxes.empty());

  ctx.isAdministrator = 1;
  Fake().checks.programStarts.clear();
  EXPECT_EQ(Read("[BEFORE]\r\nsymlink = A\\ :: B\\\r\n"), -1);
  EXPECT_TRUE(Fake().checks.programStarts.empty());
}

TEST_F(ScanChecksTest, AdminKeyRestartsAtItsPlaceInTheFile) {
  ctx.isAdministrator = 0;
  Fake().answers = {os::kAnswerYes};
  EXPECT_EQ(Read("[GENERAL]\r\n!online = -2\r\n!admin = 1\r\n!os = 8!\r\n"), 0);
  // The check before it was asked; the one after it is left to the elevated copy.
  EXPECT_EQ(BoxTexts(),
            std::vector<std::wstring>{L"Tool requires offline mode.\r\n\r\nContinue anyway?"});
  EXPECT_EQ(Fake().checks.programStarts.size(), 1u);
}
