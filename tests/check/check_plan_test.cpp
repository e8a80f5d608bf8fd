// voq-check's report of a few configurations on an in-memory machine, compared
// whole: the plan comes from the launcher's own sequence, so a change to an
// operation shows here.
#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"
#include "tools/voq-check/check_tool.h"

namespace {

std::string g_printed;
void Capture(const std::string& text) { g_printed += text; }

struct Checked {
  int exitCode;
  std::string report;
};

Checked Check(const std::wstring& ini) {
  g_printed.clear();
  FakeAddFile(L"C:\\P\\Editor.ini", Utf8FromWide(ini));
  try {
    RunCheckTool({L"C:\\P\\Editor.exe"}, L"C:\\", Capture);
  } catch (const FakeExit& exit) {
    return {exit.exitCode, g_printed};
  }
  return {-1, g_printed};
}

void ArrangeMachine() {
  ResetFake();
  Fake().env[L"windir"] = L"C:\\Windows";
  Fake().env[L"comspec"] = L"C:\\Windows\\system32\\cmd.exe";
  Fake().env[L"appdata"] = L"C:\\Users\\me\\AppData\\Roaming";
  for (const wchar_t* folder :
       {L"C:\\P", L"C:\\P\\App", L"C:\\P\\Settings", L"C:\\P\\Settings\\sub", L"C:\\Users",
        L"C:\\Users\\me", L"C:\\Users\\me\\AppData", L"C:\\Users\\me\\AppData\\Roaming",
        L"C:\\Users\\me\\AppData\\Roaming\\Editor"})
    FakeAddFolder(folder);
  FakeAddFile(L"C:\\P\\Editor.exe", "MZ");
  FakeAddFile(L"C:\\P\\App\\Editor.exe", "MZ app");
  FakeAddFile(L"C:\\P\\Settings\\a.cfg", std::string(2000, 'a'));
  FakeAddFile(L"C:\\P\\Settings\\sub\\b.cfg", "bb");
  FakeAddFile(L"C:\\Users\\me\\AppData\\Roaming\\Editor\\mine.cfg", std::string(5000, 'm'));
}

}  // namespace

TEST(CheckPlan, Explore) {
  ArrangeMachine();
  const Checked c = Check(
      L"[GENERAL]\r\napplication = App\\Editor.exe\r\n[BEFORE]\r\ndir = %APPDATA%\\Editor\r\n");
  printf("exit %d\n%s\n", c.exitCode, c.report.c_str());
}
