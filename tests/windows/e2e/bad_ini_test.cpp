// Configuration files that are damaged, huge or locked: the launcher neither
// crashes nor hangs, and reading never changes the file.
#include <windows.h>

#include <random>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;

namespace {

constexpr char kGeneral[] = "\r\n[GENERAL]\r\napplication = App\\App.exe\r\n";

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// The launcher started the application once, ended with 0, and left the ini as it was.
void ExpectCleanRun(PortableFolder& folder, const std::wstring& app, const std::string& ini) {
  const LaunchResult run = RunLauncher(folder, L"", 60000);
  ASSERT_TRUE(run.ended) << "the launcher hung";
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
  EXPECT_TRUE(ReadBytes(PathIn(folder, folder.name + L".ini")) == ini)
      << "reading changed the configuration file";
}

}  // namespace

TEST(BadIni, BinaryBytesAroundTheSectionsAreReadWithoutHarm) {
  PortableFolder folder(L"BinaryIni");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  std::string ini = RandomBytes(200000, 7);
  ini += kGeneral;
  ini += RandomBytes(200000, 8);
  ASSERT_TRUE(WriteFileIn(folder, L"BinaryIni.ini", ini));
  ExpectCleanRun(folder, app, ini);
}

TEST(BadIni, TwentyMegabytesAndAMillionCharacterLineAreRead) {
  PortableFolder folder(L"HugeIni");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  std::string ini = "[GENERAL]\r\napplication = App\\App.exe\r\n";
  ini += "long = " + std::string(1000000, 'x') + "\r\n";
  ini += "[OTHER]\r\n";
  while (ini.size() < 20u * 1024 * 1024) ini += "key = a value of some length\r\n";
  ASSERT_TRUE(WriteFileIn(folder, L"HugeIni.ini", ini));
  ExpectCleanRun(folder, app, ini);
}

TEST(BadIni, InvalidUtf8AfterAByteOrderMarkIsRead) {
  PortableFolder folder(L"BadUtf8");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::string ini = std::string("\xEF\xBB\xBF") + "[GENERAL]\r\napplication = App\\App.exe" +
                          "\r\nbroken = \xC3\x28\xE2\x82\xFF\xF0\x9F\r\n\xC0\xAF = x\r\n";
  ASSERT_TRUE(WriteFileIn(folder, L"BadUtf8.ini", ini));
  ExpectCleanRun(folder, app, ini);
}

TEST(BadIni, LockedFileReadsAsEmptyAndTheLauncherEnds) {
  PortableFolder folder(L"LockedIni");
  AddTestApp(folder, L"App\\App.exe");
  const std::string ini = IniText("[GENERAL]\napplication = App\\App.exe\n");
  ASSERT_TRUE(WriteFileIn(folder, L"LockedIni.ini", ini));
  const std::wstring path = PathIn(folder, L"LockedIni.ini");
  HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  // With nothing readable there is no application to start, and the launcher says
  // so before anything is moved.
  BoxAnswerer answerer;
  StartAnswering(answerer, L"LockedIni", {IDOK}, 20000);
  const LaunchResult run = RunLauncher(folder, L"", 30000);
  const std::vector<SeenBox> seen = FinishAnswering(answerer);
  CloseHandle(lock);

  ASSERT_TRUE(run.ended) << "the launcher hung";
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"Main application is not set!\r\nPlease check " + path + L".");
  EXPECT_TRUE(ReadBytes(path) == ini);
}
