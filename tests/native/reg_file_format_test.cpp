// Registry files and reg.exe arguments, byte for byte: what the launcher writes
// for a value, how it reads and appends registry files, and how texts are quoted
// so that the tool reads them back as written.
#include "registry/reg_file_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "registry/reg_arguments.h"
#include "tests/fake_platform/fake_reg_tool.h"

namespace {

std::string U16(const std::wstring& text) { return fake_reg_detail::Utf16(text); }
std::string Sz(const std::wstring& text) { return U16(text + std::wstring(1, L'\0')); }

}  // namespace

TEST(RegArguments, TextsArriveAsWrittenAndPlainOnesKeepTheirPlainForm) {
  struct Case {
    std::wstring text, quoted, argument;
  };
  const Case cases[] = {
      {L"HKCU\\Software\\A", L"\"HKCU\\Software\\A\"", L"HKCU\\Software\\A"},
      {L"C:\\Program Files\\App\\", L"\"C:\\Program Files\\App\\\\\"",
       L"\"C:\\Program Files\\App\\\\\""},
      {L"C:\\App\\", L"\"C:\\App\\\\\"", L"C:\\App\\"},
      {L"say \"hi\"", L"\"say \\\"hi\\\"\"", L"\"say \\\"hi\\\"\""},
      {L"a\\\"b", L"\"a\\\\\\\"b\"", L"\"a\\\\\\\"b\""},
      {L"", L"\"\"", L"\"\""},
      {L" x ", L"\" x \"", L"\" x \""},
      {L"a;b", L"\"a;b\"", L"a;b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuoteArgument(c.text), c.quoted) << Utf8FromWide(c.text);
    EXPECT_EQ(RegArgument(c.text), c.argument) << Utf8FromWide(c.text);
    for (const std::wstring& sent : {QuoteArgument(c.text), RegArgument(c.text)})
      EXPECT_EQ(fake_reg_detail::SplitArguments(L"reg " + sent + L" /f"),
                (std::vector<std::wstring>{L"reg", c.text, L"/f"}));
  }
}

TEST(RegFileFormat, ValueLinesKeepEveryTypeWhole) {
  struct Case {
    std::wstring name;
    unsigned type;
    std::string bytes;
    std::wstring line;
  };
  const Case cases[] = {
      {L"Path", os::kRegSz, Sz(L"C:\\App\\x.ini"), L"\"Path\"=\"C:\\\\App\\\\x.ini\""},
      {L"q\"n\\", os::kRegSz, Sz(L"say \"hi\""), L"\"q\\\"n\\\\\"=\"say \\\"hi\\\"\""},
      {L"", os::kRegSz, Sz(L"default"), L"@=\"default\""},
      {L"Empty", os::kRegSz, Sz(L""), L"\"Empty\"=\"\""},
      {L"N", os::kRegDword, std::string("\xFF\0\0\0", 4), L"\"N\"=dword:000000FF"},
      {L"All", os::kRegDword, "\xFF\xFF\xFF\xFF", L"\"All\"=dword:FFFFFFFF"},
      {L"E", os::kRegExpandSz, Sz(L"%A%"), L"\"E\"=hex(2):25,00,41,00,25,00,00,00"},
      {L"M", os::kRegMultiSz, U16(std::wstring(L"a\0b\0\0", 5)),
       L"\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
      {L"Q", os::kRegQword, std::string(8, '\xFF'), L"\"Q\"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff"},
      {L"B", os::kRegBinary, "\x01\x02", L"\"B\"=hex:01,02"},
      // Texts the quoted form cannot hold keep their type in hex(1).
      {L"L", os::kRegSz, Sz(L"a\r\nb"), L"\"L\"=hex(1):61,00,0d,00,0a,00,62,00,00,00"},
      {L"O", os::kRegSz, std::string("A\0B", 3), L"\"O\"=hex(1):41,00,42"},
      {L"Z", os::kRegSz, "", L"\"Z\"=hex(1):"},
      {L"D", os::kRegDword, "\x01\x02\x03", L"\"D\"=hex(4):01,02,03"},
      {L"X", 0xFFFF0000u, "\x01", L"\"X\"=hex(ffff0000):01"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RegValueLine(c.name, c.type, c.bytes), c.line) << Utf8FromWide(c.name);
}

// 23 bytes fill the first line of "B"=hex:, then 25 each, as the registry editor
// keeps lines within 80 characters.
TEST(RegFileFormat, LongHexDataGoesOnInContinuedLines) {
  const std::wstring line = RegValueLine(L"B", os::kRegBinary, std::string(50, '\xAB'));
  std::wstring expected = L"\"B\"=hex:";
  for (int i = 0; i < 50; ++i) {
    expected += i + 1 < 50 ? L"ab," : L"ab";
    if (i == 22 || i == 47) expected += L"\\\r\n  ";
  }
  EXPECT_EQ(line, expected);
}

// A name that fills the first line already: the bytes go on in the next line
// after the first of them.
TEST(RegFileFormat, ALongNameContinuesAfterTheFirstByte) {
  const std::wstring name(80, L'n');
  EXPECT_EQ(RegValueLine(name, os::kRegBinary, "\xAB\xAB\xAB"),
            L"\"" + name + L"\"=hex:ab,\\\r\n  ab,ab");
}

TEST(RegFileFormat, TextsAreEncodedInEachFormat) {
  struct Case {
    std::wstring text;
    RegTextFormat format;
    std::string bytes;
  };
  std::vector<Case> cases = {
      {L"", RegTextFormat::Utf16Le, ""},
      {L"A\u00E9\u20AC", RegTextFormat::Utf16Le, std::string("A\0\xE9\0\xAC\x20", 6)},
      {L"A\u00E9\u20AC", RegTextFormat::Utf8, "A\xC3\xA9\xE2\x82\xAC"},
      {std::wstring(L"a\0b", 3), RegTextFormat::Utf16Le, std::string("a\0\0\0b\0", 6)},
  };
  // Where wchar_t holds a whole code point, one past U+FFFF is written as its pair.
  if constexpr (sizeof(wchar_t) == 4)
    cases.push_back({std::wstring{L'a', static_cast<wchar_t>(0x1F600), L'b'},
                     RegTextFormat::Utf16Le,
                     std::string("a\0\x3D\xD8\x00\xDE"
                                 "b\0",
                                 8)});
  for (const Case& c : cases)
    EXPECT_EQ(EncodeRegText(c.text, c.format), c.bytes) << Utf8FromWide(c.text);
}

TEST(RegFileFormat, AValueFileIsUtf16WithItsFourLines) {
  EXPECT_EQ(RegValueFile(L"HKEY_CURRENT_USER\\Software\\App", L"\"Lang\"=\"en\""),
            "\xFF\xFE" + U16(L"Windows Registry Editor Version 5.00\r\n\r\n"
                             L"[HKEY_CURRENT_USER\\Software\\App]\r\n\"Lang\"=\"en\"\r\n"));
}

TEST(RegFileFormat, TheMarkDecidesHowAFileIsRead) {
  struct Case {
    std::string bytes;
    RegTextFormat format;
    std::wstring text;
  };
  const Case cases[] = {
      {"\xFF\xFE" + U16(std::wstring(L"A\0B", 3)), RegTextFormat::Utf16Le, L"A"},
      {std::string("\xFF\xFE\x41\x00\x42", 5), RegTextFormat::Utf16Le, L"A"},  // odd last byte
      {"\xEF\xBB\xBF"
       "caf\xC3\xA9",
       RegTextFormat::Utf8, L"caf\u00E9"},
      {"REGEDIT4\r\ncaf\xE9", RegTextFormat::Ansi, L"REGEDIT4\r\ncaf\u00E9"},
      {"\xFE\xFFx", RegTextFormat::Ansi, L"x"},
      {std::string("\0\0\xFE\xFFy", 5), RegTextFormat::Ansi, L"y"},
      // FF FE 00 00 counts as UTF-16LE whose text ends at once.
      {std::string("\xFF\xFE\0\0z\0", 6), RegTextFormat::Utf16Le, L""},
      {std::string("ab\0cd", 5), RegTextFormat::Ansi, L"ab"},
      {"", RegTextFormat::Ansi, L""},
  };
  for (const Case& c : cases) {
    const RegFileText read = ReadRegFileText(c.bytes);
    EXPECT_EQ(read.format, c.format) << testing::PrintToString(c.bytes);
    EXPECT_EQ(read.text, c.text) << testing::PrintToString(c.bytes);
  }
}

TEST(RegFileFormat, AppendingDropsTheHeaderAndWritesInTheTargetsEncoding) {
  const std::string unicodeFile =
      "\xFF\xFE" + U16(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\B]\r\n");
  const std::string ansiFile = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\B]\r\n";
  struct Case {
    const char* what;
    std::string target, appended, expected;
  };
  const Case cases[] = {
      {"unicode to unicode",
       "\xFF\xFE"
       "x",
       unicodeFile, U16(L"[HKEY_CURRENT_USER\\B]\r\n\r\n")},
      {"ansi to ansi", "REGEDIT4\r\n", ansiFile, "[HKEY_CURRENT_USER\\B]\r\n\r\n"},
      {"ansi to unicode",
       "\xFF\xFE"
       "x",
       ansiFile, U16(L"[HKEY_CURRENT_USER\\B]\r\n\r\n")},
      {"unicode to utf-8",
       "\xEF\xBB\xBF"
       "x",
       unicodeFile, "[HKEY_CURRENT_USER\\B]\r\n\r\n"},
      {"unicode to ansi: as appended", "REGEDIT4\r\n", unicodeFile,
       U16(L"[HKEY_CURRENT_USER\\B]\r\n\r\n")},
      {"to an empty file, with a mark", "", unicodeFile,
       "\xFF\xFE" + U16(L"[HKEY_CURRENT_USER\\B]\r\n\r\n")},
      {"a header without its empty line stays", "REGEDIT4\r\n", "REGEDIT4\r\n[x]",
       "REGEDIT4\r\n[x]\r\n"},
      {"every header goes", "REGEDIT4\r\n", "REGEDIT4\r\n\r\n[a]\r\nREGEDIT4\r\n\r\n[b]",
       "[a]\r\n[b]\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(RegAppendBytes(c.target, c.appended), c.expected) << c.what;
}

TEST(RegFileFormat, AnExportHoldsItsKeyOnlyWithHeaderAndKeyLine) {
  const std::string whole =
      "\xFF\xFE" + U16(L"Windows Registry Editor Version 5.00\r\n\r\n"
                       L"[HKEY_CURRENT_USER\\Software\\App]\r\n\"a\"=\"b\"\r\n\r\n");
  EXPECT_TRUE(RegFileHoldsKey(whole, L"HKCU\\Software\\App"));
  EXPECT_TRUE(RegFileHoldsKey(whole, L"hkey_current_user\\software\\app\\"));
  EXPECT_TRUE(RegFileHoldsKey("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\App]",
                              L"HKCU\\Software\\App"));
  EXPECT_FALSE(RegFileHoldsKey(whole, L"HKCU\\Software\\Other"));
  EXPECT_FALSE(RegFileHoldsKey(whole, L"HKLM\\Software\\App"));
  EXPECT_FALSE(RegFileHoldsKey(whole.substr(0, 60), L"HKCU\\Software\\App"));  // cut short
  EXPECT_FALSE(RegFileHoldsKey("\xFF\xFE" + U16(L"[HKEY_CURRENT_USER\\Software\\App]\r\n"),
                               L"HKCU\\Software\\App"));  // no header
  EXPECT_FALSE(RegFileHoldsKey("", L"HKCU\\Software\\App"));
}

TEST(RegFileFormat, AnItemTakesOnlyItsOwnPartOfASharedFile) {
  // Sections as an item's part holds them; the file has an empty line after each.
  const std::wstring one =
      L"[HKEY_CURRENT_USER\\Software\\One]\r\n\"a\"=\"1\"\r\n"
      L"\"m\"=hex(7):61,00,\\\r\n  00,00\r\n";
  const std::wstring sub = L"[HKEY_CURRENT_USER\\Software\\One\\Sub]\r\n\"s\"=\"x\"\r\n";
  const std::wstring two = L"[HKEY_CURRENT_USER\\Software\\Two]\r\n\"b\"=\"2\"\r\n";
  const std::wstring gone = L"[-HKEY_CURRENT_USER\\Software\\One\\Gone]\r\n";
  const std::wstring header = L"Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string file =
      "\xFF\xFE" + U16(header + one + L"\r\n" + sub + L"\r\n; note\r\n" + two + L"\r\n" + gone);
  const std::wstring a = L"a", m = L"m", missing = L"zz";
  struct Case {
    const char* what;
    std::wstring key;
    const std::wstring* value;
    std::wstring part;  // without the mark; empty: nothing
  };
  const Case cases[] = {
      {"a key and all below it", L"HKCU\\Software\\One", nullptr,
       header + one + L"\r\n" + sub + L"\r\n" + gone},
      {"another key alone", L"hkey_current_user\\software\\two\\", nullptr, header + two},
      {"a value", L"HKCU\\Software\\One", &a,
       header + L"[HKEY_CURRENT_USER\\Software\\One]\r\n\"a\"=\"1\"\r\n"},
      {"a continued value", L"HKCU\\Software\\One", &m,
       header + L"[HKEY_CURRENT_USER\\Software\\One]\r\n\"m\"=hex(7):61,00,\\\r\n  00,00\r\n"},
      {"a value not in it", L"HKCU\\Software\\Two", &missing, L""},
      {"a key not in it", L"HKCU\\Software\\Three", nullptr, L""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RegFileSubset(file, c.key, c.value), c.part.empty() ? "" : "\xFF\xFE" + U16(c.part))
        << c.what;
  // An ANSI file keeps its header and encoding, blanks before the header are no
  // matter, and a file of nothing but line ends holds nothing.
  const std::string ansi = "\r\n[HKEY_CURRENT_USER\\Two]\r\n\"b\"=\"\xE9\"\r\n";
  EXPECT_EQ(RegFileSubset("REGEDIT4\r\n" + ansi, L"HKCU\\Two", nullptr), "REGEDIT4\r\n" + ansi);
  EXPECT_EQ(RegFileSubset(" \tREGEDIT4\r\n" + ansi, L"HKCU\\Two", nullptr), "REGEDIT4\r\n" + ansi);
  EXPECT_EQ(RegFileSubset("\r\n\r\n", L"HKCU\\Two", nullptr), "");
  // Text before the header, or none, is no registry file: nothing can be told of it.
  for (const std::string& foreign : {"\r\nREGEDIT4\r\n" + ansi, "; mine\r\nREGEDIT4\r\n" + ansi,
                                     "REGEDIT4 \r\n" + ansi, "\xFF\xFE" + U16(two)})
    EXPECT_EQ(RegFileSubset(foreign, L"HKCU\\Two", nullptr), std::nullopt) << foreign;
}

TEST(RegFileFormat, AnExportReplacesOnlyItsOwnPartWhereItStood) {
  const std::wstring header = L"Windows Registry Editor Version 5.00\r\n\r\n";
  const std::wstring oneKey = L"[HKEY_CURRENT_USER\\Software\\One]\r\n";
  const std::wstring one = oneKey + L"\"a\"=\"1\"\r\n\"b\"=\"1\"\r\n";
  const std::wstring two = L"[HKEY_CURRENT_USER\\Software\\Two]\r\n\"t\"=\"2\"\r\n";
  const std::wstring newTwo = L"[HKEY_CURRENT_USER\\Software\\Two]\r\n\"t\"=\"3\"\r\n";
  auto unicode = [&](const std::wstring& body) { return "\xFF\xFE" + U16(header + body); };
  const std::string file = unicode(one + L"\r\n" + two);
  const std::wstring a = L"a";
  struct Case {
    const char* what;
    std::string file, part;
    std::wstring key;
    const std::wstring* value;
    std::optional<std::string> updated;
  };
  // Texts in hex form are ANSI bytes under the older header, UTF-16LE under this one.
  const std::string older =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"x\"=\"\xE9\"\r\n"
      "\"e\"=hex(2):25,41,\\\r\n  e9,00\r\n\"b\"=hex:e9\r\n";
  const std::wstring current =
      L"[HKEY_CURRENT_USER\\X]\r\n\"x\"=\"\u00E9\"\r\n"
      L"\"e\"=hex(2):25,00,41,00,e9,00,00,00\r\n\"b\"=hex:e9\r\n\r\n";
  const std::string utf8 =
      "\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"x\"=\"\xE6\x97\xA5\"\r\n";
  const std::string ansiTwo = "[HKEY_CURRENT_USER\\Software\\Two]\r\n\"t\"=\"3\"\r\n";
  const Case cases[] = {
      {"a key", unicode(two + L"\r\n" + one), unicode(newTwo), L"HKCU\\Software\\Two", nullptr,
       unicode(newTwo + L"\r\n" + one)},
      {"a value among others", file, unicode(oneKey + L"\"a\"=\"9\"\r\n"), L"HKCU\\Software\\One",
       &a, unicode(oneKey + L"\"a\"=\"9\"\r\n\r\n" + oneKey + L"\"b\"=\"1\"\r\n\r\n" + two)},
      // The values after it go under a section line of their own, so that a second
      // write of the same export finds them where the first one left them.
      {"a value between others", unicode(oneKey + L"\"z\"=\"0\"\r\n\"a\"=\"1\"\r\n\"b\"=\"1\"\r\n"),
       unicode(oneKey + L"\"a\"=\"9\"\r\n"), L"HKCU\\Software\\One", &a,
       unicode(oneKey + L"\"z\"=\"0\"\r\n\r\n" + oneKey + L"\"a\"=\"9\"\r\n\r\n" + oneKey +
               L"\"b\"=\"1\"\r\n")},
      {"a value taken out", file, "", L"HKCU\\Software\\One", &a,
       unicode(oneKey + L"\"b\"=\"1\"\r\n\r\n" + two)},
      {"nothing else in the file", unicode(two), unicode(newTwo + L"\r\n"), L"HKCU\\Software\\Two",
       nullptr, unicode(newTwo + L"\r\n")},
      {"no registry file", "junk", unicode(newTwo), L"HKCU\\Software\\Two", nullptr, std::nullopt},
      {"a line before the header", "\r\n" + older, unicode(newTwo), L"HKCU\\Software\\Two", nullptr,
       std::nullopt},
      {"the older header", older, unicode(newTwo), L"HKCU\\Software\\Two", nullptr,
       unicode(current + newTwo)},
      {"the older header, a value taken out", older, "", L"HKCU\\X", &a, older},
      {"an older text that cannot be read",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"e\"=hex(7):4g", unicode(newTwo),
       L"HKCU\\Software\\Two", nullptr, std::nullopt},
      // A part in the code page does not turn the file's other texts into it.
      {"an ANSI part into a UTF-8 file", utf8 + "\r\n", "REGEDIT4\r\n\r\n" + ansiTwo,
       L"HKCU\\Software\\Two", nullptr, utf8 + "\r\n" + ansiTwo},
      {"a value cut short", unicode(L"[HKEY_CURRENT_USER\\X]\r\n\"x\"=hex:01,\\"), unicode(newTwo),
       L"HKCU\\Software\\Two", nullptr,
       unicode(L"[HKEY_CURRENT_USER\\X]\r\n\"x\"=hex:01,\\\r\n\r\n" + newTwo)},
  };
  for (const Case& c : cases) {
    const auto updated = RegFileWithPart(c.file, c.part, c.key, c.value);
    EXPECT_EQ(updated, c.updated) << c.what;
    // Put in again, it changes nothing: an unchanged export writes no byte.
    if (updated) {
      EXPECT_EQ(RegFileWithPart(*updated, c.part, c.key, c.value), updated) << c.what;
    }
  }
}
