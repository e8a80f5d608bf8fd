#include "launcher/config_file.h"

#include <sstream>

#include "tests/native/launcher_fixture.h"

namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
    lines.push_back(text.substr(pos, end - pos));
  lines.push_back(text.substr(pos));
  return lines;
}

}  // namespace

class ConfigFileTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }
};

TEST_F(ConfigFileTest, FileNamedAfterTheLauncherWinsOverTheGenericOne) {
  FakeAddFile(L"C:\\P\\Tool.ini", "x");
  FakeAddFile(L"C:\\P\\voQ.ini", "x");
  EXPECT_EQ(FindConfigFile(ctx), L"C:\\P\\Tool.ini");
}

TEST_F(ConfigFileTest, GenericFileIsUsedAlone) {
  FakeAddFile(L"C:\\P\\voQ.ini", "x");
  EXPECT_EQ(FindConfigFile(ctx), L"C:\\P\\voQ.ini");
}

TEST_F(ConfigFileTest, X64VariantsCountOnlyOn64BitWindows) {
  FakeAddFile(L"C:\\P\\ToolX64.ini", "x");
  FakeAddFile(L"C:\\P\\voQX64.ini", "x");
  FakeAddFile(L"C:\\P\\voQ.ini", "x");
  ctx.is64Bit = 0;  // 32-bit Windows
  EXPECT_EQ(FindConfigFile(ctx), L"C:\\P\\voQ.ini");
  ctx.is64Bit = 1;
  EXPECT_EQ(FindConfigFile(ctx), L"C:\\P\\ToolX64.ini");
}

TEST_F(ConfigFileTest, EmptyFileAndFolderCountAsAbsentAndOkWritesTheTemplate) {
  FakeAddFile(L"C:\\P\\Tool.ini", "");
  FakeAddFolder(L"C:\\P\\voQ.ini");
  Fake().answers = {os::kAnswerOk};
  EXPECT_EQ(ExitCodeOf([&] { FindConfigFile(ctx); }), 0);
  ASSERT_EQ(Fake().boxes.size(), 1u);
  EXPECT_EQ(Fake().boxes[0].text, L"No ini file found!\r\n\r\nCreate a new one?");
  EXPECT_EQ(Fake().boxes[0].caption, L"Tool");
  EXPECT_EQ(Fake().boxes[0].style, os::kBoxOkCancel | os::kBoxIconInformation | os::kBoxTopmost);
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\Tool.ini"), ConfigTemplateBytes());
}

// No template is offered over a file that is there but cannot be read.
TEST_F(ConfigFileTest, AFileThatCannotBeReadIsTakenAndNeverReplaced) {
  FakeAddFile(L"C:\\P\\Tool.ini", "[GENERAL]");
  Fake().unreadablePlaces.insert(L"c:\\p\\tool.ini");
  EXPECT_EQ(FindConfigFile(ctx), L"C:\\P\\Tool.ini");
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(ConfigFileTest, CancelWritesNothingAndEndsWithZero) {
  Fake().answers = {os::kAnswerCancel};
  ctx.is64Bit = 1;
  ctx.exitCode = 5;
  EXPECT_EQ(ExitCodeOf([&] { FindConfigFile(ctx); }), 0);
  EXPECT_TRUE(Fake().files.empty());
}

TEST_F(ConfigFileTest, TemplateIsCreatedUnderTheLauncherNameEvenOn64BitWindows) {
  ctx.is64Bit = 1;
  EXPECT_EQ(ExitCodeOf([&] { FindConfigFile(ctx); }), 0);
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\Tool.ini"));
  EXPECT_EQ(Fake().files.size(), 1u);
}

TEST_F(ConfigFileTest, TemplateHasItsExactLayout) {
  const std::string bytes = ConfigTemplateBytes();
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(bytes.substr(bytes.size() - 2), " \x1A");
  const auto lines = SplitCrLf(bytes.substr(3));
  ASSERT_EQ(lines.size(), 96u);  // 95 lines with CR LF and the last one without
  EXPECT_EQ(lines[0], "; configuration file for voQ v0.7.x");
  EXPECT_EQ(lines[5], "[GENERAL]");
  EXPECT_EQ(lines[6], "application = App\\App.exe");
  // Examples that work as written: a date to the second, no overwrite as the sixth field.
  EXPECT_EQ(lines[55],
            "; +regvalue = HKCU\\Software\\Key :: ValueName :: ValueData :: REG_SZ :: Separator "
            "[ :: no overwrite]");
  EXPECT_EQ(lines[67], "; date = File :: 2013.12.31 23:59:00 :: created");
  EXPECT_EQ(lines[94], "; misc: {MyVar} {COMMANDLINE} {PARAMETERS}");
  EXPECT_EQ(lines[95], " \x1A");
  for (int n : {2, 3, 4, 8, 9}) EXPECT_EQ(lines[n - 1].back(), ' ') << "line " << n;
  for (int n : {45, 51, 57, 63}) EXPECT_EQ(lines[n - 1], " ") << "line " << n;
  for (int n : {5, 10, 15, 20, 21, 33, 39, 89}) EXPECT_EQ(lines[n - 1], "") << "line " << n;
  int active = 0;
  for (int n = 1; n <= 95; ++n) {
    const std::string& line = lines[n - 1];
    const bool trailingBlankAllowed =
        n == 2 || n == 3 || n == 4 || n == 8 || n == 9 || n == 45 || n == 51 || n == 57 || n == 63;
    if (!line.empty() && !trailingBlankAllowed) {
      EXPECT_NE(line.back(), ' ') << "line " << n;
    }
    if (!line.empty() && line[0] != ';' && line[0] != '[' && line != " ") ++active;
  }
  EXPECT_EQ(active, 1);  // only `application` is active
  // Pins every other byte: size and a checksum of the whole text.
  EXPECT_EQ(bytes.size(), 3033u);
  unsigned long long hash = 1469598103934665603ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  EXPECT_EQ(hash, 15377338915570994366ull) << "FNV-1a of the template";
}
