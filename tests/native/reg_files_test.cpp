// `regexport`, `regimport` and `regmerge` against the in-memory registry, files
// and stand-in reg.exe: what the files hold, and that no file is lost or left
// half written.
#include "registry/reg_files.h"

#include <gtest/gtest.h>

#include "commands/run_section.h"
#include "registry/reg_file_format.h"
#include "tests/fake_platform/fake_reg_tool.h"
#include "tests/native/launcher_fixture.h"

using os::RegRoot;

namespace {

const RegRoot kCu = RegRoot::CurrentUser;
const std::wstring kSettings = L"C:\\P\\settings.reg";

std::string U16(const std::wstring& text) { return fake_reg_detail::Utf16(text); }

std::string UnicodeFile(const std::wstring& body) {
  return "\xFF\xFE" + U16(L"Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

}  // namespace

class RegFilesTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
    Fake().onHiddenStart = FakeRunTools;
  }
  void Dispatch(const std::wstring& key, const std::wstring& value) {
    DispatchKey(ctx, L"BEFORE", key, value);
  }
};

TEST_F(RegFilesTest, ExportNamesAKeyByItsTrailingBackslashAndAValueOtherwise) {
  FakeSetRegString(kCu, L"Software\\App", L"Lang", L"C:\\App\\x.ini");
  FakeSetRegDword(kCu, L"Software\\App\\Sub", L"n", 255);
  Dispatch(L"regexport", L"HKCU\\Software\\App\\ :: Data\\");
  EXPECT_EQ(
      FakeFileBytes(L"C:\\P\\Data\\settings.reg"),
      UnicodeFile(L"[HKEY_CURRENT_USER\\Software\\App]\r\n\"Lang\"=\"C:\\\\App\\\\x.ini\"\r\n"
                  L"\r\n[HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n\"n\"=dword:000000FF\r\n\r\n"));
  Dispatch(L"regexport", L"hkcu\\Software\\App\\Lang :: lang.reg");
  EXPECT_EQ(
      FakeFileBytes(L"C:\\P\\lang.reg"),
      UnicodeFile(L"[HKEY_CURRENT_USER\\Software\\App]\r\n\"Lang\"=\"C:\\\\App\\\\x.ini\"\r\n"));
}

// A missing value leaves no stale export of its own, and takes nothing else out.
TEST_F(RegFilesTest, AMissingValueRemovesAnOldExportButNoOtherData) {
  FakeAddFile(kSettings,
              UnicodeFile(L"[HKEY_CURRENT_USER\\Software\\App]\r\n\"Gone\"=\"old\"\r\n"));
  Dispatch(L"regexport", L"HKCU\\Software\\App\\Gone");
  EXPECT_FALSE(FakeHasFile(kSettings));

  FakeSetRegString(kCu, L"Software\\App", L"Here", L"x");
  Dispatch(L"regexport", L"HKCU\\Software\\App\\Here");
  Dispatch(L"regexport", L"HKCU\\Software\\App\\Gone");
  EXPECT_TRUE(RegFileHoldsKey(FakeFileBytes(kSettings), L"HKCU\\Software\\App"));
}

// Items sharing a file each replace only their own part, where it stood: what
// the others keep there stays, whichever items export in a run and in what order.
TEST_F(RegFilesTest, ExportsReplaceOnlyTheirOwnPartOfASharedFile) {
  FakeSetRegString(kCu, L"Software\\One", L"a", L"1");
  FakeSetRegString(kCu, L"Software\\Two", L"b", L"2");
  const std::wstring old = L"[HKEY_CURRENT_USER\\Software\\Old]\r\n\"o\"=\"0\"\r\n\r\n";
  const std::wstring two = L"[HKEY_CURRENT_USER\\Software\\Two]\r\n";
  FakeAddFile(kSettings,
              UnicodeFile(old + L"[HKEY_CURRENT_USER\\Software\\One]\r\n\"a\"=\"0\"\r\n\r\n" + two +
                          L"\"gone\"=\"9\"\r\n"));
  const std::wstring one = L"[HKEY_CURRENT_USER\\Software\\One]\r\n\"a\"=\"1\"\r\n\r\n";
  const std::string both =
      UnicodeFile(old + one + two + L"\"gone\"=\"9\"\r\n\r\n" + two + L"\"b\"=\"2\"\r\n");
  Dispatch(L"regexport", L"HKCU\\Software\\One\\");
  Dispatch(L"regexport", L"HKCU\\Software\\Two\\b");
  EXPECT_EQ(FakeFileBytes(kSettings), both);
  EXPECT_FALSE(FakeHasFile(kSettings + L".voq-part"));
  ctx.phase = L"AFTER";
  Dispatch(L"regexport", L"HKCU\\Software\\Two\\b");
  Dispatch(L"regexport", L"HKCU\\Software\\One\\");
  EXPECT_EQ(FakeFileBytes(kSettings), both);
  // A value that is gone takes out its own line only.
  Dispatch(L"regexport", L"HKCU\\Software\\Two\\gone");
  EXPECT_EQ(FakeFileBytes(kSettings), UnicodeFile(old + one + two + L"\"b\"=\"2\"\r\n"));
}

TEST_F(RegFilesTest, AnExportThatCannotBeWrittenKeepsTheOldFile) {
  FakeSetRegString(kCu, L"Software\\App", L"a", L"1");
  FakeAddFile(kSettings, "old");
  Fake().readOnlyFiles.insert(LowerAscii(kSettings));
  Dispatch(L"regexport", L"HKCU\\Software\\App\\");
  Dispatch(L"regexport", L"HKCU\\Software\\App\\a");
  EXPECT_EQ(FakeFileBytes(kSettings), "old");
  EXPECT_EQ(Fake().files.size(), 1u);
  // Nor is a file that the registry editor would not read, whose data no item can
  // bring in either.
  const std::string foreign = "; mine\r\nREGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\App]\r\n";
  FakeAddFile(kSettings, foreign);
  Fake().readOnlyFiles.clear();
  EXPECT_FALSE(ExportRegKey(ctx, L"HKCU\\Software\\App", L""));
  EXPECT_FALSE(ExportRegValue(ctx, L"HKCU\\Software\\App\\gone", L""));
  EXPECT_FALSE(ImportRegFileFor(ctx, L"", L"HKCU\\Software\\App", nullptr));
  EXPECT_EQ(FakeFileBytes(kSettings), foreign);
}

TEST_F(RegFilesTest, ImportBringsInEveryValueOfTheFile) {
  FakeAddFile(
      L"C:\\P\\in.reg",
      UnicodeFile(L"[HKEY_CURRENT_USER\\Software\\In]\r\n@=\"d\"\r\n\"t\"=\"a\\\"b\\\\\"\r\n"
                  L"\"m\"=hex(7):61,00,00,00,\\\r\n  00,00\r\n"));
  Dispatch(L"regimport", L"in.reg");
  EXPECT_EQ(os::QueryRegData(kCu, L"Software\\In", L"t").bytes, U16(std::wstring(L"a\"b\\\0", 5)));
  EXPECT_EQ(os::QueryRegData(kCu, L"Software\\In", L"m").bytes, U16(std::wstring(L"a\0\0", 3)));
  EXPECT_EQ(os::QueryRegData(kCu, L"Software\\In", L"").bytes, U16(std::wstring(L"d\0", 2)));
}

TEST_F(RegFilesTest, MergingLeavesOneHeaderAndRemovesTheAppendedFile) {
  FakeAddFile(L"C:\\P\\a.reg", UnicodeFile(L"[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\r\n"));
  FakeAddFile(L"C:\\P\\b.reg", UnicodeFile(L"[HKEY_CURRENT_USER\\B]\r\n\"y\"=\"2\"\r\n\r\n"));
  Dispatch(L"regmerge", L"a.reg :: b.reg");
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\a.reg"),
            UnicodeFile(L"[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\r\n"
                        L"[HKEY_CURRENT_USER\\B]\r\n\"y\"=\"2\"\r\n\r\n\r\n"));
  EXPECT_FALSE(FakeHasFile(L"C:\\P\\b.reg"));
}

// The appended file goes only once the target holds it; a file is never merged
// into itself, in any spelling.
TEST_F(RegFilesTest, MergeDeletesNothingItDidNotWrite) {
  const std::string a = UnicodeFile(L"[HKEY_CURRENT_USER\\A]\r\n");
  const std::string b = UnicodeFile(L"[HKEY_CURRENT_USER\\B]\r\n");
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::wstring value;
  };
  const Case cases[] = {
      {"into itself", [] {}, L"a.reg :: C:\\P\\A.REG"},
      {"read-only target", [] { Fake().readOnlyFiles.insert(L"c:\\p\\a.reg"); }, L"a.reg :: b.reg"},
      {"unreadable append file", [] { Fake().lockedFiles.insert(L"c:\\p\\b.reg"); },
       L"a.reg :: b.reg"},
      {"missing target", [] { Fake().files.erase(L"c:\\p\\a.reg"); }, L"a.reg :: b.reg"},
  };
  for (const Case& c : cases) {
    FakeAddFile(L"C:\\P\\a.reg", a);
    FakeAddFile(L"C:\\P\\b.reg", b);
    c.arrange();
    Dispatch(L"regmerge", c.value);
    EXPECT_TRUE(FakeHasFile(L"C:\\P\\b.reg")) << c.what;
    EXPECT_EQ(FakeFileBytes(L"C:\\P\\b.reg"), b) << c.what;
    if (FakeHasFile(L"C:\\P\\a.reg")) {
      EXPECT_EQ(FakeFileBytes(L"C:\\P\\a.reg"), a) << c.what;
    }
    Fake().readOnlyFiles.clear();
    Fake().lockedFiles.clear();
  }
}

// Damaged, foreign or huge files are appended as text, whole, and nothing else is
// touched.
TEST_F(RegFilesTest, BadRegistryFilesMergeWithoutHarm) {
  std::wstring many;
  for (int i = 0; i < 210000; ++i) many += L"\"v" + std::to_wstring(i) + L"\"=\"value value\"\r\n";
  const std::string huge = UnicodeFile(L"[HKEY_CURRENT_USER\\Big]\r\n" + many);
  ASSERT_GT(huge.size(), 10u * 1000 * 1000);
  struct Case {
    const char* what;
    std::string appended, added;
  };
  const Case cases[] = {
      {"UTF-32", std::string("\xFF\xFE\0\0R\0\0\0", 8), U16(L"\r\n")},
      {"binary", std::string("\x80\x81\0\x82", 4), U16(L"\u20AC\u0081\r\n")},
      {"broken header", "REGEDIT\r\n\r\n[x]", U16(L"REGEDIT\r\n\r\n[x]\r\n")},
      {"cut in a character",
       std::string("\xFF\xFE"
                   "A\0B",
                   5),
       U16(L"A\r\n")},
      {"huge", huge, U16(L"[HKEY_CURRENT_USER\\Big]\r\n" + many + L"\r\n")},
  };
  for (const Case& c : cases) {
    FakeAddFile(L"C:\\P\\t.reg", "\xFF\xFE");
    FakeAddFile(L"C:\\P\\x.reg", c.appended);
    Dispatch(L"regmerge", L"t.reg :: x.reg");
    EXPECT_EQ(FakeFileBytes(L"C:\\P\\t.reg"), "\xFF\xFE" + c.added) << c.what;
    EXPECT_FALSE(FakeHasFile(L"C:\\P\\x.reg")) << c.what;
  }
}
