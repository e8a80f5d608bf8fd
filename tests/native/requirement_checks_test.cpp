// `!os`, `!dotnet`, `!java`, `!online`: which values are met, and the exact box
// and exit of each that is not.
#include "launcher/requirement_checks.h"

#include "platform/text.h"
#include "tests/native/launcher_fixture.h"

namespace {

constexpr unsigned kAsk = os::kBoxYesNo | os::kBoxIconQuestion | os::kBoxTopmost;
constexpr unsigned kTell = os::kBoxOk | os::kBoxIconStop | os::kBoxTopmost;
constexpr int kGoesOn = -1;

// One check with one value: the box it shows ("" for none), and how it ends.
struct CheckCase {
  const wchar_t* value;
  std::wstring text;
  unsigned style = 0;
  int answer = os::kAnswerYes;
  int exitCode = kGoesOn;
};

}  // namespace

class RequirementTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }

  void Expect(const CheckCase& c, void (*check)(LauncherContext&, const std::wstring&)) {
    Fake().boxes.clear();
    Fake().answers = {c.answer};
    EXPECT_EQ(ExitCodeOf([&] { check(ctx, c.value); }), c.exitCode) << c.value;
    if (c.text.empty()) {
      EXPECT_TRUE(Fake().boxes.empty()) << c.value;
      return;
    }
    ASSERT_EQ(Fake().boxes.size(), 1u) << c.value;
    EXPECT_EQ(Fake().boxes[0].text, c.text) << c.value;
    EXPECT_EQ(Fake().boxes[0].caption, L"Tool");
    EXPECT_EQ(Fake().boxes[0].style, c.style) << c.value;
  }
};

TEST_F(RequirementTest, WindowsVersionRowsAskOrEnd) {
  struct Row {
    os::VersionRecord system;  // 2000 (50), XP (60), Vista (70), 7 (80), 8 (90)
    CheckCase check;
  };
  const os::VersionRecord w2000{true, 2, 5, 0, true}, xp{true, 2, 5, 1, true},
      vista{true, 2, 6, 0, true}, seven{true, 2, 6, 1, true}, eight{true, 2, 6, 2, true};
  const std::wstring xpNewer = L"Tool requires Windows XP or newer to run.\r\n\r\n";
  const Row rows[] = {
      {w2000, {L"XP", xpNewer + L"Continue anyway?", kAsk}},
      {w2000, {L"XP", xpNewer + L"Continue anyway?", kAsk, os::kAnswerNo, 0}},
      {w2000, {L"XP!!", xpNewer + L"Exiting...", kTell, os::kAnswerOk, 0}},
      {seven, {L"<XP", L"Tool requires Windows XP or older to run.\r\n\r\nContinue anyway?", kAsk}},
      {xp, {L"XP", L""}},
      {xp, {L"<XP", L""}},
      {xp,
       {L"Vista!", L"Tool requires Windows Vista or newer to run.\r\n\r\nExiting...", kTell,
        os::kAnswerOk, 0}},
      {seven,
       {L"<Vista", L"Tool requires Windows Vista or older to run.\r\n\r\nContinue anyway?", kAsk}},
      {seven, {L"7", L""}},
      {vista, {L"7", L"Tool requires Windows 7 or newer to run.\r\n\r\nContinue anyway?", kAsk}},
      {eight,
       {L"<7!", L"Tool requires Windows 7 or older to run.\r\n\r\nExiting...", kTell, os::kAnswerOk,
        0}},
      {eight, {L"8", L""}},
      {seven, {L"8", L"Tool requires Windows 8 or newer to run.\r\n\r\nContinue anyway?", kAsk}},
      // Unknown texts check nothing: the words are exact and case-sensitive.
      {w2000, {L"xp", L""}},
      {w2000, {L"!", L""}},
      {w2000, {L"<<XP", L""}},
  };
  for (const Row& row : rows) {
    Fake().version = row.system;
    Expect(row.check, CheckWindowsVersion);
  }
}

TEST_F(RequirementTest, DotNetLooksForFrameworkFoldersOfItsVersion) {
  FakeAddFolder(L"C:\\Windows\\Microsoft.NET\\Framework");
  FakeAddFolder(L"C:\\Windows\\Microsoft.NET\\Framework\\v2.0.50727");
  FakeAddFolder(L"C:\\Windows\\Microsoft.NET\\Framework\\v4.0.30319");
  FakeAddFile(L"C:\\Windows\\Microsoft.NET\\Framework\\v3.0.txt", "a file, not a framework");
  const std::wstring needs = L"Tool needs Microsoft .NET version ";
  const CheckCase cases[] = {
      {L"2", L""},
      {L"4.", L""},
      {L"4!", L""},
      {L"0", L""},
      {L"!", L""},
      {L"", L""},
      {L"3.5", needs + L"3.5 to be installed.\r\n\r\nContinue anyway?", kAsk},
      {L"3", needs + L"3.0 to be installed.\r\n\r\nContinue anyway?", kAsk, os::kAnswerNo, 0},
      {L"2.0!", L""},
      {L"3.5!", needs + L"3.5 or higher to be installed.\r\n\r\nExiting...", kTell, os::kAnswerOk,
       0},
      // Four characters are compared: longer versions are never found.
      {L"4.5.1", needs + L"4.5.1 to be installed.\r\n\r\nContinue anyway?", kAsk},
  };
  for (const CheckCase& c : cases) Expect(c, CheckDotNet);
}

TEST_F(RequirementTest, JavaComparesTheInstalledVersion) {
  const wchar_t* key = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";
  ctx.isAdministrator = 1;
  struct Row {
    const wchar_t* installed;  // nullptr: no Java
    CheckCase check;
  };
  const Row rows[] = {
      {L"1.5",
       {L"1.6",
        L"Tool needs Java version 1.6 or higher to be installed.\r\nYour Java version is "
        L"1.5.\r\n\r\nContinue anyway?",
        kAsk}},
      {L"1.8", {L"1.6", L""}},
      // 1.8 is Java 8; versions compare number by number, not as digits.
      {L"1.8", {L"8", L""}},
      {L"1.8",
       {L"9",
        L"Tool needs Java version 9.0 or higher to be installed.\r\nYour Java version is "
        L"1.8.\r\n\r\nContinue anyway?",
        kAsk, os::kAnswerNo, 0}},
      {L"11.0.2", {L"11", L""}},
      {L"11.0.2", {L"1.8.0_201", L""}},
      {L"11.0.2",
       {L"17",
        L"Tool needs Java version 17 or higher to be installed.\r\nYour Java version is "
        L"11.0.2.\r\n\r\nContinue anyway?",
        kAsk}},
      {L"1.8",
       {L"21!",
        L"Tool needs Java version 21 or higher to be installed.\r\nYour Java version is "
        L"1.8.\r\n\r\nExiting...",
        kTell, os::kAnswerOk, 0}},
      {L"1.8", {L"1.x", L""}},
      {L"1.8.0.99999999999999999999999999", {L"1.6", L""}},
      {nullptr,
       {L"1.6!", L"Tool needs Java version 1.6 or higher to be installed.\r\n\r\nExiting...", kTell,
        os::kAnswerOk, 0}},
      {nullptr, {L"0", L""}},
      {nullptr, {L"!", L""}},
      {nullptr, {L"", L""}},
  };
  for (const Row& row : rows) {
    Fake().registry.clear();
    if (row.installed)
      FakeSetRegString(os::RegRoot::LocalMachine, key, L"CurrentVersion", row.installed);
    Expect(row.check, CheckJava);
  }
}

// Where the installers register: up to Java 8 under "Java Runtime Environment",
// from Java 9 on under JRE and JDK; 32-bit Java in the 32-bit view (WOW6432Node).
TEST_F(RequirementTest, JavaTakesTheHighestVersionOfEveryKeyInBothViews) {
  ctx.isAdministrator = 1;
  struct Registration {
    const wchar_t* key;      // below HKLM\SOFTWARE, in the 64-bit view
    const wchar_t* current;  // CurrentVersion; nullptr: none
    std::vector<std::wstring> subkeys;
  };
  struct Row {
    std::vector<Registration> registered;
    const wchar_t* found;  // nullptr: none
  };
  const Row rows[] = {
      {{{L"JavaSoft\\JRE", nullptr, {L"11.0.2"}}}, L"11.0.2"},
      {{{L"WOW6432Node\\JavaSoft\\JDK", L"17.0.1", {L"17.0.1"}}}, L"17.0.1"},
      {{{L"JavaSoft\\Java Runtime Environment", L"1.8", {L"1.8", L"1.8.0_201"}}}, L"1.8.0_201"},
      {{{L"WOW6432Node\\JavaSoft\\Java Runtime Environment", L"1.8", {L"1.8"}},
        {L"JavaSoft\\JDK", L"21", {L"21"}},
        {L"JavaSoft\\JRE", L"9.0.4", {L"9.0.4"}}},
       L"21"},
      {{{L"JavaSoft\\JRE", nullptr, {L"MSI", L"Plugin"}}}, nullptr},
      {{{L"JavaSoft\\Java Development Kit", L"22", {L"22"}}}, nullptr},
  };
  for (const Row& row : rows) {
    Fake().registry.clear();
    for (const Registration& registration : row.registered) {
      const std::wstring key = std::wstring(L"SOFTWARE\\") + registration.key;
      FakeAddRegKey(os::RegRoot::LocalMachine, key);
      if (registration.current)
        FakeSetRegString(os::RegRoot::LocalMachine, key, L"CurrentVersion", registration.current);
      for (const std::wstring& subkey : registration.subkeys)
        FakeAddRegKey(os::RegRoot::LocalMachine, key + L"\\" + subkey);
    }
    const std::wstring note =
        row.found ? L"\r\nYour Java version is " + std::wstring(row.found) + L"." : L"";
    Expect({L"99",
            L"Tool needs Java version 99 or higher to be installed." + note +
                L"\r\n\r\nContinue anyway?",
            kAsk},
           CheckJava);
  }
}

// Reading a version needs read access only: a key the user may not write is read,
// and only one that may not be read at all leaves the check to the user.
TEST_F(RequirementTest, JavaWithoutAdminRightsReadsWhatItMayAndAsksOnlyWhenRefused) {
  const std::wstring key = L"SOFTWARE\\JavaSoft\\JRE";
  const std::wstring place = LowerAscii(key);
  ctx.isAdministrator = 0;
  Expect({L"11", L"Tool needs Java version 11 or higher to be installed.\r\n\r\nContinue anyway?",
          kAsk},
         CheckJava);

  FakeAddRegKey(os::RegRoot::LocalMachine, key + L"\\11.0.2");
  Fake().registry[{os::RegRoot::LocalMachine, place}].fullAccess = false;
  Fake().registry[{os::RegRoot::LocalMachine, place + L"\\11.0.2"}].fullAccess = false;
  Expect({L"11", L""}, CheckJava);

  Fake().registry[{os::RegRoot::LocalMachine, place}].readable = false;
  const std::wstring impossible =
      L"Java version check is not possible without admin rights.\r\n\r\nContinue anyway?";
  Expect({L"17", impossible, kAsk}, CheckJava);
  Expect({L"17", impossible, kAsk, os::kAnswerNo, 0}, CheckJava);
  Expect({L"", L""}, CheckJava);
}

TEST_F(RequirementTest, OnlineValuesAgainstTheConnectionAndThePing) {
  const std::wstring noConnection = L"No internet connection is available.\r\n\r\n";
  const std::wstring offlineOnly = L"Tool requires offline mode.\r\n\r\n";
  const std::string reply = "Reply from 8.8.8.8: bytes=32 time=9ms TTL=117\r\n";
  struct Row {
    bool connected;
    std::optional<std::string> ping;  // nullopt: cannot be started
    CheckCase check;
  };
  const Row rows[] = {
      {true, reply, {L"1", L""}},
      {true, reply, {L"0", L""}},
      {true, reply, {L"-2", offlineOnly + L"Continue anyway?", kAsk}},
      {true, reply, {L"-3", offlineOnly + L"Exiting...", kTell, os::kAnswerOk, 0}},
      {true, "Destination host unreachable.\r\n", {L"1", noConnection + L"Continue anyway?", kAsk}},
      {true, "Destination host unreachable.\r\n", {L"-1", L"", 0, 0, 0}},
      {true,
       "Ping request could not find host x. Please check the name and try again.\r\n",
       {L"2", noConnection + L"Exiting...", kTell, os::kAnswerOk, 0}},
      // Lines are joined without a separator before the texts are looked for.
      {true, "Reply from 10.0.0.1: Destination host unreach\r\nable.\r\n", {L"-2", L""}},
      {true, "", {L"1", noConnection + L"Continue anyway?", kAsk, os::kAnswerNo, 0}},
      {true, std::nullopt, {L"2", noConnection + L"Exiting...", kTell, os::kAnswerOk, 0}},
      {false, reply, {L"-2", L""}},
      {false, reply, {L"1", noConnection + L"Continue anyway?", kAsk}},
      {false, reply, {L"5", L""}},
  };
  for (const Row& row : rows) {
    Fake().checks.internetConnected = row.connected;
    Fake().checks.pingOutput = row.ping;
    Fake().checks.capturedRuns.clear();
    Expect(row.check,
           [](LauncherContext& c, const std::wstring& v) { CheckOnline(c, v, kPingArguments); });
    // The ping runs for every value, but only while a connection is reported.
    EXPECT_EQ(Fake().checks.capturedRuns.size(), row.connected ? 1u : 0u) << row.check.value;
  }
}

TEST_F(RequirementTest, PingStartsFromTheSystemsOwnFolderByItsFullPath) {
  // Not the "windir" variable, which whoever starts the launcher may set.
  Fake().env[L"windir"] = L"C:\\P";
  Start();
  Fake().checks.windowsDirectory = L"C:\\Win";
  CheckOnline(ctx, L"0", kPingArguments);
  EXPECT_EQ(Fake().checks.capturedRuns,
            std::vector<std::wstring>{L"\"C:\\Win\\system32\\ping.exe\" www.google.com -n 1"});
}
