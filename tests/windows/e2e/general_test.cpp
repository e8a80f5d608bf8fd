// The GENERAL keys end to end: which application starts, in which folder and
// window state, and values built from user variables, shell folders and locale.
#include <windows.h>

#include "tests/windows/e2e/e2e_helpers.h"
#include "tests/windows/support/registry_access.h"

using namespace testing_win;

namespace {

std::wstring RegistryText(HKEY root, const wchar_t* subkey, const wchar_t* name) {
  wchar_t data[512] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (RegGetValueW(root, subkey, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return L"";
  return data;
}

// Runs the folder's launcher, expects one clean start, and returns it.
AppRun SingleRun(PortableFolder& folder, const std::wstring& app) {
  const LaunchResult run = RunLauncher(folder, L"");
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  const std::vector<AppRun> runs = ReadAppRuns(app);
  EXPECT_EQ(runs.size(), 1u);
  return runs.empty() ? AppRun{} : runs[0];
}

}  // namespace

TEST(General, StarredAlternativeIsStartedWithoutAnyCheck) {
  PortableFolder folder(L"StarAlt");
  const std::wstring alternative = AddTestApp(folder, L"App\\App64.exe");
  ASSERT_TRUE(
      WriteFileIn(folder, L"StarAlt.ini",
                  IniText("[GENERAL]\napplication = *App\\Missing.exe :: App\\App64.exe\n")));
  const AppRun run = SingleRun(folder, alternative);
  EXPECT_EQ(run.folder, PathIn(folder, L"App"));
}

// The 64-bit launcher is not under WOW64, and yet it runs on 64-bit Windows: the
// X64 ini file, the second application and X64 keys are meant for it. Java 11 is
// registered as its installer does, in keys a normal user may read but not write.
TEST(General, SixtyFourBitWindowsTakesTheX64IniTheSecondApplicationAndAReadableJava) {
  PortableFolder folder(L"Sixty");
  const std::wstring main = AddTestApp(folder, L"App\\App.exe");
  const std::wstring alternative = AddTestApp(folder, L"App\\App64.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"voQ.ini", IniText("[GENERAL]\napplication = App\\App.exe\n")));
  ASSERT_TRUE(
      WriteFileIn(folder, L"voQX64.ini",
                  IniText("[GENERAL]\napplication = App\\App.exe :: App\\App64.exe\n"
                          "!java = 11\n[BEFORE]\n+fileX64 = X64.txt\n+fileX86 = X86.txt\n")));
  const std::wstring jre = L"SOFTWARE\\JavaSoft\\JRE";
  ASSERT_TRUE(WriteMachineText(jre, L"CurrentVersion", L"11.0.2"));
  ASSERT_TRUE(WriteMachineText(jre + L"\\11.0.2", L"JavaHome", L"C:\\Program Files\\Java\\jre-11"));
  ASSERT_TRUE(SetMachineKeyAccess(jre + L"\\11.0.2", kReadOnlyAccess));
  ASSERT_TRUE(SetMachineKeyAccess(jre, kReadOnlyAccess));

  BoxAnswerer answerer;  // a Java check that could not read would ask
  StartAnswering(answerer, L"Sixty", {IDNO});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);
  SetMachineKeyAccess(jre, kFullAccess);
  SetMachineKeyAccess(jre + L"\\11.0.2", kFullAccess);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft");
  EXPECT_TRUE(run.ended && run.exitCode == 0);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(ReadAppRuns(alternative).size(), 1u);
  EXPECT_TRUE(ReadAppRuns(main).empty());
  EXPECT_TRUE(Exists(PathIn(folder, L"X64.txt")));
  EXPECT_FALSE(Exists(PathIn(folder, L"X86.txt")));
}

TEST(General, WorkdirAfterTheApplicationWinsAndDotIsTheLauncherFolder) {
  PortableFolder folder(L"WorkDot");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(
      WriteFileIn(folder, L"WorkDot.ini",
                  IniText("[GENERAL]\nworkdir = C:\\\napplication = App\\App.exe\nworkdir = .\n")));
  const AppRun run = SingleRun(folder, app);
  EXPECT_EQ(run.folder + L"\\", folder.root.path);
}

TEST(General, RelativeWorkdirLiesInTheLauncherFolder) {
  PortableFolder folder(L"WorkRel");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  CreateDirectoryW(PathIn(folder, L"Data").c_str(), nullptr);
  ASSERT_TRUE(
      WriteFileIn(folder, L"WorkRel.ini",
                  IniText("[GENERAL]\napplication = App\\App.exe\n[AFTER]\nworkdir = Data\n")));
  // Read at the start, the key still reaches the AFTER walk, where it is no command.
  BoxAnswerer answerer;
  StartAnswering(answerer, L"WorkRel", {IDOK});
  EXPECT_EQ(SingleRun(folder, app).folder, PathIn(folder, L"Data"));
  const std::vector<SeenBox> seen = FinishAnswering(answerer);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"Unknown key \"workdir\"");
}

TEST(General, ShowModeInTheThirdFieldReachesTheApplication) {
  PortableFolder folder(L"ShowMax");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"ShowMax.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe :: NULL :: max\n")));
  EXPECT_EQ(SingleRun(folder, app).showState, L"3");
}

TEST(General, ValuesUseUserVariablesShellFoldersAndLocale) {
  PortableFolder folder(L"Values");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"Values.ini",
                          IniText("[GENERAL]\nuservar = Where :: %Desktop%\n"
                                  "application = App\\App.exe\n"
                                  "commandline = \"{Where}\" {LANG}|{LOCALE} {VOQROOT}\n")));
  const std::wstring desktop = RegistryText(
      HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
      L"Desktop");
  const wchar_t* international = L"Control Panel\\International";
  const std::wstring language = RegistryText(HKEY_CURRENT_USER, international, L"sLanguage");
  const std::wstring locale = RegistryText(HKEY_CURRENT_USER, international, L"Locale");
  ASSERT_FALSE(desktop.empty());
  ASSERT_FALSE(locale.empty());

  std::wstring root = folder.root.path;
  root.pop_back();
  EXPECT_EQ(SingleRun(folder, app).commandLine,
            ShellCommandLine(
                app, L"\"" + desktop + L"\" " + language + L"|" + locale + L" " + root + L" "));
}
