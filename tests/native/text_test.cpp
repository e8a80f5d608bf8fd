#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

TEST(Text, TrimSpacesKeepsTabsTrimBlanksDropsThem) {
  EXPECT_EQ(TrimSpaces(L"  \t a b \t  "), L"\t a b \t");
  EXPECT_EQ(TrimBlanks(L"  \t a b \t  "), L"a b");
  EXPECT_EQ(TrimSpaces(L"   "), L"");
  EXPECT_EQ(TrimBlanks(L""), L"");
}

TEST(Text, ReplaceAllScansLeftToRightWithoutOverlapOrRescan) {
  EXPECT_EQ(ReplaceAll(L"aaa", L"aa", L"b"), L"ba");
  EXPECT_EQ(ReplaceAll(L"x.y.z", L".", L".."), L"x..y..z");
  EXPECT_EQ(ReplaceAll(L"Ab ab", L"ab", L"c"), L"Ab c");
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
}

TEST(Text, AsciiCaseFoldingLeavesOtherLettersAlone) {
  EXPECT_EQ(LowerAscii(L"AZ[az]\u00C9"), L"az[az]\u00C9");
  EXPECT_TRUE(EqualsIgnoringAsciiCase(L"GENERAL", L"general"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(L"\u00C9", L"\u00E9"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(L"ab", L"abc"));
  // '@' and '`' sit just outside A-Z and a-z.
  EXPECT_FALSE(EqualsIgnoringAsciiCase(L"@", L"`"));
}

TEST(Text, Utf8RoundTripsEveryLength) {
  const std::string bytes = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  const std::wstring text = WideFromUtf8(bytes);
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(text, (std::wstring{L'a', 0xE9, 0x20AC, static_cast<wchar_t>(0xD83D),
                                  static_cast<wchar_t>(0xDE00)}));
  } else {
    EXPECT_EQ(text, (std::wstring{L'a', 0xE9, 0x20AC, static_cast<wchar_t>(0x1F600)}));
  }
  EXPECT_EQ(Utf8FromWide(text), bytes);
  EXPECT_EQ(WideFromUtf8(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Text, MalformedUtf8GivesOneReplacementPerBadSequence) {
  EXPECT_EQ(WideFromUtf8("\x80z"), L"\uFFFDz");              // stray continuation
  EXPECT_EQ(WideFromUtf8("\xE2\x82z"), L"\uFFFDz");          // cut short by an ASCII byte
  EXPECT_EQ(WideFromUtf8("z\xE2\x82"), L"z\uFFFD");          // cut short by the end
  EXPECT_EQ(WideFromUtf8("\xC0\xAF"), L"\uFFFD");            // overlong "/"
  EXPECT_EQ(WideFromUtf8("\xED\xA0\x80"), L"\uFFFD");        // encoded surrogate
  EXPECT_EQ(WideFromUtf8("\xF4\x90\x80\x80"), L"\uFFFD");    // past U+10FFFF
  EXPECT_EQ(WideFromUtf8("\xFF\xFE"), L"\uFFFD\uFFFD");      // never valid
  EXPECT_EQ(WideFromUtf8("\xC3\xC3\xA9"), L"\uFFFD\u00E9");  // bad byte starts the next one
}

TEST(Text, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::wstring lone{L'a', static_cast<wchar_t>(0xD800), L'b'};
  EXPECT_EQ(Utf8FromWide(lone),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(Text, Utf16LeUnitsStopAtTheFirstZeroUnitAndKeepLoneSurrogates) {
  const struct {
    std::string bytes;
    std::wstring units;
  } rows[] = {
      {"", L""},
      {std::string("a\0b\0", 4), L"ab"},
      {std::string("a\0\0\0b\0", 6), L"a"},      // a zero unit ends the text
      {std::string("a\0\0b\0", 5), L"a\x6200"},  // a zero byte alone does not
      {std::string("a\0b", 3), L"a"},            // an odd last byte is no unit
      {std::string("\xAC\x20\x00\xD8", 4), {wchar_t(0x20AC), wchar_t(0xD800)}},  // low byte first
  };
  for (const auto& row : rows) EXPECT_EQ(Utf16LeUnits(row.bytes), row.units);
}
