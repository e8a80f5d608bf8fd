// Where the hidden tools start and what the launcher learns of them.
#include "process/run_hidden.h"

#include "platform/text.h"
#include "tests/native/launcher_fixture.h"

class RunHiddenTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }
};

// A working directory that a later item creates does not exist yet when the first
// tools run: started there, every one of them would fail without a word.
TEST_F(RunHiddenTest, ToolsStartInTheWorkingDirectoryOnlyWhenItExists) {
  FakeAddFolder(L"C:\\Work");
  ctx.appWorkingDir = L"C:\\Work";
  RunHidden(ctx, L"C:\\t.exe", L"", kToolTimeoutMs);
  ctx.appWorkingDir = L"C:\\Later";
  RunHidden(ctx, L"C:\\t.exe", L"", kToolTimeoutMs);
  ctx.appWorkingDir = L"";
  RunHidden(ctx, L"C:\\t.exe", L"", kToolTimeoutMs);

  ASSERT_EQ(Fake().hiddenStarts.size(), 3u);
  EXPECT_EQ(Fake().hiddenStarts[0].workdir, L"C:\\Work");
  EXPECT_EQ(Fake().hiddenStarts[1].workdir, L"C:\\P\\");
  EXPECT_EQ(Fake().hiddenStarts[2].workdir, L"");
  EXPECT_EQ(Fake().hiddenStarts[0].timeoutMs, 30000u);
}

TEST_F(RunHiddenTest, ReportsWhetherTheToolStartedAndEnded) {
  Fake().onHiddenStart = [](FakeHiddenStart& start) {
    start.ended = !Contains(start.commandLine, L"slow");
    start.exitCode = 5;
    return !Contains(start.commandLine, L"missing");
  };
  const ToolRun ended = RunHidden(ctx, L"C:\\t.exe", L"", kToolTimeoutMs);
  const ToolRun slow = RunHidden(ctx, L"C:\\slow.exe", L"", kToolTimeoutMs);
  const ToolRun missing = RunHidden(ctx, L"C:\\missing.exe", L"", kToolTimeoutMs);
  EXPECT_TRUE(ended.started && ended.ended);
  EXPECT_EQ(ended.exitCode, 5u);
  EXPECT_TRUE(slow.started && !slow.ended);
  EXPECT_FALSE(missing.started || missing.ended);
}
