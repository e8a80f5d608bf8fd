// `iniread` and `iniwrite` on the application's ini files.
#include "commands/run_section.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/native/launcher_fixture.h"
#include "values/scramble_format.h"
#include "values/user_vars.h"

namespace {

const std::wstring kIni = L"C:\\P\\app.ini";

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

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

// The file's encoding and every line the edit is not about stay byte for byte.
TEST_F(IniEditTest, IniwriteChangesOnlyItsLineAndKeepsTheEncoding) {
  const std::string ini = "[Old]\r\na=1\r\n[Win]\r\nsize=1\r\nPos=2\r\n";
  const std::string ansi = "[S]\r\nname=caf\xE9\r\n";
  struct Row {
    std::string before;
    std::wstring value;
    std::string after;
  };
  const Row rows[] = {
      {ini, L"Win :: Pos :: 9", "[Old]\r\na=1\r\n[Win]\r\nsize=1\r\nPos=9\r\n"},
      {ini, L"New :: k :: v", ini + "\r\n[New]\r\nk=v\r\n"},
      {ini, L"--Old :: Pos :: 9", "[Win]\r\nsize=1\r\nPos=2\r\n"},
      {ini, L"Win :: Pos", "[Old]\r\na=1\r\n[Win]\r\nsize=1\r\n"},
      {ini, L"Win :: Pos :: 9 :: no overwrite", ini},
      // "size" is not "Size": written over, and the stored name becomes Size.
      {ini, L"Win :: Size :: 5 :: no overwrite", "[Old]\r\na=1\r\n[Win]\r\nSize=5\r\nPos=2\r\n"},
      {ini, L"Win :: gone", ini},  // removing what is not there changes nothing
      {ini, L"--Missing", ini},
      // Only the leading marker is taken off: "--a--b" names the section "a--b".
      {"[ab]\r\nx=1\r\n[a--b]\r\ny=2\r\n", L"--a--b", "[ab]\r\nx=1\r\n"},
      // ANSI stays ANSI; what the code page lacks, or would read back as UTF-8, is
      // not written at all.
      {ansi, L"S :: path :: C:\\J\u00FCrgen", ansi + "path=C:\\J\xFCrgen\r\n"},
      {ansi, L"S :: path :: \u4E2D", ansi},
      {"[S]\r\nk=1\r\n", L"S :: k :: 2", "[S]\r\nk=2\r\n"},  // ASCII gains no mark
      {"[S]\r\nk=1\r\n", L"S :: k :: \u20AC", "[S]\r\nk=\x80\r\n"},
      {"[S]\r\nk=1\r\n", L"S :: k :: \u2192", "[S]\r\nk=1\r\n"},
      {"[S]\r\nk=1\r\n", L"S :: k :: \u00C3\u00A9", "[S]\r\nk=1\r\n"},
      {"[S]\r\nk=caf\xC3\xA9\r\n", L"S :: n :: \u2192",
       "[S]\r\nk=caf\xC3\xA9\r\nn=\xE2\x86\x92\r\n"},
      {"\xEF\xBB\xBF[S]\nk=1\n", L"S :: k :: \u00FC", "\xEF\xBB\xBF[S]\nk=\xC3\xBC\n"},
      {Utf16("[S]\r\nk=1\r\n"), L"S :: k :: 2", Utf16("[S]\r\nk=2\r\n")},
      // Blank lines, comments, indentation, spacing and line ends stay; a new key
      // follows the section's last key in its spacing, a changed one keeps its own.
      {"; top\r\n\r\n[S]\n  a = 1\r\n\r\n; c\r\n[T]\rb=2\r", L"S :: n :: 3",
       "; top\r\n\r\n[S]\n  a = 1\r\n  n = 3\r\n\r\n; c\r\n[T]\rb=2\r"},
      {"[S]\r\n\tk =  old  \r\n", L"S :: K :: new", "[S]\r\n\tK =  new\r\n"},
      {"[S]\r\na=1", L"S :: b :: 2", "[S]\r\na=1\r\nb=2"},
      {"[S]\na=1\n\n", L"T :: k :: v", "[S]\na=1\n\n[T]\nk=v\n"},
      // A line end in a value would add lines of its own to the file.
      {"[S]\r\nk=1\r\n", L"S :: k :: a\r\n[X]", "[S]\r\nk=1\r\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(Write(row.before, row.value), row.after) << row.value;
}

TEST_F(IniEditTest, IniwriteCreatesTheFileAndItsFolder) {
  Fake().onHiddenStart = FakeInterpret;
  DispatchKey(ctx, L"BEFORE", L"iniwrite", L"New\\Dir\\app.ini :: S :: k :: \u00FC");
  // Created empty first, so in the code page like any file without a mark.
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\New\\Dir\\app.ini"), "[S]\r\nk=\xFC\r\n");
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
