#include "launcher/startup.h"

#include "commands/run_section.h"
#include "launcher/config_file.h"
#include "launcher/general_keys.h"
#include "platform/text.h"
#include "tests/native/launcher_fixture.h"

using StartUpTest = LauncherTest;

TEST_F(StartUpTest, DerivesLauncherNameFolderAndToolPaths) {
  Fake().modulePath = L"C:\\Port Apps\\My Tool.EXE";
  Fake().tempFolder = L"C:\\Users\\me\\AppData\\Local\\Temp\\";
  Start();
  EXPECT_EQ(ctx.launcherPath, L"C:\\Port Apps\\My Tool.EXE");
  EXPECT_EQ(ctx.launcherFolder, L"C:\\Port Apps\\");
  EXPECT_EQ(ctx.launcherName, L"My Tool");
  EXPECT_EQ(ctx.helperCopyPath, L"C:\\Users\\me\\AppData\\Local\\Temp\\My Tool.exe");
  EXPECT_EQ(ctx.regExe, L"C:\\Windows\\system32\\reg.exe");
  EXPECT_EQ(ctx.regsvr32Exe, L"C:\\Windows\\system32\\regsvr32.exe");
  EXPECT_EQ(ctx.taskkillExe, L"C:\\Windows\\system32\\taskkill.exe");
  EXPECT_EQ(ctx.rundll32Exe, L"C:\\Windows\\system32\\RunDll32.exe");
  EXPECT_EQ(ctx.commandInterpreter, L"C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(ctx.phase, L"BEFORE");
  EXPECT_EQ(ctx.listLimit, 100);
  EXPECT_TRUE(Fake().servicesInitialised);
}

TEST_F(StartUpTest, MissingWindirLeavesPlainToolSuffixes) {
  Fake().env.clear();
  Start();
  EXPECT_EQ(ctx.regExe, L"\\system32\\reg.exe");
  EXPECT_EQ(ctx.commandInterpreter, L"");
}

TEST_F(StartUpTest, QuotesOnlyArgumentsThatArePathsWithBlanks) {
  Fake().arguments = {L"C:\\My Files\\a.txt", L"/x", L"My Files\\a.txt", L"second"};
  Start();
  EXPECT_EQ(ctx.launcherParameters, L"\"C:\\My Files\\a.txt\" /x My Files\\a.txt second");
}

TEST_F(StartUpTest, NoArgumentsGiveEmptyParameters) {
  Start();
  EXPECT_EQ(ctx.launcherParameters, L"");
}

TEST_F(StartUpTest, AdministratorFlagComesFromTheServiceManager) {
  Fake().serviceManagerOpens = false;
  Start();
  EXPECT_EQ(ctx.isAdministrator, 0);
}

// The 64-bit launcher on 64-bit Windows is not under WOW64, and yet the X64
// variants are meant for it.
TEST_F(StartUpTest, SixtyFourBitWindowsPicksTheX64IniTheSecondApplicationAndX64Keys) {
  struct Row {
    bool windows64;
    std::vector<std::wstring> iniOrder;
    const wchar_t* application;
    const wchar_t* activeKey;
  };
  const Row rows[] = {
      {true, {L"ToolX64.ini", L"Tool.ini", L"voQX64.ini", L"voQ.ini"}, L"A64.exe", L"X64"},
      {false, {L"Tool.ini", L"voQ.ini"}, L"A.exe", L"X86"},
  };
  for (const Row& row : rows) {
    SetUp();
    Fake().windows64 = row.windows64;
    for (const wchar_t* name :
         {L"ToolX64.ini", L"Tool.ini", L"voQX64.ini", L"voQ.ini", L"App\\A.exe", L"App\\A64.exe"})
      FakeAddFile(std::wstring(L"C:\\P\\") + name, "x");
    Start();
    EXPECT_EQ(ctx.is64Bit, row.windows64 ? 1 : 0);
    std::vector<std::wstring> found;
    for (size_t i = 0; i < row.iniOrder.size(); ++i) {
      found.push_back(FindConfigFile(ctx).substr(5));
      Fake().files.erase(LowerAscii(L"C:\\P\\" + found.back()));
    }
    EXPECT_EQ(found, row.iniOrder);

    SetApplication(ctx, L"App\\A.exe :: App\\A64.exe");
    EXPECT_EQ(ctx.applicationPath, std::wstring(L"C:\\P\\App\\") + row.application);
    ctx.commands = {{L"BEFORE", L"nowaitX64", L"X64"}, {L"BEFORE", L"nowaitX86", L"X86"}};
    RunSection(ctx, L"BEFORE");
    EXPECT_EQ(ctx.nowaitValue, row.activeKey);
    EXPECT_TRUE(Fake().boxes.empty());
  }
}

struct VersionCase {
  os::VersionRecord record;
  int number;
};

TEST_F(StartUpTest, WindowsVersionNumbersFollowTheTable) {
  const VersionCase cases[] = {
      {{false, 2, 6, 1, true}, 200}, {{true, 1, 4, 0, true}, 10},   {{true, 1, 4, 10, true}, 30},
      {{true, 1, 4, 90, true}, 40},  {{true, 1, 4, 50, true}, 200}, {{true, 2, 3, 51, true}, 5},
      {{true, 2, 4, 0, false}, 20},  {{true, 2, 5, 0, true}, 50},   {{true, 2, 5, 1, true}, 60},
      {{true, 2, 5, 2, true}, 60},   {{true, 2, 5, 2, false}, 65},  {{true, 2, 6, 0, true}, 70},
      {{true, 2, 6, 0, false}, 75},  {{true, 2, 6, 1, true}, 80},   {{true, 2, 6, 1, false}, 85},
      {{true, 2, 6, 2, true}, 90},   {{true, 2, 6, 2, false}, 95},  {{true, 2, 6, 3, true}, 200},
      {{true, 2, 10, 0, true}, 200},
  };
  for (const VersionCase& c : cases) {
    Fake().version = c.record;
    EXPECT_EQ(WindowsVersionNumber(), c.number)
        << c.record.platformId << " " << c.record.major << "." << c.record.minor;
  }
}

TEST_F(StartUpTest, ExportSwitchAndLegacyFlagDependOnXp) {
  Fake().version = {true, 2, 5, 1, true};
  Start();
  EXPECT_EQ(ctx.exportOverwriteSwitch, L"");
  EXPECT_EQ(ctx.legacySystem, L"1");

  Fake().version = {true, 2, 6, 0, true};
  Start();
  EXPECT_EQ(ctx.exportOverwriteSwitch, L" /y");
  EXPECT_EQ(ctx.legacySystem, L"");
}

TEST_F(StartUpTest, EndLauncherExitsWithTheContextsCode) {
  Start();
  ctx.exitCode = 1;
  EXPECT_EQ(ExitCodeOf([&] { EndLauncher(ctx); }), 1);
}
