#include "values/ini_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"

namespace {

const std::wstring kPath = L"C:\\D\\app.ini";

// "name=value" for every key the enumeration of the section yields.
std::vector<std::wstring> Keys(IniDocument& doc, std::wstring_view section) {
  std::vector<std::wstring> keys;
  if (!IniSelectSection(doc, section) || !IniFirstKey(doc)) return keys;
  while (IniNextKey(doc)) keys.push_back(IniKeyName(doc) + L"=" + IniKeyValue(doc));
  return keys;
}

using KeyList = std::vector<std::wstring>;

}  // namespace

class IniDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    FakeAddFolder(L"C:\\D");
  }

  IniDocument Open(const std::string& bytes) {
    FakeAddFile(kPath, bytes);
    return IniOpen(kPath);
  }

  // Opens the bytes, lets the change act on the document, closes it and gives
  // the file's bytes afterwards.
  template <typename Change>
  std::string Rewritten(const std::string& bytes, Change change) {
    IniDocument doc = Open(bytes);
    change(doc);
    IniClose(doc);
    return FakeFileBytes(kPath);
  }
};

// ---- parsing -------------------------------------------------------------------

TEST_F(IniDocumentTest, KeyLineWithBlanksYieldsBareNameAndValue) {
  IniDocument spaced = Open("[S]\r\n \t key \t= \t some value \t\r\n");
  IniDocument tight = Open("[S]\r\nkey=some value\r\n");
  EXPECT_EQ(Keys(spaced, L"S"), KeyList{L"key=some value"});
  EXPECT_EQ(Keys(tight, L"S"), KeyList{L"key=some value"});
  EXPECT_EQ(IniReadKey(spaced, L"key", L"-"), L"some value");
}

TEST_F(IniDocumentTest, KeyLineKeepsSecondEqualsAndSemicolonInValue) {
  IniDocument doc = Open("[S]\r\ncmd = a=b ; \"c\" = d\r\n");
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"cmd=a=b ; \"c\" = d"});
}

TEST_F(IniDocumentTest, SemicolonLineIsACommentAndHashLineIsAKey) {
  IniDocument doc = Open("[S]\r\n  ; x = 1\r\n# y = 2\r\n;z\r\n");
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"# y=2"});
  ASSERT_EQ(doc.entries.size(), 4u);
  EXPECT_EQ(doc.entries[1].kind, IniEntryKind::Comment);
  EXPECT_EQ(IniText(doc, doc.entries[1].name), L"x = 1");  // one space after ";" dropped
  EXPECT_EQ(IniText(doc, doc.entries[3].name), L"z");
}

TEST_F(IniDocumentTest, HeaderNameEndsAtFirstBracketAndKeepsInnerSpaces) {
  IniDocument doc =
      Open("[BEFORE] ; the first\r\na=1\r\n[ AFTER ]\r\nb=2\r\n[Open\r\nc=3\r\n[x]y]\r\nd=4\r\n");
  EXPECT_EQ(Keys(doc, L"BEFORE"), KeyList{L"a=1"});
  EXPECT_FALSE(IniSelectSection(doc, L"AFTER"));
  EXPECT_EQ(Keys(doc, L" AFTER "), KeyList{L"b=2"});
  EXPECT_EQ(Keys(doc, L"Open"), KeyList{L"c=3"});
  EXPECT_EQ(Keys(doc, L"x"), KeyList{L"d=4"});
}

TEST_F(IniDocumentTest, NamesMatchWithoutRegardToAsciiCaseOnly) {
  IniDocument doc = Open("[general]\r\nApplication = A\r\n[\xC9t\xE9]\r\nk=1\r\n");
  EXPECT_TRUE(IniSelectSection(doc, L"GENERAL"));
  EXPECT_EQ(IniReadKey(doc, L"APPLICATION", L""), L"A");
  EXPECT_TRUE(IniSelectSection(doc, L"\u00C9t\u00E9"));
  // Case folding stops at Z: the accented capital is another letter.
  EXPECT_FALSE(IniSelectSection(doc, L"\u00E9t\u00E9"));
}

TEST_F(IniDocumentTest, OnlyTheFirstOfTwoSameNamedSectionsIsSeen) {
  IniDocument doc = Open("[BEFORE]\r\ndir=A\r\n[AFTER]\r\nx=1\r\n[before]\r\ndir=B\r\n");
  EXPECT_EQ(Keys(doc, L"BEFORE"), KeyList{L"dir=A"});
  EXPECT_EQ(IniReadKey(doc, L"dir", L""), L"A");
}

TEST_F(IniDocumentTest, EveryKeyLineIsEnumeratedInFileOrder) {
  IniDocument doc = Open("[BEFORE]\r\ndir = A\r\n; note\r\nnowait\r\n= lone\r\ndir = B\r\n");
  EXPECT_EQ(Keys(doc, L"BEFORE"), (KeyList{L"dir=A", L"nowait=", L"=lone", L"dir=B"}));
  IniSelectSection(doc, L"BEFORE");
  EXPECT_EQ(IniReadKey(doc, L"dir", L""), L"A");
  EXPECT_EQ(IniReadKey(doc, L"nowait", L"default"), L"");
  EXPECT_EQ(IniReadKey(doc, L"missing", L"default"), L"default");
}

TEST_F(IniDocumentTest, LineEndsOfAnyKindAndBlankLinesReadAlike) {
  const KeyList expected{L"a=1", L"b=2"};
  IniDocument crlf = Open("[S]\r\na=1\r\n\r\n\r\nb=2\r\n");
  IniDocument lf = Open("[S]\na=1\n\n  \t\nb=2");
  IniDocument cr = Open("\r\r[S]\ra=1\r\rb=2\r");
  EXPECT_EQ(Keys(crlf, L"S"), expected);
  EXPECT_EQ(Keys(lf, L"S"), expected);
  EXPECT_EQ(Keys(cr, L"S"), expected);
  IniDocument mixed = Open("[S]\ra=1\n\r\n\nb=2\r");
  EXPECT_EQ(Keys(mixed, L"S"), expected);
}

TEST_F(IniDocumentTest, KeysAboveTheFirstHeaderBelongOnlyToTheTopOfFile) {
  IniDocument doc = Open("top=1\r\n[S]\r\ninner=2\r\n");
  EXPECT_EQ(Keys(doc, L""), KeyList{L"top=1"});
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"inner=2"});
  IniSelectSection(doc, L"S");
  EXPECT_EQ(IniReadKey(doc, L"top", L"none"), L"none");
}

TEST_F(IniDocumentTest, EnumerationOfMissingOrEmptySectionsYieldsNothing) {
  IniDocument doc = Open("[Empty]\r\n; only a comment\r\n[Full]\r\nk=v\r\n");
  EXPECT_FALSE(IniSelectSection(doc, L"Missing"));
  EXPECT_FALSE(IniFirstKey(doc));
  EXPECT_FALSE(IniNextKey(doc));
  EXPECT_EQ(IniReadKey(doc, L"k", L"dflt"), L"dflt");
  EXPECT_TRUE(IniSelectSection(doc, L"Empty"));
  EXPECT_TRUE(IniFirstKey(doc));
  EXPECT_FALSE(IniNextKey(doc));
  EXPECT_FALSE(IniNextKey(doc));  // stays at the end, never runs into the next section
  EXPECT_EQ(IniKeyName(doc), L"");
  EXPECT_EQ(IniKeyValue(doc), L"");
}

TEST_F(IniDocumentTest, FileWithoutMarkIsReadInTheAnsiCodePage) {
  // 0x80 is the euro sign in the code page, a control character in Latin-1.
  IniDocument doc = Open("[S]\r\nk=caf\xE9 \x80\r\n");
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"k=caf\u00E9 \u20AC"});
  EXPECT_EQ(doc.format, TextFormat::Ansi);
}

TEST_F(IniDocumentTest, FileWithMarkIsUtf8) {
  IniDocument doc = Open("\xEF\xBB\xBF[S]\r\nk=caf\xC3\xA9 \xE2\x82\xAC\r\n");
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"k=caf\u00E9 \u20AC"});
  IniDocument shortFile = Open("\xEF\xBB");  // too short for a mark: two ANSI characters
  EXPECT_EQ(Keys(shortFile, L""), KeyList{L"\u00EF\u00BB="});
}

// Each format read comes back in that format; what cannot come back as it was
// reads as empty and is never written.
TEST_F(IniDocumentTest, FilesAreWrittenBackInTheFormatTheyWereReadIn) {
  const auto utf16 = [](const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
  };
  struct Row {
    std::string before, after;  // after writing k=2 into [S]
  };
  const Row rows[] = {
      {utf16("[S]\r\nk=1\r\n"), utf16("[S]\r\nk=2\r\n")},
      // UTF-8 without a mark stays so: read as Latin-1, "\u00FC" would become four bytes.
      {"[S]\r\n\xC3\xBC=1\r\nk=1\r\n", "[S]\r\n\xC3\xBC=1\r\nk=2\r\n"},
      {std::string("\xFE\xFF\0[\0S\0]", 8), std::string("\xFE\xFF\0[\0S\0]", 8)},
      {std::string("\xFF\xFE\0\0[\0\0\0", 8), std::string("\xFF\xFE\0\0[\0\0\0", 8)},
      {std::string("\0\0\xFE\xFF", 4), std::string("\0\0\xFE\xFF", 4)},
      {"\xFF\xFE[\0S", "\xFF\xFE[\0S"},                                        // odd length
      {std::string("\xFF\xFE \0\0\0", 6), std::string("\xFF\xFE \0\0\0", 6)},  // zero character
      // A first name that begins with U+FEFF keeps the blank before it, so it never
      // reads back as the mark; the new section's key is indented like it.
      {" \xEF\xBB\xBF\xC3\xBC=1", " \xEF\xBB\xBF\xC3\xBC=1\r\n\r\n[S]\r\n k=2\r\n"},
  };
  for (const Row& row : rows) {
    const std::string out = Rewritten(row.before, [](IniDocument& doc) {
      IniSelectSection(doc, L"S");
      IniWriteKey(doc, L"k", L"2");
    });
    EXPECT_EQ(out, row.after) << row.before;
  }
  IniDocument doc = Open(utf16("[S]\r\nk=\xE9"));  // U+00E9 as one UTF-16 unit
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"k=\u00E9"});
}

TEST_F(IniDocumentTest, AFailedWriteLeavesTheOldFileWhole) {
  Fake().lockedFiles.insert(LowerAscii(kPath) + L".voq-new");
  const std::string out = Rewritten("[S]\r\nk=1\r\n", [](IniDocument& doc) {
    IniSelectSection(doc, L"S");
    IniWriteKey(doc, L"k", L"2");
  });
  EXPECT_EQ(out, "[S]\r\nk=1\r\n");
}

// ---- writing -------------------------------------------------------------------

TEST_F(IniDocumentTest, WriteKeyUpdatesTheFirstMatchAndTakesTheNewName) {
  const std::string out = Rewritten("[S]\r\nsize=1\r\nSIZE=2\r\n", [](IniDocument& doc) {
    IniSelectSection(doc, L"s");
    IniWriteKey(doc, L"Size", L"10");
  });
  EXPECT_EQ(out, "[S]\r\nSize=10\r\nSIZE=2\r\n");
}

TEST_F(IniDocumentTest, WriteKeyAddsAfterTheSectionsLastKey) {
  const std::string out = Rewritten("[A]\nx=1\n; tail\n[B]\ny=2\n", [](IniDocument& doc) {
    IniSelectSection(doc, L"A");
    IniWriteKey(doc, L"z", L"3");
  });
  EXPECT_EQ(out, "[A]\nx=1\nz=3\n; tail\n[B]\ny=2\n");
}

TEST_F(IniDocumentTest, WriteKeyAtTheTopOfFileGoesAboveTheFirstHeader) {
  auto writeTop = [](IniDocument& doc) {
    IniSelectSection(doc, L"");
    IniWriteKey(doc, L"new", L"n");
  };
  EXPECT_EQ(Rewritten("a=1\r\n[S]\r\nb=2\r\n", writeTop), "a=1\r\nnew=n\r\n[S]\r\nb=2\r\n");
  EXPECT_EQ(Rewritten("[S]\r\nb=2\r\n", writeTop), "new=n\r\n[S]\r\nb=2\r\n");
}

TEST_F(IniDocumentTest, MissingSectionIsAppendedByTheFirstWriteOnly) {
  const std::string out = Rewritten("[A]\r\nx=1\r\n", [](IniDocument& doc) {
    EXPECT_FALSE(IniSelectSection(doc, L"New"));
    IniWriteKey(doc, L"k1", L"v1");
    IniWriteKey(doc, L"k2", L"v2");
    EXPECT_EQ(IniReadKey(doc, L"k1", L""), L"v1");
  });
  EXPECT_EQ(out, "[A]\r\nx=1\r\n\r\n[New]\r\nk1=v1\r\nk2=v2\r\n");
}

// A new key copies the blanks of its section's last key; a section without one
// copies the file's last key; a file without keys is written compactly.
TEST_F(IniDocumentTest, NewKeysTakeTheSpacingTheirSectionUses) {
  const std::string in = "top = 0\r\n[A]\r\n\tx = 1\r\n[B]\r\ny\r\n\r\n[C]\r\nz=2\r\n";
  auto write = [](const wchar_t* section) {
    return [section](IniDocument& doc) {
      IniSelectSection(doc, section);
      IniWriteKey(doc, L"n", L"9");
    };
  };
  EXPECT_EQ(Rewritten(in, write(L"A")),
            "top = 0\r\n[A]\r\n\tx = 1\r\n\tn = 9\r\n[B]\r\ny\r\n\r\n[C]\r\nz=2\r\n");
  EXPECT_EQ(Rewritten(in, write(L"B")),
            "top = 0\r\n[A]\r\n\tx = 1\r\n[B]\r\ny\r\nn=9\r\n\r\n[C]\r\nz=2\r\n");
  EXPECT_EQ(Rewritten("; notes only\n", write(L"D")), "; notes only\n\n[D]\nn=9\n");
}

TEST_F(IniDocumentTest, RewriteKeepsCommentsAndTrailingBlanksOfValues) {
  const std::string out =
      Rewritten("  ;lead\r\n[S]\r\n\tk =  v  \r\n;  two\r\n", [](IniDocument& doc) {
        IniSelectSection(doc, L"S");
        IniWriteKey(doc, L"n", L"1");
      });
  EXPECT_EQ(out, "  ;lead\r\n[S]\r\n\tk =  v  \r\n\tn =  1\r\n;  two\r\n");
}

TEST_F(IniDocumentTest, RemoveKeyChangesTheFileOnlyWhenTheKeyExists) {
  const std::string in = "[S]\nk=1\nk=2\n[T]\nk=3\n";
  auto removeMissing = [](IniDocument& doc) {
    IniSelectSection(doc, L"S");
    IniRemoveKey(doc, L"absent");
    EXPECT_FALSE(doc.modified);
  };
  EXPECT_EQ(Rewritten(in, removeMissing), in);
  auto removeFirst = [](IniDocument& doc) {
    IniSelectSection(doc, L"S");
    IniRemoveKey(doc, L"K");
  };
  EXPECT_EQ(Rewritten(in, removeFirst), "[S]\nk=2\n[T]\nk=3\n");
}

TEST_F(IniDocumentTest, RemoveSectionTakesItsCommentsAndChangesNothingWhenMissing) {
  const std::string in = "a=0\n[Old]\nk=1\n; gone too\n[Keep]\nk=2\n[old]\nk=3\n";
  EXPECT_EQ(Rewritten(in, [](IniDocument& doc) { IniRemoveSection(doc, L"Nope"); }), in);
  EXPECT_EQ(Rewritten(in, [](IniDocument& doc) { IniRemoveSection(doc, L"OLD"); }),
            "a=0\n[Keep]\nk=2\n[old]\nk=3\n");
}

TEST_F(IniDocumentTest, RemovingASectionKeepsTheCurrentSectionInPlace) {
  const std::string out = Rewritten("[A]\nx=1\n[B]\ny=2\n", [](IniDocument& doc) {
    IniSelectSection(doc, L"B");
    IniRemoveSection(doc, L"A");
    IniWriteKey(doc, L"z", L"3");
    IniRemoveSection(doc, L"B");  // the current one: a later write brings it back
    IniWriteKey(doc, L"w", L"4");
  });
  // The emptied text has no line end left to copy.
  EXPECT_EQ(out, "[B]\r\nw=4\r\n");
}

TEST_F(IniDocumentTest, ReadingLeavesTheFileByteForByteUnchanged) {
  const std::string in = "\t;c\n [A] x\r\n k = v \n\n[A]\nk=2\r\n=\n\xE9\xFF";
  const std::string out = Rewritten(in, [](IniDocument& doc) {
    Keys(doc, L"A");
    Keys(doc, L"");
    IniReadKey(doc, L"k", L"");
  });
  EXPECT_EQ(out, in);
}

TEST_F(IniDocumentTest, MissingFileIsCreatedOnlyWhenWritten) {
  IniDocument untouched = IniOpen(kPath);
  EXPECT_EQ(Keys(untouched, L""), KeyList{});
  IniClose(untouched);
  EXPECT_FALSE(FakeHasFile(kPath));

  IniDocument doc = IniOpen(kPath);
  IniSelectSection(doc, L"S");
  IniWriteKey(doc, L"k", L"\u00E9");
  IniClose(doc);
  EXPECT_EQ(FakeFileBytes(kPath), "[S]\r\nk=\xE9\r\n");
}

TEST_F(IniDocumentTest, EmptyFileIsWrittenBackWithoutMark) {
  EXPECT_EQ(Rewritten("", [](IniDocument& doc) { IniWriteKey(doc, L"k", L"v"); }), "k=v\r\n");
  const std::string emptied = Rewritten("", [](IniDocument& doc) {
    IniWriteKey(doc, L"k", L"v");
    IniRemoveKey(doc, L"k");
  });
  EXPECT_EQ(emptied, "");
}

TEST_F(IniDocumentTest, ReadOnlyFileIsReadAndRecreatedOnClose) {
  FakeAddFile(kPath, "[S]\r\nk=1\r\n");
  Fake().readOnlyFiles.insert(LowerAscii(kPath));
  IniDocument doc = IniOpen(kPath);
  EXPECT_TRUE(doc.readOnly);
  EXPECT_EQ(Keys(doc, L"S"), KeyList{L"k=1"});
  IniWriteKey(doc, L"k", L"2");
  // The writer that held the file has let go by the time the document closes.
  Fake().readOnlyFiles.clear();
  IniClose(doc);
  EXPECT_EQ(FakeFileBytes(kPath), "[S]\r\nk=2\r\n");
}

TEST_F(IniDocumentTest, WriteToAFileThatStaysReadOnlyIsLost) {
  Fake().readOnlyFiles.insert(LowerAscii(kPath));
  const std::string out = Rewritten("[S]\r\nk=1\r\n", [](IniDocument& doc) {
    IniSelectSection(doc, L"S");
    IniWriteKey(doc, L"k", L"2");
  });
  EXPECT_EQ(out, "[S]\r\nk=1\r\n");
}

TEST_F(IniDocumentTest, LockedFileReadsAsEmpty) {
  FakeAddFile(kPath, "[S]\r\nk=1\r\n");
  Fake().lockedFiles.insert(LowerAscii(kPath));
  IniDocument doc = IniOpen(kPath);
  EXPECT_FALSE(IniSelectSection(doc, L"S"));
  EXPECT_EQ(IniReadKey(doc, L"k", L"default"), L"default");
  IniWriteKey(doc, L"k", L"2");
  IniClose(doc);
  EXPECT_EQ(FakeFileBytes(kPath), "[S]\r\nk=1\r\n");
}

// ---- bad input -----------------------------------------------------------------

TEST_F(IniDocumentTest, MalformedUtf8AfterMarkIsReadWithReplacementsAndNeverWritten) {
  const std::string in =
      "\xEF\xBB\xBF"
      "bad=\xFF\xE2\x82 ok\r\n[S\xC3]\r\nk=1\r\n";
  IniDocument doc = Open(in);
  EXPECT_EQ(Keys(doc, L""), KeyList{L"bad=\uFFFD\uFFFD ok"});
  EXPECT_EQ(Keys(doc, L"S\uFFFD"), KeyList{L"k=1"});
  IniClose(doc);
  EXPECT_EQ(FakeFileBytes(kPath), in);
  // Written back, the replacement characters would stand where the bytes were.
  EXPECT_EQ(Rewritten(in, [](IniDocument& changed) { IniWriteKey(changed, L"k", L"2"); }), in);
}

TEST_F(IniDocumentTest, MillionCharacterLinesAreWholeEntries) {
  const std::string longValue(1000000, 'x');
  const std::string in = "[S]\r\nk=" + longValue + "\r\n" + std::string(1000000, 'y') + "\r\n[" +
                         std::string(1000000, 'z') + "\r\nlast=1\r\n";
  IniDocument doc = Open(in);
  ASSERT_EQ(doc.entries.size(), 5u);
  IniSelectSection(doc, L"S");
  EXPECT_EQ(IniReadKey(doc, L"k", L"").size(), longValue.size());
  EXPECT_EQ(doc.entries[2].name.size, 1000000u);
  EXPECT_EQ(doc.entries[3].kind, IniEntryKind::Section);
  EXPECT_EQ(doc.entries[3].name.size, 1000000u);
  IniClose(doc);
}

TEST_F(IniDocumentTest, TwentyMegabyteFileParsesInOnePass) {
  std::string in;
  in.reserve(21u << 20);
  for (int i = 0; in.size() < (20u << 20); ++i) {
    if (i % 1000 == 0) in += "[Section" + std::to_string(i / 1000) + "]\r\n";
    in += "key" + std::to_string(i) + " = value=with;some \"text\" " + std::to_string(i) + "\r\n";
  }
  FakeAddFile(kPath, in);
  const auto start = std::chrono::steady_clock::now();
  IniDocument doc = IniOpen(kPath);
  IniSelectSection(doc, L"Section400");
  const std::wstring value = IniReadKey(doc, L"key400999", L"");
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(value, L"value=with;some \"text\" 400999");
  // Linear parsing takes well under a second here; anything quadratic takes hours.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 20);
  IniClose(doc);
  EXPECT_EQ(FakeFileBytes(kPath).size(), in.size());
}

TEST_F(IniDocumentTest, RandomBinaryIsReadWithoutHarmAndWrittenBackReadsTheSame) {
  std::mt19937 random(20240601);
  // Bytes biased toward the characters the parser reacts to, NULs included.
  const std::string special = std::string("\r\n[]=; \t\0\xEF\xBB\xBF\xC3\xFF", 15);
  for (int round = 0; round < 40; ++round) {
    std::string in(static_cast<std::size_t>(random() % 4000), '\0');
    for (char& c : in)
      c = random() % 2 ? special[random() % special.size()] : static_cast<char>(random() % 256);
    if (round % 2) in = "\xEF\xBB\xBF" + in;

    IniDocument doc = Open(in);
    for (const IniEntry& entry : std::vector<IniEntry>(doc.entries))
      if (entry.kind == IniEntryKind::Section) Keys(doc, std::wstring(IniText(doc, entry.name)));
    Keys(doc, L"");
    IniClose(doc);
    ASSERT_EQ(FakeFileBytes(kPath), in) << "round " << round;

    // Whatever could be read faithfully, the written file reads back as the same
    // text; anything else stays as it was. Half the rounds are free of zero bytes.
    if (round % 4 < 2) std::replace(in.begin(), in.end(), '\0', ' ');
    doc = Open(in);
    const bool writable = !doc.discardWrites;
    IniWriteKey(doc, L"added", L"1");
    const std::wstring written = doc.text;
    IniClose(doc);
    doc = IniOpen(kPath);
    if (writable) {
      EXPECT_EQ(doc.text, written) << "round " << round;
    } else {
      EXPECT_EQ(FakeFileBytes(kPath), in) << "round " << round;
    }
    IniClose(doc);
  }
}
