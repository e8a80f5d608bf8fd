#include "commands/run_section.h"

#include "tests/native/launcher_fixture.h"
#include "values/user_vars.h"

class RunSectionTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }

  std::vector<std::wstring> BoxTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : Fake().boxes) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(RunSectionTest, UnknownKeyIsReportedAndTheWalkGoesOn) {
  ctx.commands = {
      {L"BEFORE", L"dirs", L"x"}, {L"BEFORE", L"DIR", L"y"}, {L"BEFORE", L"nowait", L"1"}};
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::wstring>{L"Unknown key \"dirs\"", L"Unknown key \"DIR\""}));
  EXPECT_EQ(Fake().boxes[0].caption, L"Tool");
  EXPECT_EQ(Fake().boxes[0].style, os::kBoxOk | os::kBoxIconInformation | os::kBoxTopmost);
  EXPECT_EQ(ctx.nowaitValue, L"1");
}

TEST_F(RunSectionTest, EmptyValueSkipsAnyKeySilently) {
  ctx.commands = {{L"BEFORE", L"dirs", L""}, {L"BEFORE", L"nowait", L""}};
  ctx.nowaitValue = L"keep";
  RunSection(ctx, L"BEFORE");
  EXPECT_TRUE(Fake().boxes.empty());
  EXPECT_EQ(ctx.nowaitValue, L"keep");
}

TEST_F(RunSectionTest, WalksOnlyTheEntriesOfTheRequestedSection) {
  ctx.commands = {{L"GENERAL", L"g", L"1"}, {L"BEFORE", L"b", L"1"}, {L"AFTER", L"a", L"1"}};
  RunSection(ctx, L"AFTER");
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Unknown key \"a\""}));
}

TEST_F(RunSectionTest, AdditionalInstanceRunsNoSection) {
  ctx.additionalInstance = 1;
  ctx.commands = {{L"BEFORE", L"b", L"1"}};
  RunSection(ctx, L"BEFORE");
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(RunSectionTest, X86KeysActOnlyOn32BitWindows) {
  ctx.commands = {{L"BEFORE", L"nowaitX86", L"1"}};
  ctx.is64Bit = 0;
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(ctx.nowaitValue, L"1");

  ctx.nowaitValue.clear();
  ctx.is64Bit = 1;
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(ctx.nowaitValue, L"");
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(RunSectionTest, X64KeysNeed64BitWindowsAndASecondApplication) {
  ctx.commands = {{L"BEFORE", L"nowaitX64", L"1"}};
  ctx.is64Bit = 1;
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(ctx.nowaitValue, L"");

  ctx.application64Path = L"App\\A64.exe";
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(ctx.nowaitValue, L"1");
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(RunSectionTest, LowerCaseSuffixIsAnUnknownKey) {
  ctx.commands = {{L"BEFORE", L"nowaitx64", L"1"}};
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Unknown key \"nowaitx64\""}));
}

TEST_F(RunSectionTest, UservarIsNotRunAgainAndNotReported) {
  ctx.commands = {{L"BEFORE", L"uservar", L"A :: 1"}, {L"AFTER", L"uservarX86", L"B :: 2"}};
  ctx.is64Bit = 0;  // where uservarX86 is active
  RunSection(ctx, L"BEFORE");
  RunSection(ctx, L"AFTER");
  EXPECT_TRUE(Fake().boxes.empty());
  EXPECT_EQ(ctx.userVarStores, 0);
}

TEST_F(RunSectionTest, ValuesSeeUserVariablesAsTheyAreWhenRun) {
  StoreUserVar(ctx, L"Flag :: 1");
  ctx.commands = {{L"BEFORE", L"nowait", L"{Flag}"}};
  RunSection(ctx, L"BEFORE");
  EXPECT_EQ(ctx.nowaitValue, L"1");
}

TEST_F(RunSectionTest, QuitEndsTheLauncherBeforeLaterKeys) {
  ctx.commands = {{L"BEFORE", L"quit", L"1"}, {L"BEFORE", L"nowait", L"1"}};
  ctx.exitCode = 0;
  EXPECT_EQ(ExitCodeOf([&] { RunSection(ctx, L"BEFORE"); }), 0);
  EXPECT_EQ(ctx.nowaitValue, L"");
}
