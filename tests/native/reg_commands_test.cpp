// The registry operations as the tool sees them: the exact command lines sent to
// reg.exe and regsvr32.exe, and when no tool is started at all.
#include <gtest/gtest.h>

#include "registry/reg_copy.h"
#include "registry/reg_create.h"
#include "registry/reg_delete.h"
#include "registry/reg_files.h"
#include "registry/register_dll.h"
#include "tests/fake_platform/fake_reg_tool.h"
#include "tests/native/launcher_fixture.h"

using os::RegRoot;

namespace {

const std::wstring kReg = L"\"C:\\Windows\\system32\\reg.exe\" ";
const std::wstring kRegsvr32 = L"\"C:\\Windows\\system32\\regsvr32.exe\" ";

}  // namespace

class RegCommandsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
    Fake().onHiddenStart = FakeRunTools;
    FakeSetRegString(RegRoot::CurrentUser, L"Software\\A", L"v", L"x");
    FakeSetRegString(RegRoot::CurrentUser, L"Software\\A", L"q\"v", L"x");
    FakeSetRegDword(RegRoot::CurrentUser, L"Software\\V", L"all", 0xFFFFFFFF);
    FakeAddRegKey(RegRoot::CurrentUser, L"Software\\A B");
    FakeAddRegKey(RegRoot::CurrentUser, L"Software\\B");
    FakeAddRegKey(RegRoot::CurrentUser, L"Software\\C");
    FakeAddRegKey(RegRoot::CurrentUser, L"Software\\M\\Sub");
  }

  std::vector<std::wstring> Sent(const std::function<void()>& operation) {
    Fake().hiddenStarts.clear();
    operation();
    return HiddenCommandLines();
  }
};

TEST_F(RegCommandsTest, EachOperationSendsItsExactText) {
  using Lines = std::vector<std::wstring>;
  struct Case {
    const char* what;
    std::function<void(LauncherContext&)> operation;
    Lines lines;
  };
  const Case cases[] = {
      {"value deletion, trailing backslash dropped",
       [](auto& c) { DeleteRegValue(c, L"HKCU\\Software\\A\\", L"v"); },
       {kReg + L" DELETE \"HKCU\\Software\\A\" /v \"v\" /f"}},
      {"a name with a quote",
       [](auto& c) { DeleteRegValue(c, L"HKCU\\Software\\A", L"q\"v"); },
       {kReg + L" DELETE \"HKCU\\Software\\A\" /v \"q\\\"v\" /f"}},
      {"key deletion",
       [](auto& c) { DeleteRegKey(c, L"HKCU\\Software\\C\\"); },
       {kReg + L"DELETE HKCU\\Software\\C /f"}},
      {"key with a blank",
       [](auto& c) { DeleteRegKey(c, L"HKCU\\Software\\A B"); },
       {kReg + L"DELETE \"HKCU\\Software\\A B\" /f"}},
      {"new key",
       [](auto& c) { CreateRegKey(c, L"HKCU\\Software\\New\\"); },
       {kReg + L"ADD \"HKCU\\Software\\New\" /ve /f"}},
      {"text with its trailing backslash",
       [](auto& c) {
         CreateRegValue(c, L"HKCU\\Software\\A", L"v", L"REG_SZ", L"C:\\Tools\\", true, L"");
       },
       {kReg + L" ADD \"HKCU\\Software\\A\" /v \"v\" /t REG_SZ /d \"C:\\Tools\\\\\" /f"}},
      {"multi-string with its separator",
       [](auto& c) {
         CreateRegValue(c, L"HKCU\\Software\\A", L"m", L"REG_MULTI_SZ", L"a;b", true, L";");
       },
       {kReg + L" ADD \"HKCU\\Software\\A\" /v \"m\" /t REG_MULTI_SZ /d a;b /s ; /f"}},
      {"negative DWORD as the tool takes it",
       [](auto& c) {
         CreateRegValue(c, L"HKCU\\Software\\A", L"d", L"REG_DWORD", L"-1", true, L"");
       },
       {kReg + L" ADD \"HKCU\\Software\\A\" /v \"d\" /t REG_DWORD /d 4294967295 /f"}},
      {"key export",
       [](auto& c) { ExportRegKey(c, L"HKCU\\Software\\A\\", L""); },
       {kReg + L"EXPORT \"HKCU\\Software\\A\" \"C:\\P\\settings.reg.voq-part\" /y"}},
      {"import",
       [](auto& c) { ImportRegFile(c, L"x y.reg"); },
       {kReg + L" IMPORT \"C:\\P\\x y.reg\""}},
      {"key move",
       [](auto& c) {
         CopyOrMoveRegKey(c, L"HKCU\\Software\\M", L"HKCU\\Software\\B", true, false);
       },
       {kReg + L"DELETE HKCU\\Software\\B /f",
        kReg + L"COPY \"HKCU\\Software\\M\" \"HKCU\\Software\\B\" /s /f",
        kReg + L"DELETE HKCU\\Software\\M /f"}},
      {"DWORD move, unsigned",
       [](auto& c) {
         CopyOrMoveRegValue(c, L"HKCU\\Software\\V\\all", L"HKCU\\Software\\W\\all", true, false);
       },
       {kReg + L" ADD \"HKCU\\Software\\W\" /v \"all\" /t REG_DWORD /d 4294967295 /f",
        kReg + L" DELETE \"HKCU\\Software\\V\" /v \"all\" /f"}},
      {"register",
       [](auto& c) { RegisterDll(c, L"My Lib.dll", L"Unregister"); },
       {kRegsvr32 + L" /s \"C:\\P\\My Lib.dll\""}},
      {"unregister",
       [](auto& c) { RegisterDll(c, L"lib.dll", L"unregister"); },
       {kRegsvr32 + L"/u /s C:\\P\\lib.dll"}},
  };
  FakeAddFile(L"C:\\P\\x y.reg", "REGEDIT4\r\n");
  for (const Case& c : cases) EXPECT_EQ(Sent([&] { c.operation(ctx); }), c.lines) << c.what;
}

// Only an answer of "not there" saves the tool; any other answer, or a path the
// registry cannot be asked about, starts it as written.
TEST_F(RegCommandsTest, NoToolStartsForWhatIsNotThereOrMustNotBeTouched) {
  const std::function<void(LauncherContext&)> nothing[] = {
      [](auto& c) { DeleteRegValue(c, L"HKCU\\Software\\A", L"gone"); },
      [](auto& c) { DeleteRegValue(c, L"HKCU\\Software\\Gone", L"v"); },
      [](auto& c) { DeleteRegValue(c, L"HKCU\\Software\\A", L""); },
      [](auto& c) { DeleteRegKey(c, L"HKCU\\Software\\Gone"); },
      [](auto& c) { DeleteRegKey(c, L"HKCU"); },
      [](auto& c) { DeleteRegKey(c, L"HKEY_CURRENT_USER\\\\"); },
      [](auto& c) { DeleteEmptyRegKey(c, L"HKCU\\Software\\Gone"); },
      [](auto& c) { CreateRegKey(c, L"hkcu\\software\\a"); },
      [](auto& c) { ImportRegFile(c, L"missing.reg"); },
      [](auto& c) { ExportRegKey(c, L"HKCU\\Software\\Gone", L""); },
      [](auto& c) {
        CopyOrMoveRegKey(c, L"HKCU\\Software\\A", L"HKEY_CURRENT_USER\\software\\a\\", true, false);
      },
      [](auto& c) {
        CopyOrMoveRegKey(c, L"HKCU\\Software\\A", L"HKCU\\Software\\A\\Sub", false, false);
      },
      [](auto& c) {
        CopyOrMoveRegKey(c, L"HKCU\\Software\\A\\Sub", L"HKCU\\Software\\A", true, false);
      },
      [](auto& c) { CopyOrMoveRegKey(c, L"HKCU", L"HKCU\\Software\\X", false, false); },
      [](auto& c) {
        CopyOrMoveRegValue(c, L"HKCU\\Software\\A\\v", L"hkey_current_user\\Software\\A\\V", true,
                           false);
      },
      [](auto& c) {
        CopyOrMoveRegValue(c, L"HKCU\\Software\\A\\gone", L"HKCU\\Software\\B\\v", false, false);
      },
  };
  for (size_t i = 0; i < std::size(nothing); ++i)
    EXPECT_EQ(Sent([&] { nothing[i](ctx); }), std::vector<std::wstring>{}) << "case " << i;

  Fake().registry[{RegRoot::CurrentUser, L"software\\b"}].readable = false;
  EXPECT_EQ(Sent([&] { DeleteRegKey(ctx, L"HKCU\\Software\\B"); }),
            std::vector<std::wstring>{kReg + L"DELETE HKCU\\Software\\B /f"});
  EXPECT_EQ(Sent([&] { DeleteRegValue(ctx, L"HKCU\\Software\\B", L"v"); }),
            std::vector<std::wstring>{kReg + L" DELETE \"HKCU\\Software\\B\" /v \"v\" /f"});
  EXPECT_EQ(Sent([&] { DeleteRegKey(ctx, L"HKXX\\Software\\B"); }),
            std::vector<std::wstring>{kReg + L"DELETE HKXX\\Software\\B /f"});
}

// The tools that remove or replace data wait until they have ended; a one-off
// command keeps the tool time-out.
TEST_F(RegCommandsTest, StepsOthersDependOnWaitForTheirToolToEnd) {
  CopyOrMoveRegKey(ctx, L"HKCU\\Software\\M", L"HKCU\\Software\\B", true, false);
  ASSERT_EQ(Fake().hiddenStarts.size(), 3u);
  EXPECT_EQ(Fake().hiddenStarts[0].timeoutMs, kToolEndBoundMs);
  EXPECT_EQ(Fake().hiddenStarts[1].timeoutMs, kToolEndBoundMs);
  EXPECT_EQ(Fake().hiddenStarts[2].timeoutMs, kToolTimeoutMs);
}
