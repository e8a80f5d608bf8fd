#include "values/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Decoded(std::wstring_view text) { return DecodeBase64(text).value_or("<malformed>"); }

}  // namespace

// RFC 4648, section 10.
TEST(Base64, EncodesTheStandardVectors) {
  EXPECT_EQ(EncodeBase64(""), L"");
  EXPECT_EQ(EncodeBase64("f"), L"Zg==");
  EXPECT_EQ(EncodeBase64("fo"), L"Zm8=");
  EXPECT_EQ(EncodeBase64("foo"), L"Zm9v");
  EXPECT_EQ(EncodeBase64("foob"), L"Zm9vYg==");
  EXPECT_EQ(EncodeBase64("fooba"), L"Zm9vYmE=");
  EXPECT_EQ(EncodeBase64("foobar"), L"Zm9vYmFy");
  // 0xFB 0xEF 0xFF: every sextet of the top of the alphabet, and bytes above 0x7F.
  EXPECT_EQ(EncodeBase64("\xFB\xEF\xFF"), L"++//");
  EXPECT_EQ(EncodeBase64(std::string("a\0b", 3)), L"YQBi");
}

TEST(Base64, DecodesTheStandardVectors) {
  EXPECT_EQ(Decoded(L""), "");
  EXPECT_EQ(Decoded(L"Zg=="), "f");
  EXPECT_EQ(Decoded(L"Zm8="), "fo");
  EXPECT_EQ(Decoded(L"Zm9v"), "foo");
  EXPECT_EQ(Decoded(L"Zm9vYg=="), "foob");
  EXPECT_EQ(Decoded(L"Zm9vYmE="), "fooba");
  EXPECT_EQ(Decoded(L"Zm9vYmFy"), "foobar");
  EXPECT_EQ(Decoded(L"++//"), "\xFB\xEF\xFF");
  EXPECT_EQ(Decoded(L"YQBi"), std::string("a\0b", 3));
}

TEST(Base64, DecoderTakesTheUrlAlphabetAndSkipsLineBreaksAndTabs) {
  EXPECT_EQ(Decoded(L"--__"), "\xFB\xEF\xFF");
  EXPECT_EQ(Decoded(L"+-/_"), "\xFB\xEF\xFF");  // both alphabets mixed in one group
  EXPECT_EQ(Decoded(L"Zm\r\n9v\tYm\nFy"), "foobar");
  EXPECT_EQ(Decoded(L"\r\n\t"), "");
}

TEST(Base64, PaddingEndsItsGroupAndTheNextGroupGoesOn) {
  EXPECT_EQ(Decoded(L"Zg==Zm8=Zm9v"), "ffofoo");
  // "=" early in a group: one sextet or none makes no whole byte.
  EXPECT_EQ(Decoded(L"====Zm9v"), "foo");
  EXPECT_EQ(Decoded(L"Z===Zm9v"), "foo");
  // What stands after "=" in its group is not read.
  EXPECT_EQ(Decoded(L"Zg=!"), "f");
}

TEST(Base64, TailOfFewerThanFourCharactersIsIgnored) {
  EXPECT_EQ(Decoded(L"Zm9vYg"), "foo");
  EXPECT_EQ(Decoded(L"Zm9vY"), "foo");
  EXPECT_EQ(Decoded(L"Zm9"), "");
  // Line breaks do not count as characters of the tail.
  EXPECT_EQ(Decoded(L"Zm9vY\r\n\r\n"), "foo");
}

TEST(Base64, CharactersOutsideTheAlphabetMakeTheTextMalformed) {
  EXPECT_FALSE(DecodeBase64(L"Zm9v!mFy"));
  EXPECT_FALSE(DecodeBase64(L"Zm9 vYmFy"));  // a space is not skipped
  EXPECT_FALSE(DecodeBase64(L"Zm9v\u00C4mFy"));
  EXPECT_FALSE(DecodeBase64(std::wstring(L"Zm\0v", 4)));
}

TEST(Base64, LargeInputRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 75000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));
  const std::wstring text = EncodeBase64(bytes);
  EXPECT_EQ(text.size(), 100000u);
  EXPECT_EQ(Decoded(text), bytes);
}
