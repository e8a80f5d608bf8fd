// Registry keys and values around a run, with the system's own reg.exe: wrap and
// backup items through settings.reg, the create, delete, copy/move and merge keys,
// and what survives a killed launcher or a registry file that cannot be written.
// Every key lives below HKCU\Software\voQRegTest\<test> and is removed around
// each test.
#include <windows.h>

#include <cstdio>
#include <optional>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

const std::wstring kTestRoot = L"Software\\voQRegTest";

std::string Narrow(const std::wstring& text) { return Utf8(text); }

// The value's bytes as the registry keeps them.
std::string Sz(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}
std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

std::wstring Hex(const std::string& bytes) {
  std::wstring hex;
  for (unsigned char b : bytes) {
    hex += L"0123456789abcdef"[b >> 4];
    hex += L"0123456789abcdef"[b & 0xF];
  }
  return hex;
}

struct Value {
  DWORD type = 0;
  std::string bytes;
  bool operator==(const Value&) const = default;
};

std::optional<Value> Get(const std::wstring& subkey, const std::wstring& name,
                         HKEY root = HKEY_CURRENT_USER) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  Value value;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size);
  value.bytes.resize(size);
  if (status == ERROR_SUCCESS)
    status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type,
                              reinterpret_cast<BYTE*>(value.bytes.data()), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return value;
}

void Set(const std::wstring& subkey, const std::wstring& name, const Value& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, value.type,
                           reinterpret_cast<const BYTE*>(value.bytes.data()),
                           static_cast<DWORD>(value.bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

bool KeyThere(const std::wstring& subkey, HKEY root = HKEY_CURRENT_USER) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The test's own keys, gone before and after it.
struct TestKeys {
  std::wstring root;
  explicit TestKeys(const std::wstring& name) : root(kTestRoot + L"\\" + name) {
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  }
  ~TestKeys() { RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str()); }
  std::wstring operator()(const std::wstring& below) const { return root + L"\\" + below; }
  std::string Ini(const std::wstring& below) const { return Narrow(L"HKCU\\" + (*this)(below)); }
};

// The application's orders: set a value, note what a key holds.
std::wstring AppSets(const std::wstring& subkey, const std::wstring& name, const Value& value) {
  return L"regset|" + subkey + L"|" + name + L"|" + std::to_wstring(value.type) + L"|" +
         Hex(value.bytes) + L"\n";
}
std::wstring DumpLine(const std::wstring& name, const Value& value) {
  return name + L"|" + std::to_wstring(value.type) + L"|" + Hex(value.bytes);
}
bool Dumped(const std::wstring& dump, const std::wstring& name, const Value& value) {
  return Wide(ReadBytes(dump)).find(DumpLine(name, value) + L"\r\n") != std::wstring::npos;
}

void WriteIni(const PortableFolder& folder, const std::string& sections) {
  ASSERT_TRUE(WriteFileIn(folder, folder.name + L".ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n" + sections)));
}

std::wstring RegFileText(const std::wstring& path) {
  const std::string bytes = ReadBytes(path);
  if (bytes.size() < 2) return L"";
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

}  // namespace

// Two keys share settings.reg (one written with a trailing backslash); the
// machine's own key is set aside and put back, the parents an import made are
// gone afterwards, and each run sees what the one before saved. Runs with one
// item and without items show what an item costs; the durations are printed for
// the record, not judged.
TEST(RegistryWrap, KeysRoundTripThroughOneRegistryFile) {
  PortableFolder folder(L"RegTrip");
  TestKeys keys(L"Trip");
  Set(keys(L"One"), L"own", {REG_SZ, Sz(L"machine")});
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::wstring dump = PathIn(folder, L"dump.txt");
  const std::string one = "[BEFORE]\nregkey = " + keys.Ini(L"One") + "\\\n";
  const std::string two = one + "regkey = " + keys.Ini(L"New\\Two") + "\n";
  // The first two runs are checked; the last two only show what one item costs.
  const std::pair<const char*, std::string> runs[] = {{"two regkey items, first run", two},
                                                      {"two regkey items", two},
                                                      {"one regkey item", one},
                                                      {"no items", ""}};
  for (int run = 1; const auto& [what, sections] : runs) {
    const Value saved{REG_SZ, Sz(L"run " + std::to_wstring(run))};
    WriteIni(folder, sections);
    ASSERT_TRUE(WriteAppControl(
        app, L"regdump|" + keys(L"One") + L"|" + dump + L"\n" + L"regdump|" + keys(L"New\\Two") +
                 L"|" + dump + L"\n" + AppSets(keys(L"One"), L"s", saved) +
                 AppSets(keys(L"New\\Two"), L"t", saved) + L"window|600|voQ registry app\n"));
    DeleteFileW(dump.c_str());
    Started started;
    ASSERT_TRUE(StartLauncher(folder, started));
    ASSERT_TRUE(WaitUntil([] { return WindowTitled(L"voQ registry app"); }, 20s));
    const long long shown = NowMs();
    if (run <= 2) {
      EXPECT_EQ(Get(keys(L"One_backup"), L"own"), (Value{REG_SZ, Sz(L"machine")}));
      EXPECT_FALSE(Dumped(dump, L"own", {REG_SZ, Sz(L"machine")}));
    }
    ASSERT_TRUE(WaitUntil([] { return !WindowTitled(L"voQ registry app"); }, 20s));
    const long long gone = NowMs();
    ASSERT_EQ(WaitForSingleObject(started.process.hProcess, 60000), WAIT_OBJECT_0);
    std::printf("%s: start to application window %lld ms, window gone to end %lld ms\n", what,
                shown - started.startMs, NowMs() - gone);
    if (run++ > 2) continue;
    if (run == 3) {
      const Value before{REG_SZ, Sz(L"run 1")};
      EXPECT_TRUE(Dumped(dump, L"s", before)) << Narrow(Wide(ReadBytes(dump)));
      EXPECT_TRUE(Dumped(dump, L"t", before)) << Narrow(Wide(ReadBytes(dump)));
    }
    EXPECT_EQ(Get(keys(L"One"), L"own"), (Value{REG_SZ, Sz(L"machine")}));
    EXPECT_EQ(Get(keys(L"One"), L"s"), std::nullopt);
    EXPECT_FALSE(KeyThere(keys(L"One_backup")));
    EXPECT_FALSE(KeyThere(keys(L"New")));
    const std::wstring file = RegFileText(PathIn(folder, L"settings.reg"));
    EXPECT_NE(file.find(L"\"s\"=\"run " + std::to_wstring(run - 1) + L"\""), std::wstring::npos);
    EXPECT_NE(file.find(L"\"t\"=\"run " + std::to_wstring(run - 1) + L"\""), std::wstring::npos);
    EXPECT_EQ(file.find(L"Windows Registry Editor"), file.rfind(L"Windows Registry Editor"));
    EXPECT_FALSE(Exists(RunRecordOf(folder)));
  }
}

// Values of every type, with data that needs escaping, share settings.reg: the
// next run sees each exactly as the application left it, and the machine's own
// values come back after each run.
TEST(RegistryWrap, ValuesOfEveryTypeKeepTheirData) {
  PortableFolder folder(L"RegValues");
  TestKeys keys(L"Values");
  const std::pair<std::wstring, Value> values[] = {
      {L"quotes", {REG_SZ, Sz(L"C:\\Program Files\\App\\ say \"hi\"")}},
      {L"long", {REG_SZ, Sz(std::wstring(600, L'x'))}},
      {L"lines", {REG_SZ, Sz(L"one\r\ntwo")}},
      {L"expand", {REG_EXPAND_SZ, Sz(L"%APPDATA%\\App")}},
      {L"multi", {REG_MULTI_SZ, std::string("a\0\0\0\0\0b\0\0\0\0\0", 12)}},
      {L"dword", {REG_DWORD, Dword(4294967295u)}},
      {L"qword", {REG_QWORD, std::string("\x01\0\0\0\0\0\0\x80", 8)}},
      {L"binary", {REG_BINARY, std::string("\0\xFF\x10", 3)}},
  };
  std::string items = "[BEFORE]\n";
  std::wstring changes;
  for (const auto& [name, value] : values) {
    Set(keys(L"Vals"), name, {REG_SZ, Sz(L"machine")});
    items += "regvalue = " + keys.Ini(L"Vals\\" + name) + "\n";
    changes += AppSets(keys(L"Vals"), name, value);
  }
  WriteIni(folder, items);
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, changes));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  for (const auto& [name, value] : values)
    EXPECT_EQ(Get(keys(L"Vals"), name), (Value{REG_SZ, Sz(L"machine")})) << Narrow(name);

  const std::wstring dump = PathIn(folder, L"dump.txt");
  ASSERT_TRUE(WriteAppControl(app, L"regdump|" + keys(L"Vals") + L"|" + dump + L"\n"));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  for (const auto& [name, value] : values) EXPECT_TRUE(Dumped(dump, name, value)) << Narrow(name);
  const std::wstring file = RegFileText(PathIn(folder, L"settings.reg"));
  EXPECT_NE(file.find(L"\"dword\"=dword:FFFFFFFF"), std::wstring::npos);
  EXPECT_NE(file.find(L"\"quotes\"=\"C:\\\\Program Files\\\\App\\\\ say \\\"hi\\\"\""),
            std::wstring::npos);
}

// settings.reg in the older REGEDIT4 form, in the ANSI code page, with a key added
// by hand: the item's value comes in, the file is written in the current form
// after the run, and the hand-added key's expandable text, which the older form
// holds in ANSI bytes, means to reg.exe what it meant before.
TEST(RegistryWrap, ARegistryFileOfTheOlderFormKeepsEveryKey) {
  PortableFolder folder(L"RegOlder");
  TestKeys keys(L"Older");
  const std::string root = "[HKEY_CURRENT_USER\\Software\\voQRegTest\\Older\\";
  ASSERT_TRUE(
      WriteFileIn(folder, L"settings.reg",
                  "REGEDIT4\r\n\r\n" + root + "App]\r\n\"s\"=\"caf\xE9\"\r\n\r\n" + root +
                      "Mine]\r\n\"p\"=hex(2):25,41,50,50,44,41,54,41,25,5c,\\\r\n  e9,00\r\n"));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::wstring dump = PathIn(folder, L"dump.txt");
  WriteIni(folder, "[BEFORE]\nregvalue = " + keys.Ini(L"App\\s") + "\n");
  ASSERT_TRUE(WriteAppControl(app, L"regdump|" + keys(L"App") + L"|" + dump + L"\n" +
                                       AppSets(keys(L"App"), L"s", {REG_SZ, Sz(L"new")})));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  EXPECT_TRUE(Dumped(dump, L"s", {REG_SZ, Sz(L"caf\u00E9")})) << Narrow(Wide(ReadBytes(dump)));
  const std::wstring file = RegFileText(PathIn(folder, L"settings.reg"));
  EXPECT_EQ(file.find(L"Windows Registry Editor Version 5.00\r\n"), 0u) << Narrow(file);
  EXPECT_NE(file.find(L"\"s\"=\"new\""), std::wstring::npos) << Narrow(file);

  WriteIni(folder, "[BEFORE]\nregkey = " + keys.Ini(L"Mine") + "\n");
  ASSERT_TRUE(WriteAppControl(app, L"regdump|" + keys(L"Mine") + L"|" + dump + L"\n"));
  DeleteFileW(dump.c_str());
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  EXPECT_TRUE(Dumped(dump, L"p", {REG_EXPAND_SZ, Sz(L"%APPDATA%\\\u00E9")}))
      << Narrow(Wide(ReadBytes(dump)));
}

// The data rules of +regvalue, a DWORD with its top bit set moved and put back,
// -regkey ifempty on a key whose only value has a 300-character name, and
// regmerge of two exports of the tool.
TEST(RegistryItems, CreateMoveDeleteAndMergeAsWritten) {
  PortableFolder folder(L"RegItems");
  TestKeys keys(L"Items");
  Set(keys(L"Make"), L"keep", {REG_SZ, Sz(L"old")});
  Set(keys(L"Src"), L"all", {REG_DWORD, Dword(0xFFFFFFFF)});
  Set(keys(L"Src"), L"aside", {REG_DWORD, Dword(0x80000000)});
  Set(keys(L"KSrc\\Sub"), L"k", {REG_SZ, Sz(L"tree")});
  Set(keys(L"Full"), std::wstring(300, L'n'), {REG_SZ, Sz(L"v")});
  Set(keys(L"Hollow"), L"", {REG_SZ, Sz(L"default only")});
  const std::string make = "+regvalue = " + keys.Ini(L"Make") + " :: ";
  WriteIni(
      folder,
      "[BEFORE]\n" + make + "path :: C:\\Program Files\\App\\ :: REG_SZ\n" + make +
          "quoted :: say \"hi\" :: REG_SZ\n" + make + "tools :: C:\\Tools\\\\ :: REG_SZ\n" + make +
          "empty :: NULL :: REG_DWORD\n" + make + "lower :: 5 :: reg_dword\n" + make +
          "multi :: a;b :: REG_MULTI_SZ :: ;\n" + make + "neg :: -1 :: REG_DWORD\n" + make +
          "keep :: new :: REG_SZ :: NULL :: no overwrite\n" +
          "->regvalue = " + keys.Ini(L"Src\\all") + " :: " + keys.Ini(L"Dst\\all") + " :: move\n" +
          "->regkey = " + keys.Ini(L"KSrc") + " :: " + keys.Ini(L"KDst") + " :: move\n" +
          "(regvalue) = " + keys.Ini(L"Src\\aside") + "\n" + "-regkey = " + keys.Ini(L"Full") +
          " :: ifempty\n" + "-regkey = " + keys.Ini(L"Hollow") + " :: ifempty\n" +
          "regexport = " + keys.Ini(L"Make") + "\\ :: a.reg\n" +
          "regexport = " + keys.Ini(L"KDst") + "\\ :: b.reg\n" + "regmerge = a.reg :: b.reg\n" +
          "[AFTER]\n-regvalue = " + keys.Ini(L"Make") + " :: lower\n");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, AppSets(keys(L"Src"), L"aside", {REG_SZ, Sz(L"app")})));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);

  EXPECT_EQ(Get(keys(L"Make"), L"path"), (Value{REG_SZ, Sz(L"C:\\Program Files\\App\\")}));
  EXPECT_EQ(Get(keys(L"Make"), L"quoted"), (Value{REG_SZ, Sz(L"say \"hi\"")}));
  EXPECT_EQ(Get(keys(L"Make"), L"tools"), (Value{REG_SZ, Sz(L"C:\\Tools\\")}));
  EXPECT_EQ(Get(keys(L"Make"), L"empty"), (Value{REG_SZ, Sz(L"")}));
  EXPECT_EQ(Get(keys(L"Make"), L"lower"), std::nullopt);
  EXPECT_EQ(Get(keys(L"Make"), L"multi"),
            (Value{REG_MULTI_SZ, std::string("a\0\0\0b\0\0\0\0\0", 10)}));
  EXPECT_EQ(Get(keys(L"Make"), L"neg"), (Value{REG_DWORD, Dword(0xFFFFFFFF)}));
  EXPECT_EQ(Get(keys(L"Make"), L"keep"), (Value{REG_SZ, Sz(L"old")}));
  EXPECT_EQ(Get(keys(L"Dst"), L"all"), (Value{REG_DWORD, Dword(0xFFFFFFFF)}));
  EXPECT_EQ(Get(keys(L"Src"), L"all"), std::nullopt);
  EXPECT_EQ(Get(keys(L"Src"), L"aside"), (Value{REG_DWORD, Dword(0x80000000)}));
  EXPECT_EQ(Get(keys(L"KDst\\Sub"), L"k"), (Value{REG_SZ, Sz(L"tree")}));
  EXPECT_FALSE(KeyThere(keys(L"KSrc")));
  EXPECT_TRUE(KeyThere(keys(L"Full")));
  EXPECT_FALSE(KeyThere(keys(L"Hollow")));

  const std::wstring merged = RegFileText(PathIn(folder, L"a.reg"));
  EXPECT_EQ(merged.find(L"Windows Registry Editor Version 5.00\r\n\r\n["), 0u);
  EXPECT_EQ(merged.rfind(L"Windows Registry Editor"), 0u);
  EXPECT_NE(merged.find(L"\\Items\\Make]"), std::wstring::npos);
  EXPECT_NE(merged.find(L"\\Items\\KDst\\Sub]"), std::wstring::npos);
  EXPECT_FALSE(Exists(PathIn(folder, L"b.reg")));
}

// The clean-up of parents removes what became empty up to the Software key, and
// below HKLM only for paths that hold both letter cases of Software.
TEST(RegistryItems, ParentCleanUpFollowsItsLetterCases) {
  PortableFolder folder(L"RegCase");
  TestKeys keys(L"Case");
  const std::wstring machine = L"Software\\voQRegTestMachine";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, machine.c_str());
  WriteIni(folder, "[BEFORE]\n(regkey) = " + keys.Ini(L"Deep\\Leaf") +
                       "\n(regkey) = HKLM\\Software\\voQRegTestMachine\\Leaf\n");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(
      WriteAppControl(app, AppSets(keys(L"Deep\\Leaf"), L"x", {REG_SZ, Sz(L"1")}) +
                               AppSets(L"HKLM\\" + machine + L"\\Leaf", L"x", {REG_SZ, Sz(L"1")})));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  EXPECT_FALSE(KeyThere(keys(L"Deep")));
  EXPECT_TRUE(KeyThere(L"Software"));
  EXPECT_FALSE(KeyThere(machine + L"\\Leaf", HKEY_LOCAL_MACHINE));
  EXPECT_TRUE(KeyThere(machine, HKEY_LOCAL_MACHINE));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, machine.c_str());
}

// The launcher dies while the application runs; the next start finishes that run
// first: the machine's key and the settings the application saved both survive.
TEST(RegistryFaults, KilledLauncherLosesNothingAtTheNextStart) {
  PortableFolder folder(L"RegKilled");
  TestKeys keys(L"Killed");
  Set(keys(L"App"), L"own", {REG_SZ, Sz(L"machine")});
  WriteIni(folder, "[BEFORE]\nregkey = " + keys.Ini(L"App") + "\n");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, AppSets(keys(L"App"), L"s", {REG_SZ, Sz(L"saved")}) +
                                       L"window|800|voQ killed registry app\n"));
  {
    Started started;
    ASSERT_TRUE(StartLauncher(folder, started));
    ASSERT_TRUE(WaitUntil([] { return WindowTitled(L"voQ killed registry app"); }, 20s));
    ASSERT_TRUE(TerminateProcess(started.process.hProcess, 0xDEAD));
    WaitForSingleObject(started.process.hProcess, 5000);
  }
  ASSERT_TRUE(WaitUntil([] { return !WindowTitled(L"voQ killed registry app"); }, 20s));
  EXPECT_EQ(Get(keys(L"App_backup"), L"own"), (Value{REG_SZ, Sz(L"machine")}));

  ASSERT_TRUE(WriteAppControl(app, L""));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  EXPECT_NE(RegFileText(PathIn(folder, L"settings.reg")).find(L"\"s\"=\"saved\""),
            std::wstring::npos);
  EXPECT_EQ(Get(keys(L"App"), L"own"), (Value{REG_SZ, Sz(L"machine")}));
  EXPECT_EQ(Get(keys(L"App"), L"s"), std::nullopt);
  EXPECT_FALSE(KeyThere(keys(L"App_backup")));
  EXPECT_FALSE(Exists(RunRecordOf(folder)));
}

// settings.reg cannot be written when the application has ended (held open
// without sharing): the application's key and the machine's backup both stay, and
// the next start carries the key back once it can.
TEST(RegistryFaults, UnwritableRegistryFileKeepsTheKeyAndItsBackup) {
  PortableFolder folder(L"RegLocked");
  TestKeys keys(L"Locked");
  Set(keys(L"App"), L"own", {REG_SZ, Sz(L"machine")});
  ASSERT_TRUE(WriteFileIn(folder, L"settings.reg", ""));
  WriteIni(folder, "[BEFORE]\nregkey = " + keys.Ini(L"App") + "\n");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, AppSets(keys(L"App"), L"s", {REG_SZ, Sz(L"saved")}) +
                                       L"window|600|voQ locked registry app\n"));
  Started started;
  ASSERT_TRUE(StartLauncher(folder, started));
  ASSERT_TRUE(WaitUntil([] { return WindowTitled(L"voQ locked registry app"); }, 20s));
  const std::wstring held = PathIn(folder, L"settings.reg");
  HANDLE lock = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const bool ended = WaitForSingleObject(started.process.hProcess, 60000) == WAIT_OBJECT_0;
  CloseHandle(lock);
  ASSERT_TRUE(ended);
  EXPECT_EQ(Get(keys(L"App"), L"s"), (Value{REG_SZ, Sz(L"saved")}));
  EXPECT_EQ(Get(keys(L"App_backup"), L"own"), (Value{REG_SZ, Sz(L"machine")}));
  EXPECT_TRUE(Exists(RunRecordOf(folder)));

  ASSERT_TRUE(WriteAppControl(app, L""));
  ASSERT_TRUE(RunLauncher(folder, L"", 60000).ended);
  EXPECT_NE(RegFileText(held).find(L"\"s\"=\"saved\""), std::wstring::npos);
  EXPECT_EQ(Get(keys(L"App"), L"own"), (Value{REG_SZ, Sz(L"machine")}));
  EXPECT_FALSE(KeyThere(keys(L"App_backup")));
}

// A working folder that is not there yet (a later item may make it) must not stop
// reg.exe: it starts in the launcher folder, so the second run sees what the
// application saved in the first.
TEST(RegistryWrap, KeyIsCarriedWhileTheWorkingFolderIsMissing) {
  PortableFolder folder(L"RegWorkdir");
  TestKeys keys(L"Workdir");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::wstring dump = PathIn(folder, L"dump.txt");
  const Value saved{REG_SZ, Sz(L"saved")};
  WriteIni(folder, "workdir = Later\n[BEFORE]\nregkey = " + keys.Ini(L"App") + "\n");
  ASSERT_TRUE(WriteAppControl(app, AppSets(keys(L"App"), L"s", saved)));
  ASSERT_TRUE(RunLauncher(folder, L"").ended);
  ASSERT_TRUE(WriteAppControl(app, L"regdump|" + keys(L"App") + L"|" + dump + L"\n"));
  ASSERT_TRUE(RunLauncher(folder, L"").ended);
  EXPECT_TRUE(Dumped(dump, L"s", saved));
  EXPECT_FALSE(KeyThere(keys(L"App")));
  EXPECT_FALSE(Exists(PathIn(folder, L"Later")));
}
