// voq-check's report of a few configurations on an in-memory machine, compared
// whole: the plan comes from the launcher's own sequence, so a change to an
// operation shows here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/run_record.h"
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

Checked Check(const std::wstring& ini, const std::vector<std::wstring>& arguments) {
  g_printed.clear();
  FakeAddFile(L"C:\\P\\Editor.ini", Utf8FromWide(ini));
  try {
    RunCheckTool(arguments, L"C:\\", Capture);
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

// What a run cut short while its application ran leaves: the machine's folder set
// aside, the application's data in its place, and the record that says so.
void LeaveARunCutShort() {
  LauncherContext ctx;
  ctx.launcherPath = L"C:\\P\\Editor.exe";
  ctx.launcherFolder = L"C:\\P\\";
  ctx.launcherName = L"Editor";
  IdentifyRunner(ctx);
  const std::wstring local = L"C:\\Users\\me\\AppData\\Roaming\\Editor";
  const RunRecord record{
      ctx.runner,
      L"Editor.exe",
      {RunItem{std::wstring(kStageInUse), L"20260101120000", L"dir", local, kEarlierRun}}};
  FakeAddFile(RunRecordPath(ctx), RunRecordText(ctx, record));
  FakeAddFolder(local + L"_backup");
  FakeAddFile(local + L"_backup\\mine.cfg", FakeFileBytes(local + L"\\mine.cfg"));
  Fake().files.erase(LowerAscii(local + L"\\mine.cfg"));
  FakeAddFile(local + L"\\a.cfg", "changed by the application");
}

struct PlanRow {
  const char* what;
  void (*arrange)();
  std::vector<std::wstring> arguments;
  const wchar_t* ini;
  int exitCode;
  const char* report;
};

const PlanRow kPlanRows[] = {
    {"a wrapped folder",
     nullptr,
     {L"C:\\P\\Editor.exe"},
     L"[GENERAL]\r\napplication = App\\Editor.exe\r\n[BEFORE]\r\ndir = %APPDATA%\\Editor\r\n",
     0,
     R"plan(voq-check: C:\P\Editor.exe

Configuration file: C:\P\Editor.ini
  C:\P\EditorX64.ini: not there
  C:\P\Editor.ini: chosen (named after the launcher)
  C:\P\voQX64.ini: not looked at
  C:\P\voQ.ini: not looked at
Application: C:\P\App\Editor.exe
  chosen: field 1 of application
  working folder: C:\P\App
  command line: (none)
Requirements: none

Pending: nothing

Plan:
  BEFORE dir = C:\Users\me\AppData\Roaming\Editor
      - notes its progress in the run record
      - sets C:\Users\me\AppData\Roaming\Editor (1 file, 4.9 KB) aside as Editor_backup
      - notes its progress in the run record
      - creates the folder C:\Users\me\AppData\Roaming\Editor
      - copies 2 files (2.0 KB) from C:\P\Settings to C:\Users\me\AppData\Roaming\Editor, making 1 folder
      - notes its progress in the run record
  The application
      - starts C:\P\App\Editor.exe
      - waits until it has ended
      - may change anything in C:\Users\me\AppData\Roaming\Editor: the AFTER steps below count all of it as changed
  AFTER dir = C:\Users\me\AppData\Roaming\Editor  [automatic]
      - copies 2 files (2.0 KB) from C:\Users\me\AppData\Roaming\Editor to C:\P\Settings
      - notes its progress in the run record
      - deletes C:\Users\me\AppData\Roaming\Editor with everything in it (2 files, 2.0 KB)
      - notes its progress in the run record
      - puts C:\Users\me\AppData\Roaming\Editor back from Editor_backup (1 file, 4.9 KB)
      - removes the run record

Different from now when the application starts:
  C:\P\Editor.900e99ba.running: now missing, then a file of 343 bytes
  C:\Users\me\AppData\Roaming\Editor\a.cfg: now missing, then a file of 2000 bytes
  C:\Users\me\AppData\Roaming\Editor\mine.cfg: now a file of 5000 bytes, then missing
  C:\Users\me\AppData\Roaming\Editor\sub: now missing, then a folder
  C:\Users\me\AppData\Roaming\Editor\sub\b.cfg: now missing, then a file of 2 bytes
  C:\Users\me\AppData\Roaming\Editor_backup: now missing, then a folder
  C:\Users\me\AppData\Roaming\Editor_backup\mine.cfg: now missing, then a file of 5000 bytes

Different from now once the launcher has ended: nothing

Warnings: none

Nothing to look at.
)plan"},
    {"what to look at",
     nullptr,
     {L"C:\\P\\Editor.exe"},
     L"[GENERAL]\r\napplication = App\\Editor.exe\r\n!dotnet = 4.5\r\n[BEFORE]\r\n# old\r\n"
     L"file = %APPDATA%\\Editor\\Editor.ini\r\n"
     L"-dir = %APPDATA%\\Editor\r\nfrobnicate = 1\r\n[BEFORE]\r\nfile = x.txt\r\n",
     1,
     R"plan(voq-check: C:\P\Editor.exe

Configuration file: C:\P\Editor.ini
  C:\P\EditorX64.ini: not there
  C:\P\Editor.ini: chosen (named after the launcher)
  C:\P\voQX64.ini: not looked at
  C:\P\voQ.ini: not looked at
Application: C:\P\App\Editor.exe
  chosen: field 1 of application
  working folder: C:\P\App
  command line: (none)
Requirements:
  !dotnet = 4.5: does not hold here: asks "Editor needs Microsoft .NET version 4.5 to be installed. / Continue anyway?" (asked at start; the plan goes on as if the answer were Yes)

Pending: nothing

Plan:
  BEFORE # old = 
      - changes nothing
  BEFORE file = C:\Users\me\AppData\Roaming\Editor\Editor.ini
      - changes nothing
  BEFORE -dir = C:\Users\me\AppData\Roaming\Editor
      - deletes C:\Users\me\AppData\Roaming\Editor with everything in it (1 file, 4.9 KB)
  BEFORE frobnicate = 1
      - shows the message "Unknown key "frobnicate""
  The application
      - starts C:\P\App\Editor.exe
      - waits until it has ended
  AFTER file = C:\Users\me\AppData\Roaming\Editor\Editor.ini  [automatic]
      - changes nothing

Different from now when the application starts:
  C:\Users\me\AppData\Roaming\Editor: now a folder, then missing
  C:\Users\me\AppData\Roaming\Editor\mine.cfg: now a file of 5000 bytes, then missing

Different from now once the launcher has ended:
  C:\Users\me\AppData\Roaming\Editor: now a folder, then missing
  C:\Users\me\AppData\Roaming\Editor\mine.cfg: now a file of 5000 bytes, then missing

Warnings:
  - !dotnet = 4.5: does not hold here: asks "Editor needs Microsoft .NET version 4.5 to be installed. / Continue anyway?" (asked at start; the plan goes on as if the answer were Yes)
  - BEFORE -dir = C:\Users\me\AppData\Roaming\Editor: deletes C:\Users\me\AppData\Roaming\Editor with everything in it (1 file, 4.9 KB), which is there now
  - BEFORE frobnicate = 1: the launcher shows "Unknown key "frobnicate""
  - line 5 begins with #: read as a key, not as a comment (comments begin with ;)
  - line 9: a second [BEFORE] header; only the first section of the name is read
  - BEFORE file = C:\Users\me\AppData\Roaming\Editor\Editor.ini: C:\P\Editor.ini is the launcher's own file, so the item is left out

The start would run; look at the warnings above.
)plan"},
    {"a run cut short",
     LeaveARunCutShort,
     {L"C:\\P\\Editor.exe"},
     L"[GENERAL]\r\napplication = App\\Editor.exe\r\n[BEFORE]\r\ndir = %APPDATA%\\Editor\r\n",
     0,
     R"plan(voq-check: C:\P\Editor.exe

Configuration file: C:\P\Editor.ini
  C:\P\EditorX64.ini: not there
  C:\P\Editor.ini: chosen (named after the launcher)
  C:\P\voQX64.ini: not looked at
  C:\P\voQ.ini: not looked at
Application: C:\P\App\Editor.exe
  chosen: field 1 of application
  working folder: C:\P\App
  command line: (none)
Requirements: none

Pending:
  run record C:\P\Editor.900e99ba.running: the next start finishes first:
    dir = C:\Users\me\AppData\Roaming\Editor (in use): finished before the BEFORE walk

Plan:
  Before BEFORE: what is pending
      - copies C:\Users\me\AppData\Roaming\Editor\a.cfg to C:\P\Settings\a.cfg (26 bytes)
      - notes its progress in the run record
      - deletes C:\Users\me\AppData\Roaming\Editor with everything in it (1 file, 26 bytes)
      - notes its progress in the run record
      - puts C:\Users\me\AppData\Roaming\Editor back from Editor_backup (1 file, 4.9 KB)
      - removes the run record
  BEFORE dir = C:\Users\me\AppData\Roaming\Editor
      - notes its progress in the run record
      - sets C:\Users\me\AppData\Roaming\Editor (1 file, 4.9 KB) aside as Editor_backup
      - notes its progress in the run record
      - creates the folder C:\Users\me\AppData\Roaming\Editor
      - copies 2 files (28 bytes) from C:\P\Settings to C:\Users\me\AppData\Roaming\Editor, making 1 folder
      - notes its progress in the run record
  The application
      - starts C:\P\App\Editor.exe
      - waits until it has ended
      - may change anything in C:\Users\me\AppData\Roaming\Editor: the AFTER steps below count all of it as changed
  AFTER dir = C:\Users\me\AppData\Roaming\Editor  [automatic]
      - copies 2 files (28 bytes) from C:\Users\me\AppData\Roaming\Editor to C:\P\Settings
      - notes its progress in the run record
      - deletes C:\Users\me\AppData\Roaming\Editor with everything in it (2 files, 28 bytes)
      - notes its progress in the run record
      - puts C:\Users\me\AppData\Roaming\Editor back from Editor_backup (1 file, 4.9 KB)
      - removes the run record

Different from now when the application starts:
  C:\P\Editor.900e99ba.running: now a file of 343 bytes, then a file of 343 bytes
  C:\P\Settings\a.cfg: now a file of 2000 bytes, then a file of 26 bytes
  C:\Users\me\AppData\Roaming\Editor\sub: now missing, then a folder
  C:\Users\me\AppData\Roaming\Editor\sub\b.cfg: now missing, then a file of 2 bytes

Different from now once the launcher has ended:
  C:\P\Editor.900e99ba.running: now a file of 343 bytes, then missing
  C:\P\Settings\a.cfg: now a file of 2000 bytes, then a file of 26 bytes
  C:\Users\me\AppData\Roaming\Editor\a.cfg: now a file of 26 bytes, then missing
  C:\Users\me\AppData\Roaming\Editor\mine.cfg: now missing, then a file of 5000 bytes
  C:\Users\me\AppData\Roaming\Editor_backup: now a folder, then missing
  C:\Users\me\AppData\Roaming\Editor_backup\mine.cfg: now a file of 5000 bytes, then missing

Warnings: none

Nothing to look at.
)plan"},
    {"no configuration file",
     nullptr,
     {L"C:\\P\\Editor.exe"},
     L"",
     2,
     R"plan(voq-check: C:\P\Editor.exe

Configuration file: none
  C:\P\EditorX64.ini: not there
  C:\P\Editor.ini: skipped: empty
  C:\P\voQX64.ini: not there
  C:\P\voQ.ini: not there
Application: none
Requirements: none

Pending: nothing

Plan:
  At start
      - asks "No ini file found! / Create a new one?" (asked at start; the plan goes on as if the answer were OK)
      - writes C:\P\Editor.ini (3.0 KB)

Different from now once the launcher has ended:
  C:\P\Editor.ini: now a file of 0 bytes, then a file of 3033 bytes

Warnings: none

The launcher would end before it starts the application (exit code 0).
)plan"},
    {"a value behind a password",
     nullptr,
     {L"C:\\P\\Editor.exe"},
     L"[GENERAL]\r\napplication = App\\Editor.exe\r\ncommandline = "
     L"!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8\r\n",
     1,
     R"plan(voq-check: C:\P\Editor.exe

Configuration file: C:\P\Editor.ini
  C:\P\EditorX64.ini: not there
  C:\P\Editor.ini: chosen (named after the launcher)
  C:\P\voQX64.ini: not looked at
  C:\P\voQ.ini: not looked at
Application: C:\P\App\Editor.exe
  chosen: field 1 of application
  working folder: C:\P\App
  command line: (none)
Requirements: none
Asked at start: a password: Editor: Enter password:

Pending: nothing

Plan:
  While reading GENERAL commandline = !@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8
      - asks for a password: Editor: Enter password: (asked at start)

Different from now once the launcher has ended: nothing

Warnings:
  - a value is locked with a password, which voQ asks at start: the plan stops there

The plan stops at the password; look at the warnings above.
)plan"},
    {"an application that is not there",
     nullptr,
     {L"--json", L"C:\\P\\Editor.exe"},
     L"[GENERAL]\r\napplication = App\\Missing.exe\r\n",
     2,
     R"plan({"launcher":"C:\\P\\Editor.exe","configurationFile":"C:\\P\\Editor.ini","candidates":[{"name":"C:\\P\\EditorX64.ini","status":"not there"},{"name":"C:\\P\\Editor.ini","status":"chosen (named after the launcher)"},{"name":"C:\\P\\voQX64.ini","status":"not looked at"},{"name":"C:\\P\\voQ.ini","status":"not looked at"}],"application":{"path":"C:\\P\\App\\Missing.exe","chosen":"field 1 of application; not there","workingFolder":"","commandLine":""},"requirements":[],"asked":[],"pending":[],"plan":[{"step":"While reading GENERAL application = App\\Missing.exe","automatic":false,"does":["shows the message \"Main application not found! / Please check C:\\P\\Editor.ini.\""]}],"atApplication":[],"atEnd":[],"warnings":["GENERAL application = App\\Missing.exe: the launcher shows \"Main application not found! / Please check C:\\P\\Editor.ini.\""],"outcome":"The launcher would end before it starts the application (exit code 1).","exitCode":2}
)plan"},
};

TEST(CheckPlan, TellsWhatAStartWouldDo) {
  for (const PlanRow& row : kPlanRows) {
    ArrangeMachine();
    if (row.arrange) row.arrange();
    const Checked c = Check(row.ini, row.arguments);
    EXPECT_EQ(c.exitCode, row.exitCode) << row.what;
    EXPECT_EQ(c.report, row.report) << row.what;
  }
}
