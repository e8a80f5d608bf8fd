// The macro vocabulary and the order in which it is replaced.
#include "values/macros.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "tests/fake_platform/fake_platform.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"

using os::RegRoot;

namespace {

const std::wstring kInternational = L"Control Panel\\International";
const std::wstring kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

os::LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return os::LocalTime{year, month, day, hour, minute, second};
}

}  // namespace

class MacrosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    ctx.launcherPath = L"C:\\Port\\App\\Tool.exe";
    ctx.launcherFolder = L"C:\\Port\\App\\";
    Fake().clock = At(2024, 11, 28, 9, 7, 3);
  }

  // As the value reaches an operation: without the marks of empty expansions.
  std::wstring Expand(std::wstring_view value, std::wstring_view section = L"BEFORE") {
    return WithoutEmptyMarks(ExpandMacros(ctx, value, L"key", section));
  }

  static void SetShellFolder(const std::wstring& name, const std::wstring& path) {
    FakeSetRegString(RegRoot::CurrentUser, kShellFolders, name, path);
  }

  LauncherContext ctx;
};

TEST_F(MacrosTest, PathAndTextMacrosComeFromTheContext) {
  ctx.appWorkingDir = L"C:\\Work";
  ctx.commandLineValue = L"-portable";
  ctx.launcherParameters = L"a.txt b.txt";
  ctx.applicationPath = L"C:\\Port\\App\\Bin\\App.exe";
  Fake().clipboard = L"copied";
  EXPECT_EQ(Expand(L"{WORKDIR}|{COMMANDLINE}|{PARAMETERS}|{VOQROOT}|{VOQPARENT}"),
            L"C:\\Work|-portable|a.txt b.txt|C:\\Port\\App|C:\\Port");
  EXPECT_EQ(Expand(L"{EXEPATH}|{APPEXE}|{DRIVE}|{CLIPBOARD}|{LINEBREAK}"),
            L"C:\\Port\\App\\Bin|C:\\Port\\App\\Bin\\App.exe|C|copied|\r");
  EXPECT_EQ(Expand(L"{VOQROOT}{VOQROOT}"), L"C:\\Port\\AppC:\\Port\\App");
}

TEST_F(MacrosTest, ApplicationMacrosAreEmptyUntilTheirKeysAreRead) {
  EXPECT_EQ(Expand(L"[{COMMANDLINE}][{WORKDIR}][{APPEXE}][{EXEPATH}]"), L"[][][][]");
}

TEST_F(MacrosTest, ALauncherAtADriveRootHasTheDriveAsRoot) {
  ctx.launcherPath = L"D:\\Tool.exe";
  ctx.launcherFolder = L"D:\\";
  EXPECT_EQ(Expand(L"{VOQROOT}|{DRIVE}|{VOQPARENT}"), L"D:|D|D:");
}

TEST_F(MacrosTest, MacroNamesAreCaseSensitiveAndUnknownOnesStay) {
  ctx.appWorkingDir = L"C:\\Work";
  SetShellFolder(L"Desktop", L"C:\\Desk");
  EXPECT_EQ(Expand(L"{workdir} {Workdir} {WORKDIR} {D} {u} %desktop% {Name} {}"),
            L"{workdir} {Workdir} C:\\Work {D} {u} %desktop% {Name} {}");
}

TEST_F(MacrosTest, AReplacementIsSubjectToEveryLaterMacroButNoEarlierOne) {
  SetShellFolder(L"Desktop", L"C:\\Desk");
  ctx.applicationPath = L"{WORKDIR}";
  ctx.appWorkingDir = L"{APPEXE}";
  Fake().clipboard = L"{VOQROOT} {LANG} {Y} %Desktop%";
  FakeSetRegString(RegRoot::CurrentUser, kInternational, L"sLanguage", L"{COUNTRY}{m}");
  EXPECT_EQ(Expand(L"{WORKDIR}"), L"{WORKDIR}");  // {WORKDIR} -> {APPEXE} -> {WORKDIR}
  EXPECT_EQ(Expand(L"{CLIPBOARD}"), L"{VOQROOT} {COUNTRY}11 2024 C:\\Desk");
}

TEST_F(MacrosTest, ClipboardTextHoldingTheSeparatorAddsFields) {
  Fake().clipboard = L"one :: two";
  const std::wstring prepared = PrepareValue(ctx, L"{CLIPBOARD} :: third", L"key", L"BEFORE");
  EXPECT_EQ(Field(prepared, 1), L"one");
  EXPECT_EQ(Field(prepared, 2), L"two");
  EXPECT_EQ(Field(prepared, 3), L"third");
}

TEST_F(MacrosTest, LocaleMacrosReadControlPanelInternational) {
  FakeSetRegString(RegRoot::CurrentUser, kInternational, L"sCountry", L"Germany");
  FakeSetRegString(RegRoot::CurrentUser, kInternational, L"sLanguage", L"DEU");
  FakeSetRegString(RegRoot::CurrentUser, kInternational, L"Locale", L"00000407");
  FakeSetRegString(RegRoot::CurrentUser, kInternational, L"LocaleName", L"de-DE");
  EXPECT_EQ(Expand(L"{COUNTRY}/{LANG}/{LOCALE}/{LOCALENAME}/{LOCALENAME_SHORT}"),
            L"Germany/DEU/00000407/de-DE/de");
  FakeSetRegString(RegRoot::CurrentUser, kInternational, L"LocaleName", L"x");
  EXPECT_EQ(Expand(L"{LOCALENAME_SHORT}"), L"x");
  FakeSetRegDword(RegRoot::CurrentUser, kInternational, L"LocaleName", 1031);
  EXPECT_EQ(Expand(L"{LOCALENAME}|{LOCALENAME_SHORT}"), L"1031|10");
}

TEST_F(MacrosTest, MissingRegistryValuesGiveEmptyText) {
  EXPECT_EQ(Expand(L"[{COUNTRY}][{LOCALENAME_SHORT}][{JAVAEXE}][%Desktop%][%MyDocuments%]"),
            L"[][][][][]");
}

TEST_F(MacrosTest, DateMacrosOnTheTwelveHourDial) {
  const std::wstring all = L"{d}|{j}|{m}|{n}|{Y}|{y}|{g}|{G}|{h}|{H}|{i}|{s}";
  Fake().clock = At(2024, 11, 28, 0, 30, 0);
  EXPECT_EQ(Expand(all), L"28|28|11|11|2024|24|0|0|00|00|30|00");
  Fake().clock = At(2024, 11, 28, 12, 30, 59);
  EXPECT_EQ(Expand(all), L"28|28|11|11|2024|24|12|12|12|12|30|59");
  Fake().clock = At(2024, 11, 28, 13, 5, 9);
  EXPECT_EQ(Expand(all), L"28|28|11|11|2024|24|1|13|01|13|05|09");
  Fake().clock = At(2009, 3, 5, 23, 0, 0);
  EXPECT_EQ(Expand(all), L"05|5|03|3|2009|09|11|23|11|23|00|00");
}

TEST_F(MacrosTest, UnixTimeCountsLocalSecondsSince1970) {
  Fake().clock = At(1970, 1, 1, 0, 0, 0);
  EXPECT_EQ(Expand(L"{U}"), L"0");
  Fake().clock = At(2024, 3, 5, 13, 5, 9);
  EXPECT_EQ(Expand(L"{U}"), L"1709643909");
  Fake().clock = At(2000, 2, 29, 0, 0, 0);
  EXPECT_EQ(Expand(L"{U}"), L"951782400");
  Fake().clock = At(2038, 1, 19, 3, 14, 8);
  EXPECT_EQ(Expand(L"{U}"), L"2147483648");
}

TEST_F(MacrosTest, TheTwelveDateMacrosShareOneReadingAndUnixTimeTakesAnother) {
  Fake().clockReadings = {At(1999, 12, 31, 23, 59, 59), At(2000, 1, 1, 0, 0, 0)};
  EXPECT_EQ(Expand(L"{Y}-{m}-{d} {H}:{i}:{s} {U}"), L"1999-12-31 23:59:59 946684800");
}

TEST_F(MacrosTest, JavaExePathStripsTheArgumentsAndOuterQuotes) {
  const std::wstring key = L"jarfile\\shell\\open\\command";
  FakeSetRegString(RegRoot::ClassesRoot, key, L"",
                   L"\"C:\\Program Files\\Java\\bin\\javaw.exe\" -jar \"%1\" %*");
  EXPECT_EQ(Expand(L"{JAVAEXE}"), L"C:\\Program Files\\Java\\bin\\javaw.exe");
  FakeSetRegString(RegRoot::ClassesRoot, key, L"", L"\"\"C:\\j.exe\"\" -jar \"%1\"");
  EXPECT_EQ(JavaExePath(), L"C:\\j.exe\"\" -jar \"%1");
  FakeSetRegString(RegRoot::ClassesRoot, key, L"", L"\"\"");
  EXPECT_EQ(JavaExePath(), L"");
}

TEST_F(MacrosTest, EveryShellFolderFormReadsItsValue) {
  struct Row {
    const wchar_t* name;
    const wchar_t* forms;  // every form of the row, written one after the other
    int count;
  };
  const Row rows[] = {
      {L"Administrative Tools", L"%Administrative Tools%%AdministrativeTools%", 2},
      {L"Cache", L"%Cache%", 1},
      {L"CD Burning", L"%CD Burning%%CDBurning%", 2},
      {L"Cookies", L"%Cookies%", 1},
      {L"Desktop", L"%Desktop%", 1},
      {L"Favorites", L"%Favorites%", 1},
      {L"Fonts", L"%Fonts%", 1},
      {L"History", L"%History%", 1},
      {L"Local Appdata", L"%Local Appdata%%LocalAppdata%", 2},
      {L"My Music", L"%My Music%%MyMusic%", 2},
      {L"My Pictures", L"%My Pictures%%MyPictures%", 2},
      {L"My Video", L"%My Video%%MyVideo%", 2},
      {L"NetHood", L"%NetHood%", 1},
      {L"PrintHood", L"%PrintHood%", 1},
      {L"Programs", L"%Programs%", 1},
      {L"Recent", L"%Recent%", 1},
      {L"SendTo", L"%SendTo%", 1},
      {L"Start Menu", L"%Start Menu%%StartMenu%", 2},
      {L"Startup", L"%Startup%", 1},
      {L"Templates", L"%Templates%", 1},
      {L"Personal", L"%Personal%%Documents%%MyDocuments%", 3},
  };
  for (const Row& row : rows) SetShellFolder(row.name, std::wstring(L"<") + row.name + L">");
  for (const Row& row : rows) {
    std::wstring expected;
    for (int i = 0; i < row.count; ++i) expected += std::wstring(L"<") + row.name + L">";
    EXPECT_EQ(Expand(row.forms), expected);
  }
  // "%LocalAppData%" with a capital D is an environment variable, not a shell folder.
  EXPECT_EQ(Expand(L"%LocalAppData%"), L"%LocalAppData%");
}

TEST_F(MacrosTest, ShellFolderFormsBeatEnvironmentVariablesOfTheSameName) {
  SetShellFolder(L"Desktop", L"C:\\Users\\me\\Desktop");
  Fake().env[L"desktop"] = L"C:\\Elsewhere";
  Fake().env[L"localappdata"] = L"C:\\Users\\me\\AppData\\Local";
  EXPECT_EQ(PrepareValue(ctx, L"%Desktop%\\x", L"key", L"BEFORE"), L"C:\\Users\\me\\Desktop\\x");
  EXPECT_EQ(PrepareValue(ctx, L"%LocalAppData%\\x", L"key", L"BEFORE"),
            L"C:\\Users\\me\\AppData\\Local\\x");
}

TEST_F(MacrosTest, OlderSystemsRewriteMissingVariablesAndExpandTheEnvironment) {
  Fake().env[L"allusersprofile"] = L"C:\\All";
  Fake().env[L"userprofile"] = L"C:\\Me";
  Fake().env[L"temp"] = L"C:\\Tmp";
  const std::wstring value = L"%ProgramData%|%LocalAppData%|%Local AppData%|%TEMP%";
  EXPECT_EQ(Expand(value), value);
  ctx.legacySystem = L"1";
  EXPECT_EQ(Expand(value),
            L"C:\\All\\Application Data|C:\\Me\\Local Settings\\Application Data|"
            L"C:\\Me\\Local Settings\\Application Data|C:\\Tmp");
  Fake().expandFails = true;
  EXPECT_EQ(Expand(value), L"");
}

TEST_F(MacrosTest, PromptsAreAnsweredWhileReadingExceptInAfterAndAnswersMeetTheShellFolders) {
  SetShellFolder(L"Desktop", L"C:\\Desk");
  Fake().requestAnswers = {std::wstring(L"%Desktop%\\{VOQROOT}"), std::wstring(L"two")};
  EXPECT_EQ(Expand(L"{USERTEXT}", L"BEFORE"), L"C:\\Desk\\{VOQROOT}");
  EXPECT_EQ(Expand(L"{USERTEXT}", L"AFTER"), L"{USERTEXT}");
  EXPECT_EQ(Fake().requests.size(), 1u);
  EXPECT_EQ(Expand(L"{USERTEXT}", L""), L"two");
  EXPECT_EQ(Fake().requests.size(), 2u);
}

TEST_F(MacrosTest, EveryValueReadsTheRegistryClipboardAndClockAfresh) {
  for (const wchar_t* value : {L"", L"plain", L"{CLIPBOARD} %Desktop% {U}"}) {
    ResetFake();
    Expand(value);
    // Five locale values, the jar association, thirty shell-folder forms.
    EXPECT_EQ(Fake().registryQueries, 36);
    EXPECT_EQ(Fake().clipboardReads, 1);
    EXPECT_EQ(Fake().clockReads, 2);
  }
  Fake().clipboard = L"first";
  EXPECT_EQ(Expand(L"{CLIPBOARD}"), L"first");
  Fake().clipboard = L"second";
  SetShellFolder(L"Desktop", L"C:\\New");
  EXPECT_EQ(Expand(L"{CLIPBOARD}%Desktop%"), L"secondC:\\New");
}

TEST_F(MacrosTest, MalformedMacrosStayAsWritten) {
  ctx.appWorkingDir = L"W";
  EXPECT_EQ(Expand(L"{WORKDIR"), L"{WORKDIR");
  EXPECT_EQ(Expand(L"WORKDIR}"), L"WORKDIR}");
  EXPECT_EQ(Expand(L"{{WORKDIR}}"), L"{W}");
  EXPECT_EQ(Expand(L"%Desktop"), L"%Desktop");
  EXPECT_EQ(Expand(L"{"), L"{");
  EXPECT_EQ(Expand(std::wstring(L"a\0{WORKDIR}", 11)), std::wstring(L"a\0W", 3));
}

TEST_F(MacrosTest, HugeValuesFullOfMacrosExpandInLinearTime) {
  ctx.appWorkingDir = L"C:\\Work";
  SetShellFolder(L"Desktop", L"C:\\Users\\me\\Desktop");
  Fake().clipboard = L"clip";
  const std::wstring field = L"{WORKDIR}\\{d}{m}{Y} %Desktop% {CLIPBOARD}{LINEBREAK}{U} :: ";
  const auto make = [&](size_t size) {
    std::wstring value;
    while (value.size() < size) value += field;
    return value;
  };
  // Processor time, not the clock: a busy machine stretches the wall time of one
  // run and not the other, but not the work each does.
  const auto seconds = [&](const std::wstring& value) {
    double best = 1e9;
    for (int run = 0; run < 7; ++run) {
      const std::clock_t start = std::clock();
      const std::wstring expanded = Expand(value);
      const std::clock_t end = std::clock();
      EXPECT_EQ(expanded.find(L'{'), std::wstring::npos);
      EXPECT_EQ(expanded.find(L'%'), std::wstring::npos);
      best = std::min(best, static_cast<double>(end - start) / CLOCKS_PER_SEC);
    }
    return best;
  };
  const std::wstring small = make(50000);
  const std::wstring large = make(400000);
  const double smallTime = seconds(small);
  const double largeTime = seconds(large);
  // Eight times the text: linear work takes about eight times as long, quadratic 64.
  // The best of seven runs, and a bound between the two, so that a busy machine
  // does not decide the outcome.
  EXPECT_LT(largeTime, smallTime * 32 + 0.005) << smallTime << " s, " << largeTime << " s";
  const std::wstring expanded = Expand(make(100000));
  EXPECT_EQ(Field(expanded, 1), L"C:\\Work\\28112024 C:\\Users\\me\\Desktop clip\r1732784823");
}
