// `replace` and `replaceline`: every format read and written back as it was, and
// what cannot be read left byte for byte.
#include "commands/text_edits.h"

#include <optional>

#include "fileops/atomic_write.h"
#include "fileops/text_format.h"
#include "platform/text.h"
#include "tests/native/launcher_fixture.h"

namespace {

const std::wstring kFile = L"C:\\P\\app.txt";

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

class TextEditsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }
  std::string Replace(const std::string& bytes, const std::wstring& rest) {
    FakeAddFile(kFile, bytes);
    ReplaceInFile(ctx, L"app.txt :: " + rest);
    EXPECT_FALSE(FakeHasFile(AtomicWriteTempName(kFile)));
    return FakeFileBytes(kFile);
  }
  std::string ReplaceLine(const std::string& bytes, const std::wstring& rest) {
    FakeAddFile(kFile, bytes);
    ReplaceLineCommand(ctx, L"app.txt :: " + rest);
    return FakeFileBytes(kFile);
  }
};

}  // namespace

TEST(TextFormat, DecodesWhatComesBackByteForByteAndRefusesTheRest) {
  struct Row {
    std::string bytes;
    std::optional<TextFormat> format;  // nullopt: cannot be read faithfully
    std::wstring text;
  };
  const Row rows[] = {
      {"", TextFormat::Ansi, L""},
      {"caf\xE9 \x80", TextFormat::Ansi, L"caf\u00E9 \u20AC"},
      {"caf\xC3\xA9", TextFormat::Utf8, L"caf\u00E9"},
      {"\xEF\xBB\xBFok\xE2\x82\xAC", TextFormat::Utf8WithMark, L"ok\u20AC"},
      {"\xEF\xBB\xBFplain", TextFormat::Utf8WithMark, L"plain"},
      {Utf16("a\r\nb"), TextFormat::Utf16Le, L"a\r\nb"},
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextFormat::Utf16Le,
       WideFromUtf8("\xF0\x9F\x98\x80")},
      {std::string("\xFE\xFF\x00\x61", 4), std::nullopt, L""},                  // UTF-16BE
      {std::string("\xFF\xFE\x00\x00\x61\x00\x00\x00", 8), std::nullopt, L""},  // UTF-32LE
      {std::string("\x00\x00\xFE\xFF", 4), std::nullopt, L""},                  // UTF-32BE
      {std::string("a\0b", 3), std::nullopt, L""},                      // zero in 8-bit text
      {std::string("\xFF\xFE\x61\x00\x00\x00", 6), std::nullopt, L""},  // zero character
      {"\xFF\xFE\x61", std::nullopt, L""},                              // odd UTF-16 length
      {std::string("\xFF\xFE\x00\xDC", 4), std::nullopt, L""},          // unpaired surrogate
      {"\xEF\xBB\xBF\xC3", std::nullopt, L""},                          // malformed after mark
  };
  for (const Row& row : rows) {
    const std::optional<DecodedText> decoded = DecodeText(row.bytes);
    ASSERT_EQ(decoded.has_value(), row.format.has_value()) << row.bytes;
    if (!decoded) continue;
    EXPECT_EQ(decoded->format, *row.format) << row.bytes;
    EXPECT_EQ(decoded->text, row.text) << row.bytes;
    EXPECT_EQ(EncodeText(decoded->text, decoded->format), row.bytes) << row.bytes;
  }
  // A character the code page lacks would become "?"; bytes that read back as
  // UTF-8, or a text that begins with what reads as a mark, as another text.
  EXPECT_EQ(EncodeText(L"a\u2192b", TextFormat::Ansi), std::nullopt);
  EXPECT_EQ(EncodeText(L"\u00C3\u00A9", TextFormat::Ansi), std::nullopt);
  EXPECT_EQ(EncodeText(L"\uFEFFa", TextFormat::Utf8), std::nullopt);
}

TEST(TextFormat, WellFormedUtf8RejectsOverlongSurrogateAndOutOfRangeForms) {
  for (const char* good : {"", "a", "\xC2\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(IsWellFormedUtf8(good)) << good;
  for (const char* bad : {"\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\x80", "\xE2\x82", "\xC3\x28"})
    EXPECT_FALSE(IsWellFormedUtf8(bad)) << bad;
}

TEST_F(TextEditsTest, ReplaceKeepsTheFormatTheMarkAndEveryUntouchedByte) {
  struct Row {
    std::string before, after;
  };
  const Row rows[] = {
      {Utf16("p=C:\\Old\\a\r\nq=C:\\Old\n"), Utf16("p=D:\\New\\a\r\nq=D:\\New\n")},
      {"\xEF\xBB\xBF\xC3\xBC C:\\Old\r", "\xEF\xBB\xBF\xC3\xBC D:\\New\r"},
      {"\xC3\xBC C:\\Old", "\xC3\xBC D:\\New"},
      {"\xFC C:\\Old\r\n\r\n", "\xFC D:\\New\r\n\r\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(Replace(row.before, L"C:\\Old :: D:\\New"), row.after);
  // Into UTF-8 without a mark "ü" goes as two bytes; into ANSI as one.
  EXPECT_EQ(Replace("\xC3\xA9 x", L"x :: \u00FC"), "\xC3\xA9 \xC3\xBC");
  EXPECT_EQ(Replace("x", L"x :: \u00FC"), "\xFC");
  // A shorter replacement leaves nothing of the old text at the end.
  EXPECT_EQ(Replace("aaaa-aaaa", L"aaaa :: b"), "b-b");
}

TEST_F(TextEditsTest, ReplaceLeavesAloneWhatItCannotReadOrWouldNotChange) {
  const std::string cases[] = {
      std::string("\xFE\xFF\x00\x61", 4),  // UTF-16BE
      std::string("a\0a", 3),              // zero in 8-bit text
      "no match here",                     // nothing found: no CR LF added, no rewrite
      "a",                                 // the replacement has no ANSI form
  };
  for (const std::string& bytes : cases) EXPECT_EQ(Replace(bytes, L"a :: \u2192"), bytes);
  EXPECT_EQ(Replace("a", L" :: b"), "a");  // empty find text

  // Read-only, or no room for the new file beside it: the old file stays whole.
  FakeAddFile(kFile, "a");
  Fake().readOnlyFiles.insert(LowerAscii(kFile));
  ReplaceInFile(ctx, L"app.txt :: a :: b");
  EXPECT_EQ(FakeFileBytes(kFile), "a");
  FakeAddFile(L"C:\\Gone\\app.txt", "a");  // its folder refuses new files
  ReplaceInFile(ctx, L"C:\\Gone\\app.txt :: a :: b");
  EXPECT_EQ(FakeFileBytes(L"C:\\Gone\\app.txt"), "a");
  // A folder or a missing file is not touched.
  FakeAddFolder(L"C:\\P\\dir.txt");
  ReplaceInFile(ctx, L"dir.txt :: a :: b");
  ReplaceInFile(ctx, L"missing.txt :: a :: b");
  EXPECT_FALSE(FakeHasFile(L"C:\\P\\missing.txt"));
}

TEST_F(TextEditsTest, SeparatorTailIsCutOnlyWhenTheReplacementIsEmpty) {
  // The prepared value "app.txt :: a::b ::" ends with what trimming left of " :: ".
  EXPECT_EQ(Replace("xa::by ab", L"a::b ::"), "xy ab");
  EXPECT_EQ(Replace("xa::by", L"a::b :: c"), "xcy");
  EXPECT_EQ(Replace("x::y::", L"y:: :: z"), "x::z");
}

TEST_F(TextEditsTest, ReplaceHandlesMegabytesWithMixedLineEnds) {
  std::string big;
  // Two megabytes here; the Windows suite takes twenty through the real code page.
  while (big.size() < (2u << 20)) big += "path=C:\\Old\\x\r\nline\nother\r";
  std::string expected = big;
  for (std::size_t at = 0; (at = expected.find("C:\\Old", at)) != std::string::npos; at += 6)
    expected.replace(at, 6, "E:\\New");
  EXPECT_EQ(Replace(big, L"C:\\Old :: E:\\New"), expected);
}

TEST_F(TextEditsTest, ReplacelineChangesOnlyTheFirstMatchInTheFilesOwnFormat) {
  struct Row {
    std::string before;
    std::wstring value;
    std::string after;
  };
  const Row rows[] = {
      // Mixed line ends and the other lines stay; the match keeps its own end.
      {"a=1\nkey=2\r\nb\rkey=5\n", L"key= :: key=9", "a=1\nkey=9\r\nb\rkey=5\n"},
      {"x\r\nkey=old", L"key :: key=\u00FC", "x\r\nkey=\xFC"},  // last line, no end; ANSI
      {"\xEF\xBB\xBFkey=1\r\n", L"key :: k\u00FC", "\xEF\xBB\xBFk\xC3\xBC\r\n"},  // mark kept
      {Utf16("a\r\nkey=1\r\n"), L"key :: key=2", Utf16("a\r\nkey=2\r\n")},
      {"\xC3\xBC\nkey", L"key :: \u00E9", "\xC3\xBC\n\xC3\xA9"},        // UTF-8 without mark
      {" key=1\n", L"key :: x", " key=1\n"},                            // begins with a blank
      {"key=1\n", L" :: x", "key=1\n"},                                 // empty start: no line
      {std::string("key\0", 4), L"key :: x", std::string("key\0", 4)},  // unreadable
  };
  for (const Row& row : rows) EXPECT_EQ(ReplaceLine(row.before, row.value), row.after);
}
