// Whole launcher runs over registry keys and values: set aside, brought in from
// the registry file, carried back and put back, with the run record and the
// recovery at the next start.
#include "commands/run_section.h"
#include "process/run_hidden.h"
#include "registry/reg_file_format.h"
#include "tests/fake_platform/fake_reg_tool.h"
#include "tests/native/items_fixture.h"

using os::RegRoot;

namespace {

const RegRoot kCu = RegRoot::CurrentUser;
const std::wstring kKey = L"Software\\Vendor\\App";
const std::wstring kSettingsReg = L"C:\\P\\settings.reg";
const std::string kAppKey = "[BEFORE]\r\nregkey = HKCU\\Software\\Vendor\\App\r\n";
const std::vector<std::wstring> kKeyInUse{L"in use :: regkey :: HKCU\\Software\\Vendor\\App"};

std::string Sz(const std::wstring& text) {
  return fake_reg_detail::Utf16(text + std::wstring(1, L'\0'));
}

// The values of a key as "name=bytes" texts, in the order the key lists them.
std::vector<std::string> Values(const std::wstring& key) {
  std::vector<std::string> out;
  auto it = Fake().registry.find({kCu, LowerAscii(key)});
  if (it == Fake().registry.end()) return out;
  for (const FakeRegValue& v : it->second.values)
    out.push_back(Utf8FromWide(v.name) + "=" + std::to_string(v.type) + ":" + v.bytes);
  return out;
}

std::string Text(const std::wstring& text) { return std::to_string(os::kRegSz) + ":" + Sz(text); }

bool KeyExists(const std::wstring& key) { return Fake().registry.count({kCu, LowerAscii(key)}); }

std::wstring FileText(const std::wstring& path) {
  return ReadRegFileText(FakeFileBytes(path)).text;
}

}  // namespace

class RegWrapTest : public ItemsTest {
 protected:
  void SetUp() override {
    ItemsTest::SetUp();
    Fake().onHiddenStart = FakeRunTools;
    FakeAddFolder(L"C:\\Users\\me\\AppData\\Local\\Temp");
  }
  // The machine's own settings, and portable ones from an earlier run.
  void MachineAndPortableSettings() {
    FakeSetRegString(kCu, kKey, L"own", L"machine");
    FakeAddFile(kSettingsReg, RegValueFile(L"HKEY_CURRENT_USER\\" + kKey, L"\"s\"=\"v1\""));
  }
  int RegStarts() const {
    int starts = 0;
    for (const auto& start : Fake().hiddenStarts)
      starts += StartsWith(start.commandLine, L"\"C:\\Windows\\system32\\reg.exe\"");
    return starts;
  }
};

TEST_F(RegWrapTest, KeyRoundTripKeepsTheMachineKeyAsideAndCarriesChangesBack) {
  MachineAndPortableSettings();
  std::vector<std::string> seen, aside;
  EXPECT_EQ(Run(kAppKey,
                [&] {
                  seen = Values(kKey);
                  aside = Values(kKey + L"_backup");
                  FakeSetRegString(kCu, kKey, L"s", L"v2");
                  FakeSetRegString(kCu, kKey + L"\\Sub", L"t", L"new");
                }),
            0);
  EXPECT_EQ(seen, (std::vector<std::string>{"s=" + Text(L"v1")}));
  EXPECT_EQ(aside, (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_FALSE(KeyExists(kKey + L"\\Sub"));
  EXPECT_FALSE(KeyExists(kKey + L"_backup"));
  EXPECT_FALSE(RecordExists());
  // Copy aside, clear, import; export, clear, copy back, remove the backup.
  EXPECT_EQ(RegStarts(), 7);
  // The import is waited for until it ends: an item given up while its import
  // still writes would have the portable key land on the machine's.
  for (const FakeHiddenStart& start : Fake().hiddenStarts) {
    if (Contains(start.commandLine, L"IMPORT")) {
      EXPECT_EQ(start.timeoutMs, kToolEndBoundMs);
    }
  }

  EXPECT_EQ(Run(kAppKey, [&] { seen = Values(kKey + L"\\Sub"); }), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"t=" + Text(L"new")}));
  EXPECT_TRUE(Contains(FileText(kSettingsReg), L"\"s\"=\"v2\""));
}

// Without a machine key, the key and the parents the import made are gone after
// the run; the Software key stays.
TEST_F(RegWrapTest, KeyWithoutMachineDataLeavesNoKeyAndNoEmptyParents) {
  FakeAddRegKey(kCu, L"Software");
  FakeAddFile(kSettingsReg,
              RegValueFile(L"HKEY_CURRENT_USER\\Software\\New\\Deep\\App", L"\"s\"=\"v1\""));
  Run("[BEFORE]\r\nregkey = HKCU\\Software\\New\\Deep\\App\\\r\n",
      [] { FakeSetRegString(kCu, L"Software\\New\\Deep\\App", L"s", L"v2"); });
  EXPECT_FALSE(KeyExists(L"Software\\New"));
  EXPECT_TRUE(KeyExists(L"Software"));
  EXPECT_FALSE(KeyExists(L"Software\\New\\Deep\\App\\_backup"));
  EXPECT_TRUE(Contains(FileText(kSettingsReg), L"\"s\"=\"v2\""));
}

// Each item replaces only its own key's part of the shared file, and a value that
// is not there removes nothing: the settings of both keys survive run after run.
TEST_F(RegWrapTest, TwoKeysSharingTheRegistryFileBothKeepTheirSettings) {
  const std::string ini =
      "[BEFORE]\r\nregkey = HKCU\\Software\\One\r\nregkey = HKCU\\Software\\Two\r\n"
      "regvalue = HKCU\\Software\\Gone\\v\r\n";  // missing: the file stays
  for (int run = 1; run <= 3; ++run) {
    std::vector<std::string> one, two;
    Run(ini, [&] {
      one = Values(L"Software\\One");
      two = Values(L"Software\\Two");
      FakeSetRegString(kCu, L"Software\\One", L"a", L"one" + std::to_wstring(run));
      FakeSetRegString(kCu, L"Software\\Two", L"b", L"two" + std::to_wstring(run));
    });
    if (run > 1) {
      EXPECT_EQ(one, (std::vector<std::string>{"a=" + Text(L"one" + std::to_wstring(run - 1))}));
      EXPECT_EQ(two, (std::vector<std::string>{"b=" + Text(L"two" + std::to_wstring(run - 1))}));
    }
  }
  EXPECT_FALSE(KeyExists(L"Software\\One"));
  EXPECT_FALSE(FakeHasFile(kSettingsReg + L".voq-part"));
}

// Each item brings in only its own key from the shared file, so the second key's
// machine data is set aside before anything lands on it.
TEST_F(RegWrapTest, ASharedFileNeverLandsOnAnotherItemsMachineData) {
  FakeSetRegString(kCu, L"Software\\One", L"own", L"1");
  FakeSetRegString(kCu, L"Software\\Two", L"own", L"2");
  FakeAddFile(kSettingsReg,
              RegValueFile(L"HKEY_CURRENT_USER\\Software\\One", L"\"a\"=\"p\"") +
                  RegAppendBytes("\xFF\xFE", RegValueFile(L"HKEY_CURRENT_USER\\Software\\Two",
                                                          L"\"b\"=\"q\"")));
  std::vector<std::string> one, two;
  Run("[BEFORE]\r\nregkey = HKCU\\Software\\One\r\nregkey = HKCU\\Software\\Two\r\n", [&] {
    one = Values(L"Software\\One");
    two = Values(L"Software\\Two");
  });
  EXPECT_EQ(one, (std::vector<std::string>{"a=" + Text(L"p")}));
  EXPECT_EQ(two, (std::vector<std::string>{"b=" + Text(L"q")}));
  EXPECT_EQ(Values(L"Software\\One"), (std::vector<std::string>{"own=" + Text(L"1")}));
  EXPECT_EQ(Values(L"Software\\Two"), (std::vector<std::string>{"own=" + Text(L"2")}));
}

// Every type goes out to the registry file and comes back as it was, and the
// machine's own value returns.
TEST_F(RegWrapTest, ValuesOfEveryTypeRoundTripThroughTheirFile) {
  const std::pair<unsigned, std::string> values[] = {
      {os::kRegSz, Sz(L"C:\\Program Files\\App\\ \"quoted\"")},
      {os::kRegSz, Sz(std::wstring(600, L'x'))},
      {os::kRegSz, Sz(L"two\r\nlines")},
      {os::kRegExpandSz, Sz(L"%APPDATA%\\App")},
      {os::kRegMultiSz, fake_reg_detail::Utf16(std::wstring(L"a\0b\0\0", 5))},
      {os::kRegDword, "\xFF\xFF\xFF\xFF"},
      {os::kRegQword, std::string("\x01\0\0\0\0\0\0\x80", 8)},
      {os::kRegBinary, std::string("\0\xFF", 2)},
  };
  const std::string ini = "[BEFORE]\r\nregvalue = HKCU\\Software\\Vendor\\App\\v :: v.reg\r\n";
  for (const auto& [type, bytes] : values) {
    FakeSetRegDword(kCu, kKey, L"v", 7);  // the machine's own
    Run(ini, [&] { FakeSetRegValue(kCu, kKey, L"v", type, bytes); });
    EXPECT_EQ(Values(kKey), (std::vector<std::string>{"v=4:" + std::string("\x07\0\0\0", 4)}));
    // The machine's value waits beside it as v_backup.
    std::vector<std::string> seen;
    Run(ini, [&] { seen = Values(kKey); });
    EXPECT_EQ(seen, (std::vector<std::string>{"v_backup=4:" + std::string("\x07\0\0\0", 4),
                                              "v=" + std::to_string(type) + ":" + bytes}))
        << testing::PrintToString(bytes);
  }
  EXPECT_FALSE(RecordExists());
}

// The launcher dies while the application runs; the next start finishes that run
// first, and both the machine's key and the run's changes survive.
TEST_F(RegWrapTest, KilledRunIsFinishedAtTheNextStart) {
  MachineAndPortableSettings();
  RunKilled(kAppKey, [] { FakeSetRegString(kCu, kKey, L"s", L"v2"); });
  EXPECT_EQ(RecordedItems(), kKeyInUse);
  std::vector<std::string> seen;
  Run(kAppKey, [&] { seen = Values(kKey); });
  EXPECT_EQ(seen, (std::vector<std::string>{"s=" + Text(L"v2")}));
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_FALSE(RecordExists());
}

// The export cannot be written (a full or pulled drive): the application's key
// stays in place with the machine's key beside it, and the next start carries
// it back once it can.
TEST_F(RegWrapTest, AnExportThatFailsKeepsTheKeyAndItsBackup) {
  MachineAndPortableSettings();
  Fake().readOnlyFiles.insert(LowerAscii(kSettingsReg));
  Run(kAppKey, [] { FakeSetRegString(kCu, kKey, L"s", L"v2"); });
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"s=" + Text(L"v2")}));
  EXPECT_EQ(Values(kKey + L"_backup"), (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_EQ(RecordedItems(), kKeyInUse);

  Fake().readOnlyFiles.clear();
  std::vector<std::string> seen;
  Run(kAppKey, [&] { seen = Values(kKey); });
  EXPECT_EQ(seen, (std::vector<std::string>{"s=" + Text(L"v2")}));
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_FALSE(KeyExists(kKey + L"_backup"));
}

// Clearing the machine's key, once it is copied aside, outlives its wait: nothing
// is copied back into the key that the tool may still empty, and the copy aside
// waits for the next start.
TEST_F(RegWrapTest, AClearingThatOutlivesItsWaitGetsNothingCopiedIn) {
  MachineAndPortableSettings();
  Fake().onHiddenStart = FakeDeletionOutlivingItsWait(L"HKCU\\" + kKey, FakeRunTools);
  Run(kAppKey);
  os::StartHiddenAndWait(L"\"other.exe\"", L"", 0);  // the tool ends
  EXPECT_EQ(Values(kKey + L"_backup"), (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_EQ(RecordedItems().size(), 1u);
  Fake().onHiddenStart = FakeRunTools;
  Run(kAppKey);
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"own=" + Text(L"machine")}));
  EXPECT_FALSE(RecordExists());
}

// A backup item puts the machine's value back over what the application left; a
// backup name that no record names is someone else's: never moved back over the
// live key, and its item is not set up.
TEST_F(RegWrapTest, BackupItemsPutTheMachineDataBackAndNeverOverwriteABackup) {
  FakeSetRegDword(kCu, kKey, L"n", 0xFFFFFFFF);
  FakeSetRegString(kCu, L"Software\\Left", L"mine", L"1");
  FakeSetRegString(kCu, L"Software\\Left_backup", L"machine", L"0");
  Run("[BEFORE]\r\n(regvalue) = HKCU\\Software\\Vendor\\App\\n\r\n(regkey) = "
      "HKCU\\Software\\Left\r\n",
      [] {
        FakeSetRegString(kCu, kKey, L"n", L"app");
        FakeSetRegString(kCu, L"Software\\Left", L"mine", L"2");
      });
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"n=4:\xFF\xFF\xFF\xFF"}));
  EXPECT_EQ(Values(L"Software\\Left"), (std::vector<std::string>{"mine=" + Text(L"2")}));
  EXPECT_EQ(Values(L"Software\\Left_backup"), (std::vector<std::string>{"machine=" + Text(L"0")}));
}

// A root alone, a path without a known root or a value path without a key name
// no item: nothing is set aside, removed or recorded, and no tool starts.
TEST_F(RegWrapTest, PathsThatNameNoKeyStartNothing) {
  FakeSetRegString(kCu, L"Software", L"v", L"x");
  Run("[BEFORE]\r\nregkey = HKCU\r\nregkey = HKEY_CURRENT_USER\\\r\nregkey = Software\\App\r\n"
      "(regkey) = HKXX\\Software\r\nregvalue = NoBackslash\r\n(regvalue) = HKCU\\v\r\n"
      "->regkey = HKCU :: HKCU\\Software\\Copy :: move\r\n-regkey = HKCU\\\r\n");
  EXPECT_EQ(RegStarts(), 0);
  EXPECT_EQ(Values(L"Software"), (std::vector<std::string>{"v=" + Text(L"x")}));
  EXPECT_FALSE(RecordExists());
}
