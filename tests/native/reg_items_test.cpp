// The registry keys of BEFORE and AFTER against the in-memory registry and a
// stand-in reg.exe: what ends up stored, and what is never lost.
#include <gtest/gtest.h>

#include "commands/run_section.h"
#include "registry/reg_delete.h"
#include "registry/reg_file_format.h"
#include "tests/fake_platform/fake_reg_tool.h"
#include "tests/native/launcher_fixture.h"

using os::RegRoot;

namespace {

const RegRoot kCu = RegRoot::CurrentUser;

std::string Sz(const std::wstring& text) {
  return fake_reg_detail::Utf16(text + std::wstring(1, L'\0'));
}

struct Stored {
  unsigned type = 0;
  std::string bytes;
  bool operator==(const Stored&) const = default;
};

std::optional<Stored> ValueAt(const std::wstring& key, const std::wstring& name,
                              RegRoot root = kCu) {
  const os::RegData data = os::QueryRegData(root, key, name);
  if (data.outcome != os::RegOutcome::Ok) return std::nullopt;
  return Stored{data.type, data.bytes};
}

bool KeyExists(const std::wstring& key, RegRoot root = kCu) {
  return os::QueryRegKeyCounts(root, key).outcome == os::RegOutcome::Ok;
}

}  // namespace

class RegItemsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
    Fake().onHiddenStart = FakeRunTools;
    FakeAddFolder(L"C:\\Users\\me\\AppData\\Local\\Temp");
  }
  void Dispatch(const std::wstring& key, const std::wstring& value) {
    DispatchKey(ctx, L"BEFORE", key, value);
  }
};

TEST_F(RegItemsTest, CreatedValuesFollowTheDataRules) {
  struct Case {
    std::wstring fields;  // after "HKCU\Software\App :: V :: "
    Stored stored;
  };
  const Case cases[] = {
      {L"C:\\Tools\\ :: REG_SZ", {os::kRegSz, Sz(L"C:\\Tools\\")}},
      {L"C:\\Tools\\\\ :: REG_SZ", {os::kRegSz, Sz(L"C:\\Tools\\")}},
      {L"C:\\Program Files\\App\\", {os::kRegSz, Sz(L"C:\\Program Files\\App\\")}},
      {L"say \"hi\" :: REG_SZ", {os::kRegSz, Sz(L"say \"hi\"")}},
      {L" :: REG_DWORD", {os::kRegSz, Sz(L"")}},
      {L"5 :: reg_dword", {os::kRegSz, Sz(L"5")}},
      {L"-1 :: REG_DWORD", {os::kRegDword, "\xFF\xFF\xFF\xFF"}},
      {L"-2 :: REG_QWORD", {os::kRegQword, "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF"}},
      {L"a b;c\\ :: REG_MULTI_SZ :: ;",
       {os::kRegMultiSz, fake_reg_detail::Utf16(std::wstring(L"a b\0c\\\0\0", 8))}},
      {L"%TEMP%\\x :: REG_EXPAND_SZ", {os::kRegExpandSz, Sz(L"%TEMP%\\x")}},
      {L"0a0B :: REG_BINARY", {os::kRegBinary, "\x0a\x0b"}},
  };
  for (const Case& c : cases) {
    Dispatch(L"+regvalue", L"HKCU\\Software\\App :: V :: " + c.fields);
    EXPECT_EQ(ValueAt(L"Software\\App", L"V"), c.stored) << Utf8FromWide(c.fields);
  }
}

// Without overwrite only a missing value or an empty REG_SZ is written; what the
// 255-character read of the macros would miss (a long text, another type) stays.
TEST_F(RegItemsTest, NoOverwriteWritesOnlyIntoAnEmptyPlace) {
  const std::wstring longText(300, L'x');
  FakeSetRegString(kCu, L"Software\\App", L"Full", L"mine");
  FakeSetRegString(kCu, L"Software\\App", L"Empty", L"");
  FakeSetRegString(kCu, L"Software\\App", L"Long", longText);
  FakeSetRegValue(kCu, L"Software\\App", L"Expand", os::kRegExpandSz, Sz(L"%A%"));
  for (const wchar_t* name : {L"Full", L"Empty", L"Long", L"Expand", L"Missing"})
    Dispatch(L"+regvalue", L"HKCU\\Software\\App :: " + std::wstring(name) +
                               L" :: new :: REG_SZ ::  :: no overwrite");
  Dispatch(L"+regvalue", L"HKCU\\Software\\App :: Number :: 1 :: REG_DWORD ::  :: no overwrite");
  EXPECT_EQ(ValueAt(L"Software\\App", L"Full"), (Stored{os::kRegSz, Sz(L"mine")}));
  EXPECT_EQ(ValueAt(L"Software\\App", L"Empty"), (Stored{os::kRegSz, Sz(L"new")}));
  EXPECT_EQ(ValueAt(L"Software\\App", L"Long"), (Stored{os::kRegSz, Sz(longText)}));
  EXPECT_EQ(ValueAt(L"Software\\App", L"Expand"), (Stored{os::kRegExpandSz, Sz(L"%A%")}));
  EXPECT_EQ(ValueAt(L"Software\\App", L"Missing"), (Stored{os::kRegSz, Sz(L"new")}));
  EXPECT_EQ(ValueAt(L"Software\\App", L"Number"), std::nullopt);
}

TEST_F(RegItemsTest, CreatedKeysKeepTheDefaultValueOfAKeyThatExists) {
  FakeSetRegString(kCu, L"Software\\Old", L"", L"keep");
  Dispatch(L"+regkey", L"HKCU\\Software\\Old");
  Dispatch(L"+regkey", L"HKCU\\Software\\New\\Deep\\");
  EXPECT_EQ(ValueAt(L"Software\\Old", L""), (Stored{os::kRegSz, Sz(L"keep")}));
  EXPECT_TRUE(KeyExists(L"Software\\New\\Deep"));
}

// A key is empty by its own counts: a name too long for a name buffer, or a key
// that cannot be read, never make it look empty.
TEST_F(RegItemsTest, DeleteIfEmptyRemovesOnlyKeysThatHoldNothingButTheirDefault) {
  FakeSetRegString(kCu, L"Software\\T\\OnlyDefault", L"", L"d");
  FakeSetRegString(kCu, L"Software\\T\\DefaultAndNamed", L"", L"d");
  FakeSetRegString(kCu, L"Software\\T\\DefaultAndNamed", L"n", L"v");
  FakeSetRegString(kCu, L"Software\\T\\LongName", std::wstring(300, L'n'), L"v");
  FakeAddRegKey(kCu, L"Software\\T\\WithSubkey\\Sub");
  FakeAddRegKey(kCu, L"Software\\T\\Unreadable");
  Fake().registry[{kCu, L"software\\t\\unreadable"}].readable = false;
  FakeAddRegKey(kCu, L"Software\\T\\Hollow");
  for (const wchar_t* key :
       {L"OnlyDefault", L"DefaultAndNamed", L"LongName", L"WithSubkey", L"Unreadable", L"Hollow"})
    Dispatch(L"-regkey", L"HKCU\\Software\\T\\" + std::wstring(key) + L" :: ifempty");
  EXPECT_FALSE(KeyExists(L"Software\\T\\OnlyDefault"));
  EXPECT_FALSE(KeyExists(L"Software\\T\\Hollow"));
  EXPECT_TRUE(KeyExists(L"Software\\T\\DefaultAndNamed"));
  EXPECT_TRUE(KeyExists(L"Software\\T\\LongName"));
  EXPECT_TRUE(KeyExists(L"Software\\T\\WithSubkey"));
  EXPECT_NE(Fake().registry.count({kCu, L"software\\t\\unreadable"}), 0u);

  Fake().registry[{kCu, L"software\\t\\unreadable"}].readable = true;
  Dispatch(L"-regkey", L"HKCU\\Software\\T");
  EXPECT_FALSE(KeyExists(L"Software\\T"));
  EXPECT_TRUE(KeyExists(L"Software"));
}

// The clean-up climbs while the path holds one of four Software spellings, in
// their exact letter case, and never removes the Software key itself.
TEST_F(RegItemsTest, ParentCleanUpStopsAtSoftwareAndFollowsItsLetterCases) {
  struct Case {
    RegRoot root;
    std::wstring written;  // the key as the configuration names it
    std::wstring kept;     // the lowest key left, as stored
    std::wstring removed;  // the highest key removed
  };
  const Case cases[] = {
      {kCu, L"HKCU\\Software\\Vendor\\App\\Sub", L"Software", L"Software\\Vendor"},
      {kCu, L"HKEY_CURRENT_USER\\Software\\Vendor\\App", L"Software", L"Software\\Vendor"},
      {RegRoot::LocalMachine, L"HKLM\\SOFTWARE\\Vendor\\App", L"SOFTWARE\\Vendor",
       L"SOFTWARE\\Vendor\\App"},
      {RegRoot::LocalMachine, L"HKLM\\Software\\Vendor\\App", L"Software\\Vendor",
       L"Software\\Vendor\\App"},
      {RegRoot::LocalMachine, L"HKLM\\SOFTWARE\\Software\\App\\Sub", L"SOFTWARE",
       L"SOFTWARE\\Software"},
  };
  for (const Case& c : cases) {
    FakeAddRegKey(c.root, c.written.substr(c.written.find(L'\\') + 1));
    DeleteRegKey(ctx, c.written, true, false);
    EXPECT_TRUE(KeyExists(c.kept, c.root)) << Utf8FromWide(c.written);
    EXPECT_FALSE(KeyExists(c.removed, c.root)) << Utf8FromWide(c.written);
    Fake().registry.clear();
  }
  // A parent that holds something else stays.
  FakeAddRegKey(kCu, L"Software\\Vendor\\App");
  FakeAddRegKey(kCu, L"Software\\Vendor\\Other");
  DeleteRegKey(ctx, L"HKCU\\Software\\Vendor\\App", true, false);
  EXPECT_FALSE(KeyExists(L"Software\\Vendor\\App"));
  EXPECT_TRUE(KeyExists(L"Software\\Vendor\\Other"));
}

TEST_F(RegItemsTest, KeyMovesCarryTheWholeTreeAndCopiesKeepTheSource) {
  FakeSetRegString(kCu, L"Software\\A\\Sub", L"s", L"1");
  FakeSetRegString(kCu, L"Software\\B", L"old", L"x");
  Dispatch(L"->regkey", L"HKCU\\Software\\A :: HKCU\\Software\\B :: move");
  EXPECT_FALSE(KeyExists(L"Software\\A"));
  EXPECT_EQ(ValueAt(L"Software\\B\\Sub", L"s"), (Stored{os::kRegSz, Sz(L"1")}));
  EXPECT_EQ(ValueAt(L"Software\\B", L"old"), std::nullopt);  // replaced, not merged
  Dispatch(L"<-regkey", L"HKCU\\Software\\C :: HKCU\\Software\\B");
  EXPECT_EQ(ValueAt(L"Software\\C\\Sub", L"s"), (Stored{os::kRegSz, Sz(L"1")}));
  EXPECT_TRUE(KeyExists(L"Software\\B\\Sub"));
}

// A move removes its source only when the copy is there: a tool that fails or
// does not end in time leaves the source where it was.
TEST_F(RegItemsTest, MovesKeepTheirSourceWhenTheCopyFailed) {
  struct Case {
    const char* what;
    std::function<void(FakeHiddenStart&)> spoil;  // applied to the copy step
  };
  const Case cases[] = {
      {"failed", [](FakeHiddenStart& s) { s.exitCode = 1; }},
      {"still running", [](FakeHiddenStart& s) { s.ended = false; }},
  };
  for (const Case& c : cases) {
    FakeSetRegString(kCu, L"Software\\A", L"v", L"data");
    Fake().onHiddenStart = [&](FakeHiddenStart& start) {
      if (!Contains(start.commandLine, L" COPY ") && !Contains(start.commandLine, L" ADD "))
        return FakeRunTools(start);
      c.spoil(start);
      return true;
    };
    Dispatch(L"->regkey", L"HKCU\\Software\\A :: HKCU\\Software\\B :: move");
    Dispatch(L"->regvalue", L"HKCU\\Software\\A\\v :: HKCU\\Software\\B\\v :: move");
    EXPECT_EQ(ValueAt(L"Software\\A", L"v"), (Stored{os::kRegSz, Sz(L"data")})) << c.what;
  }
}

// Every type, length and content arrives whole and the source goes; a copy that
// reads back differently keeps the source.
TEST_F(RegItemsTest, ValueMovesCarryEveryTypeIntact) {
  const Stored values[] = {
      {os::kRegSz, Sz(L"C:\\Program Files\\App\\")},
      {os::kRegSz, Sz(L"say \"hi\" \\\"")},
      {os::kRegSz, Sz(std::wstring(600, L'l'))},
      {os::kRegSz, Sz(L"line\r\nbreak")},
      {os::kRegSz, Sz(L"")},
      {os::kRegSz, std::string("A\0B", 3)},
      {os::kRegDword, "\xFF\xFF\xFF\xFF"},
      {os::kRegDword, std::string("\0\0\0\x80", 4)},
      {os::kRegQword, std::string(8, '\xFF')},
      {os::kRegMultiSz, fake_reg_detail::Utf16(std::wstring(L"a\0\0b\0\0", 6))},
      {os::kRegExpandSz, Sz(L"%TEMP%\\x")},
      {os::kRegBinary, std::string("\0\x01\xFF", 3)},
      {os::kRegNone, ""},
  };
  for (const Stored& value : values) {
    FakeSetRegValue(kCu, L"Software\\A", L"v", value.type, value.bytes);
    Dispatch(L"->regvalue", L"HKCU\\Software\\A\\v :: HKCU\\Software\\B\\w :: move");
    EXPECT_EQ(ValueAt(L"Software\\B", L"w"), value) << testing::PrintToString(value.bytes);
    EXPECT_EQ(ValueAt(L"Software\\A", L"v"), std::nullopt) << testing::PrintToString(value.bytes);
  }
  // Read access is enough to carry a value; one that cannot be removed stays.
  FakeSetRegString(kCu, L"Software\\ReadOnly", L"v", L"r");
  Fake().registry[{kCu, L"software\\readonly"}].fullAccess = false;
  Dispatch(L"->regvalue", L"HKCU\\Software\\ReadOnly\\v :: HKCU\\Software\\B\\r :: move");
  EXPECT_EQ(ValueAt(L"Software\\B", L"r"), (Stored{os::kRegSz, Sz(L"r")}));
  EXPECT_EQ(ValueAt(L"Software\\ReadOnly", L"v"), (Stored{os::kRegSz, Sz(L"r")}));
  EXPECT_FALSE(FakeHasFile(L"C:\\Users\\me\\AppData\\Local\\Temp\\Tool-import.reg"));
}

TEST_F(RegItemsTest, DeletedValuesGoAndAMissingOneStartsNothing) {
  FakeSetRegString(kCu, L"Software\\A", L"v", L"x");
  Dispatch(L"-regvalue", L"HKCU\\Software\\A :: v");
  Dispatch(L"-regvalue", L"HKCU\\Software\\A :: v");
  EXPECT_EQ(ValueAt(L"Software\\A", L"v"), std::nullopt);
  EXPECT_EQ(Fake().hiddenStarts.size(), 1u);
}
