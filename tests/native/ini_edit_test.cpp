// `iniread` and `iniwrite` on the application's ini files.
#include "commands/run_section.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/native/launcher_fixture.h"
#include "values/scramble_format.h"
#include "values/user_vars.h"

namespace {

const std::wstring kIni = L"C:\\P\\app.ini";
// Written back as every rewritten ini file without a mark: the mark, an empty line.
const std::string kHead = "\xEF\xBB\xBF\r\n";

class IniEditTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }
  std::string Write(const std::string& before, const std::wstring& value) {
    FakeAddFile(kIni, before);
    DispatchKey(ctx, L"BEFORE", L"iniwrite", L"app.ini :: " + value);
    return FakeFileBytes(kIni);
  }
  std::wstring Read(const std::wstring& value, const std::wstring& file = L"app.ini") {
    DispatchKey(ctx, L"BEFORE", L"iniread", file + L" :: " + value + L" :: Var");
    return LookupUserVar(ctx, L"Var");
  }
};

}  // namespace

TEST_F(IniEditTest, IniwriteWritesRemovesAndKeepsAsAsked) {
  const std::string ini = "[Old]\r\na=1\r\n[Win]\r\nsize=1\r\nPos=2\r\n";
  struct Row {
    std::wstring value;
    std::string after;
  };
  const Row rows[] = {
      // Compact "=", a blank line before every section but the first.
      {L"Win :: Pos :: 9", kHead + "[Old]\r\na=1\r\n\r\n[Win]\r\nsize=1\r\nPos=9\r\n"},
      {L"New :: k :: v",
       kHead + "[Old]\r\na=1\r\n\r\n[Win]\r\nsize=1\r\nPos=2\r\n\r\n[New]\r\nk=v\r\n"},
      {L"--Old :: Pos :: 9", kHead + "[Win]\r\nsize=1\r\nPos=2\r\n"},
      {L"Win :: Pos", kHead + "[Old]\r\na=1\r\n\r\n[Win]\r\nsize=1\r\n"},
      {L"Win :: Pos :: 9 :: no overwrite", ini},
      // "size" is not "Size": written over, and the stored name becomes Size.
      {L"Win :: Size :: 5 :: no overwrite",
       kHead + "[Old]\r\na=1\r\n\r\n[Win]\r\nSize=5\r\nPos=2\r\n"},
      {L"Win :: gone", ini},  // removing what is not there changes nothing
      {L"--Missing", ini},
  };
  for (const Row& row : rows) EXPECT_EQ(Write(ini, row.value), row.after) << row.value;
  // Only the leading marker is taken off: "--a--b" names the section "a--b".
  EXPECT_EQ(Write("[ab]\r\nx=1\r\n[a--b]\r\ny=2\r\n", L"--a--b"), kHead + "[ab]\r\nx=1\r\n");
}

TEST_F(IniEditTest, IniwriteCreatesTheFileAndItsFolder) {
  Fake().onHiddenStart = FakeInterpret;
  DispatchKey(ctx, L"BEFORE", L"iniwrite", L"New\\Dir\\app.ini :: S :: k :: \u00FC");
  // Created empty first, so written without a mark: UTF-8 that reads back as such.
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\New\\Dir\\app.ini"), "[S]\r\nk=\xC3\xBC\r\n");
  EXPECT_EQ(Read(L"S :: k", L"New\\Dir\\app.ini"), L"\u00FC");
}

TEST_F(IniEditTest, IniwriteLeavesAnUnreadableOrFolderTargetAlone) {
  const std::string utf16be("\xFE\xFF\0[\0S\0]", 8);
  EXPECT_EQ(Write(utf16be, L"S :: k :: v"), utf16be);
  FakeAddFolder(L"C:\\P\\dir.ini");
  DispatchKey(ctx, L"BEFORE", L"iniwrite", L"dir.ini :: S :: k :: v");
  EXPECT_FALSE(FakeHasFile(L"C:\\P\\dir.ini"));
}

TEST_F(IniEditTest, IniReadStoresTheValueAsAUserVariable) {
  FakeAddFile(kIni, "top=T\r\n[S]\r\nk = v one \r\nenc=" +
                        Utf8FromWide(*ScrambleValueWithPassword(L"secret", L"pw")) + "\r\n");
  EXPECT_EQ(Read(L"S :: k"), L"v one");
  EXPECT_EQ(Read(L" :: top"), L"T");  // no section: the keys above the first one
  EXPECT_EQ(Read(L"S :: missing"), L"");
  EXPECT_EQ(Read(L"--S :: k"), L"");  // a section literally named "--S"
  // Decoded with the password the user gave at start.
  ctx.rememberedKeyStream = KeyStreamOf(L"pw");
  EXPECT_EQ(Read(L"S :: enc"), L"secret");
  EXPECT_TRUE(Fake().requests.empty());
}

TEST_F(IniEditTest, IniReadOfAMissingFileCreatesItEmpty) {
  EXPECT_EQ(Read(L"S :: k"), L"");
  EXPECT_TRUE(FakeHasFile(kIni));
  EXPECT_EQ(FakeFileBytes(kIni), "");
  EXPECT_EQ(ctx.userVarStores, 1);
}
