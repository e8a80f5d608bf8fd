// replace, replaceline, iniread and iniwrite against the real file API and code
// page: every format comes back as it was, and the wide profile calls still read
// a UTF-16LE ini the launcher has written.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "commands/run_section.h"
#include "tests/windows/support/test_files.h"
#include "values/user_vars.h"

namespace {

using testing_win::ReadBytes;
using testing_win::WriteBytes;

std::string Utf16(const std::wstring& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string Ansi(const std::wstring& text) {
  char bytes[MAX_PATH] = {};
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                         bytes, sizeof(bytes), nullptr, nullptr);
  return std::string(bytes, length);
}

class TextEditsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.launcherFolder = root.path;
    ctx.launcherName = L"Tool";
    ctx.phase = L"BEFORE";
    // Missing folders of a created ini file are made by the command interpreter.
    wchar_t comspec[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
    ctx.commandInterpreter = comspec;
  }
  std::wstring At(const std::wstring& name) const { return root.path + name; }
  std::string Key(const std::wstring& key, const std::string& before, const std::wstring& rest) {
    EXPECT_TRUE(WriteBytes(At(L"f.txt"), before));
    DispatchKey(ctx, L"BEFORE", key, L"f.txt :: " + rest);
    EXPECT_FALSE(testing_win::Exists(At(L"f.txt.voq-new")));
    return ReadBytes(At(L"f.txt"));
  }

  testing_win::ScopedFolder root{L"voq-textedits"};
  LauncherContext ctx;
};

}  // namespace

TEST_F(TextEditsWin, ReplaceKeepsEachFormatAndEveryUntouchedByte) {
  struct Row {
    std::string before, after;
  };
  const Row rows[] = {
      {Utf16(L"a=C:\\Old\r\n\u00FC=C:\\Old\n"),
       Utf16(L"a=D:\\Neu\u00E9\r\n\u00FC=D:\\Neu\u00E9\n")},
      {"\xEF\xBB\xBF\xC3\xBC=C:\\Old\r", "\xEF\xBB\xBF\xC3\xBC=D:\\Neu\xC3\xA9\r"},
      // Without a mark, UTF-8 stays UTF-8: the new character takes two bytes.
      {"\xC3\xBC=C:\\Old", "\xC3\xBC=D:\\Neu\xC3\xA9"},
      {Ansi(L"\u00E4=C:\\Old\r\n"), Ansi(L"\u00E4=D:\\Neu\u00E9\r\n")},
      // Not readable as it is: left byte for byte.
      {std::string("\xFE\xFF\0C\0:", 6), std::string("\xFE\xFF\0C\0:", 6)},
      {std::string("C:\\Old\0x", 8), std::string("C:\\Old\0x", 8)},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Key(L"replace", row.before, L"C:\\Old :: D:\\Neu\u00E9"), row.after);
}

TEST_F(TextEditsWin, ReplaceOfTwentyMegabytesThroughTheCodePage) {
  std::string big;
  big.reserve(21u << 20);
  while (big.size() < (20u << 20)) big += "path=C:\\Old\\x\r\nline\nother\r";
  std::string expected = big;
  for (size_t at = 0; (at = expected.find("C:\\Old", at)) != std::string::npos; at += 6)
    expected.replace(at, 6, "E:\\New");
  const long long start = testing_win::NowMs();
  EXPECT_TRUE(Key(L"replace", big, L"C:\\Old :: E:\\New") == expected);
  std::printf("20 MB replace took %lld ms\n", testing_win::NowMs() - start);
}

TEST_F(TextEditsWin, ReplacelineChangesOnlyTheFirstMatch) {
  EXPECT_EQ(Key(L"replaceline", "a\r\nkey=1\nb\rkey=2\r\n", L"key= :: key=\u00FC"),
            "a\r\n" + Ansi(L"key=\u00FC") + "\nb\rkey=2\r\n");
  EXPECT_EQ(Key(L"replaceline", Utf16(L"a\r\nkey=1\r\nkey=2"), L"key= :: key=3"),
            Utf16(L"a\r\nkey=3\r\nkey=2"));
}

TEST_F(TextEditsWin, AFileThatCannotBeReplacedKeepsItsContents) {
  // The new file cannot be made beside the old one: a folder holds its name.
  ASSERT_TRUE(CreateDirectoryW(At(L"f.txt.voq-new").c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(At(L"f.txt"), "C:\\Old"));
  DispatchKey(ctx, L"BEFORE", L"replace", L"f.txt :: C:\\Old :: D:\\New");
  DispatchKey(ctx, L"BEFORE", L"iniwrite", L"f.txt :: S :: k :: v");
  EXPECT_EQ(ReadBytes(At(L"f.txt")), "C:\\Old");
  RemoveDirectoryW(At(L"f.txt.voq-new").c_str());
}

TEST_F(TextEditsWin, IniwriteRemovesSectionsAndKeysAndKeepsExactNames) {
  const std::string ini = "[Old]\r\na=1\r\n[Win]\r\nsize=1\r\nPos=2\r\n";
  EXPECT_EQ(Key(L"iniwrite", ini, L"--Old"), "[Win]\r\nsize=1\r\nPos=2\r\n");
  EXPECT_EQ(Key(L"iniwrite", ini, L"Win :: Pos"), "[Old]\r\na=1\r\n[Win]\r\nsize=1\r\n");
  EXPECT_EQ(Key(L"iniwrite", ini, L"Win :: Pos :: 5 :: no overwrite"), ini);
  EXPECT_EQ(Key(L"iniwrite", ini, L"Win :: Size :: 5 :: no overwrite"),
            "[Old]\r\na=1\r\n[Win]\r\nSize=5\r\nPos=2\r\n");
}

// The system's own code page: the ANSI profile calls read the file as the
// application does.
TEST_F(TextEditsWin, AnsiIniKeepsItsBytesAndGainsOnlyTheWrittenLine) {
  const std::string before = Ansi(L"[Win]\r\nName=caf\u00E9\r\n\r\n; kept\r\n");
  EXPECT_EQ(Key(L"iniwrite", before, L"Win :: Path :: C:\\J\u00FCrgen"),
            Ansi(L"[Win]\r\nName=caf\u00E9\r\nPath=C:\\J\u00FCrgen\r\n\r\n; kept\r\n"));
  char value[64] = {};
  GetPrivateProfileStringA("Win", "Path", "", value, sizeof(value), Ansi(At(L"f.txt")).c_str());
  EXPECT_EQ(std::string(value), Ansi(L"C:\\J\u00FCrgen"));
  GetPrivateProfileStringA("Win", "Name", "", value, sizeof(value), Ansi(At(L"f.txt")).c_str());
  EXPECT_EQ(std::string(value), Ansi(L"caf\u00E9"));
}

TEST_F(TextEditsWin, Utf16IniStaysUtf16AndReadableByTheWideProfileCalls) {
  ASSERT_TRUE(WriteBytes(At(L"w.ini"), Utf16(L"[Win]\r\nPath=C:\\Old\r\n")));
  DispatchKey(ctx, L"BEFORE", L"iniwrite", L"w.ini :: Win :: Path :: D:\\Neu\u00E9");
  DispatchKey(ctx, L"BEFORE", L"iniwrite", L"w.ini :: Win :: Size :: 7");
  EXPECT_EQ(ReadBytes(At(L"w.ini")), Utf16(L"[Win]\r\nPath=D:\\Neu\u00E9\r\nSize=7\r\n"));
  wchar_t value[64] = {};
  GetPrivateProfileStringW(L"Win", L"Path", L"", value, 64, At(L"w.ini").c_str());
  EXPECT_EQ(std::wstring(value), L"D:\\Neu\u00E9");
  EXPECT_EQ(GetPrivateProfileIntW(L"Win", L"Size", 0, At(L"w.ini").c_str()), 7u);
}

TEST_F(TextEditsWin, IniReadOfAMissingFileCreatesItAndDefinesAnEmptyVariable) {
  StoreUserVar(ctx, L"Var :: before");
  DispatchKey(ctx, L"BEFORE", L"iniread", L"Sub\\missing.ini :: S :: k :: Var");
  EXPECT_TRUE(testing_win::Exists(At(L"Sub\\missing.ini")));
  EXPECT_EQ(ReadBytes(At(L"Sub\\missing.ini")), "");
  EXPECT_EQ(LookupUserVar(ctx, L"Var"), L"");
}
