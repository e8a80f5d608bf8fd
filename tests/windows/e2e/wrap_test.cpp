// Folders and files around a run: wrap and backup items, copies and moves,
// creation and deletion, and what survives a killed launcher or a portable folder
// that cannot be written.
#include <windows.h>

#include <cstdio>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

// The machine's side: a folder outside the portable one, standing for %APPDATA%.
struct Machine {
  ScopedFolder root{L"voq-machine"};
  std::wstring Path(const std::wstring& relative) const { return root.path + relative; }
};

std::string Bytes(const std::wstring& path) { return ReadBytes(path); }

void WriteIni(const PortableFolder& folder, const std::string& sections) {
  ASSERT_TRUE(WriteFileIn(folder, folder.name + L".ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n" + sections)));
}

std::string Narrow(const std::wstring& text) { return Utf8(text); }

}  // namespace

// A folder and a file wrapped around two runs; a third run without the items shows
// what the items cost. The durations are printed for the record, not judged.
TEST(WrapItems, DirAndFileRoundTripCarryTheApplicationsChangesBack) {
  PortableFolder folder(L"WrapDir");
  Machine machine;
  const std::wstring local = machine.Path(L"App");
  const std::wstring localFile = machine.Path(L"App.ini");
  ASSERT_TRUE(MakeFolders(local));
  ASSERT_TRUE(WriteBytes(local + L"\\own.txt", "machine"));
  ASSERT_TRUE(WriteBytes(localFile, "machine ini"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Settings\\Sub")));
  ASSERT_TRUE(WriteFileIn(folder, L"Settings\\Sub\\counter.txt", "1"));
  ASSERT_TRUE(WriteFileIn(folder, L"App.ini", "10"));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  // The application changes its settings while it runs, and shows a window so
  // that the test can tell when it runs.
  const std::wstring changeAndShow = L"increment|" + local + L"\\Sub\\counter.txt\n" +
                                     L"increment|" + localFile + L"\n" +
                                     L"window|600|voQ wrap app\n";
  const std::string items =
      "[BEFORE]\ndir = " + Narrow(local) + "\nfile = " + Narrow(localFile) + "\n";

  struct Expected {
    const char* counter;
    const char* ini;
    bool wrapped;
  };
  for (const Expected& expected :
       {Expected{"2", "11", true}, Expected{"3", "12", true}, Expected{"3", "12", false}}) {
    WriteIni(folder, expected.wrapped ? items : "");
    ASSERT_TRUE(
        WriteAppControl(app, expected.wrapped ? changeAndShow : L"window|600|voQ wrap app\n"));
    Started started;
    ASSERT_TRUE(StartLauncher(folder, started));
    ASSERT_TRUE(WaitUntil([] { return WindowTitled(L"voQ wrap app"); }, 15s));
    const long long appShown = NowMs();
    if (expected.wrapped) {
      EXPECT_FALSE(Exists(local + L"\\own.txt")) << "the machine's data is set aside";
      EXPECT_EQ(Bytes(local + L"_backup\\own.txt"), "machine");
      EXPECT_EQ(Bytes(localFile + L"_backup"), "machine ini");
    }
    ASSERT_TRUE(WaitUntil([] { return !WindowTitled(L"voQ wrap app"); }, 15s));
    const long long appGone = NowMs();
    ASSERT_EQ(WaitForSingleObject(started.process.hProcess, 20000), WAIT_OBJECT_0);
    const long long ended = NowMs();
    std::printf("%s: start to application window %lld ms, window gone to end %lld ms\n",
                expected.wrapped ? "dir and file" : "no items", appShown - started.startMs,
                ended - appGone);

    EXPECT_EQ(Bytes(PathIn(folder, L"Settings\\Sub\\counter.txt")), expected.counter);
    EXPECT_EQ(Bytes(PathIn(folder, L"App.ini")), expected.ini);
    EXPECT_EQ(Bytes(local + L"\\own.txt"), "machine");
    EXPECT_EQ(Bytes(localFile), "machine ini");
    EXPECT_FALSE(Exists(local + L"_backup"));
    EXPECT_FALSE(Exists(localFile + L"_backup"));
    EXPECT_FALSE(Exists(RunRecordOf(folder)));
  }
  EXPECT_FALSE(Exists(local + L"\\Sub"));
}

TEST(WrapItems, FileComesFromAFolderFormPortableFieldUnderItsOwnName) {
  PortableFolder folder(L"WrapFile");
  Machine machine;
  const std::wstring local = machine.Path(L"App.ini");
  ASSERT_TRUE(WriteBytes(local, "machine"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Data")));
  ASSERT_TRUE(WriteFileIn(folder, L"Data\\App.ini", "p1"));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, L"append|" + local + L"|+changed\n"));
  WriteIni(folder, "[BEFORE]\nfile = " + Narrow(local) + " :: Data\\\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(Bytes(PathIn(folder, L"Data\\App.ini")), "p1+changed\r\n");
  EXPECT_EQ(Bytes(local), "machine");
  EXPECT_FALSE(Exists(local + L"_backup"));
}

TEST(WrapItems, BackupOfAMissingFileRemovesWhatTheApplicationCreated) {
  PortableFolder folder(L"WrapMissing");
  Machine machine;
  const std::wstring trace = machine.Path(L"Trace.log");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, L"append|" + trace + L"|trace\n"));
  WriteIni(folder, "[BEFORE]\n(file) = " + Narrow(trace) + "\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_FALSE(Exists(trace));
  EXPECT_FALSE(Exists(trace + L"_backup"));
  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
}

TEST(CopyMoveItems, CopiesMovesCreatesAndDeletesAsWritten) {
  PortableFolder folder(L"CopyMove");
  Machine machine;
  const auto m = [&](const wchar_t* relative) { return machine.Path(relative); };
  // ->dir "move, no overwrite" over an existing target: both stay.
  ASSERT_TRUE(MakeFolders(m(L"A")) && MakeFolders(m(L"B")));
  ASSERT_TRUE(WriteBytes(m(L"A\\a.txt"), "a") && WriteBytes(m(L"B\\b.txt"), "b"));
  // <-file: the second field is copied onto the first.
  ASSERT_TRUE(WriteBytes(m(L"One.ini"), "one") && WriteBytes(m(L"Two.ini"), "two"));
  // A pattern copies matching files and creates every subfolder.
  ASSERT_TRUE(MakeFolders(m(L"Src\\Sub")) && MakeFolders(m(L"Src\\Empty")));
  ASSERT_TRUE(WriteBytes(m(L"Src\\a.ini"), "1") && WriteBytes(m(L"Src\\a.txt"), "2") &&
              WriteBytes(m(L"Src\\Sub\\b.ini"), "3") && WriteBytes(m(L"Src\\Empty\\c.txt"), "4"));
  // -dir ifempty, -file with a wildcard.
  ASSERT_TRUE(MakeFolders(m(L"Full")) && MakeFolders(m(L"Hollow")));
  ASSERT_TRUE(WriteBytes(m(L"Full\\f.txt"), "f"));
  ASSERT_TRUE(WriteBytes(m(L"File.ini"), "x") && WriteBytes(m(L"File2.txt"), "x") &&
              WriteBytes(m(L"Other.txt"), "x"));
  AddTestApp(folder, L"App\\App.exe");
  const std::string root = Narrow(machine.root.path);
  WriteIni(folder, "[BEFORE]\n->dir = " + root + "A :: " + root + "B :: move, no overwrite\n" +
                       "<-file = " + root + "One.ini :: " + root + "Two.ini\n" + "->dir = " + root +
                       "Src :: " + root + "Dst ::  :: *.ini\n" + "+dir = " + root +
                       "Made\\Deep\n" +  //
                       "+file = " + root + "Made\\n.txt ::  :: hello\n" +
                       "[AFTER]\n-dir = " + root + "Full :: ifempty\n" +  //
                       "-dir = " + root + "Hollow :: ifempty\n" +         //
                       "-file = " + root + "File*\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(Bytes(m(L"A\\a.txt")), "a");
  EXPECT_EQ(Bytes(m(L"B\\b.txt")), "b");
  EXPECT_FALSE(Exists(m(L"B\\a.txt")));
  EXPECT_EQ(Bytes(m(L"One.ini")), "two");
  EXPECT_EQ(Bytes(m(L"Dst\\a.ini")), "1");
  EXPECT_EQ(Bytes(m(L"Dst\\Sub\\b.ini")), "3");
  EXPECT_TRUE(Exists(m(L"Dst\\Empty")));
  EXPECT_FALSE(Exists(m(L"Dst\\a.txt")));
  EXPECT_FALSE(Exists(m(L"Dst\\Empty\\c.txt")));
  EXPECT_EQ(Bytes(m(L"Made\\n.txt")), "hello");
  EXPECT_TRUE(Exists(m(L"Made\\Deep")));
  EXPECT_EQ(Bytes(m(L"Full\\f.txt")), "f");
  EXPECT_FALSE(Exists(m(L"Hollow")));
  EXPECT_FALSE(Exists(m(L"File.ini")));
  EXPECT_FALSE(Exists(m(L"File2.txt")));
  EXPECT_TRUE(Exists(m(L"Other.txt")));
}

// The launcher dies while the application runs (TerminateProcess: no clean-up).
// The next start finishes that run first: the machine's data and the settings the
// application saved last both survive.
TEST(WrapFaults, KilledLauncherLosesNothingAtTheNextStart) {
  PortableFolder folder(L"WrapKilled");
  Machine machine;
  const std::wstring local = machine.Path(L"App");
  ASSERT_TRUE(MakeFolders(local));
  ASSERT_TRUE(WriteBytes(local + L"\\own.txt", "machine"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Settings")));
  ASSERT_TRUE(WriteFileIn(folder, L"Settings\\counter.txt", "1"));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(
      app, L"increment|" + local + L"\\counter.txt\n" + L"window|800|voQ killed app\n"));
  WriteIni(folder, "[BEFORE]\ndir = " + Narrow(local) + "\n");

  {
    Started started;
    ASSERT_TRUE(StartLauncher(folder, started));
    ASSERT_TRUE(WaitUntil([] { return WindowTitled(L"voQ killed app"); }, 15s));
    ASSERT_TRUE(TerminateProcess(started.process.hProcess, 0xDEAD));
    WaitForSingleObject(started.process.hProcess, 5000);
  }
  ASSERT_TRUE(WaitUntil([] { return !WindowTitled(L"voQ killed app"); }, 15s));
  EXPECT_EQ(Bytes(local + L"\\counter.txt"), "2");
  EXPECT_EQ(Bytes(local + L"_backup\\own.txt"), "machine");
  EXPECT_EQ(RecordedItems(folder), std::vector<std::wstring>{L"in use :: dir :: " + local});

  const LaunchResult again = RunLauncher(folder, L"");
  ASSERT_TRUE(again.ended);
  EXPECT_EQ(Bytes(PathIn(folder, L"Settings\\counter.txt")), "3");
  EXPECT_EQ(Bytes(local + L"\\own.txt"), "machine");
  EXPECT_FALSE(Exists(local + L"\\counter.txt"));
  EXPECT_FALSE(Exists(local + L"_backup"));
  EXPECT_FALSE(Exists(RunRecordOf(folder)));
}

// The portable copy cannot be written when the application has ended (here a file
// of "Settings" held open without sharing): nothing is deleted, and the next start
// carries the data back once it can.
TEST(WrapFaults, UnwritableSettingsAtTheEndDeleteNothing) {
  PortableFolder folder(L"WrapLocked");
  Machine machine;
  const std::wstring local = machine.Path(L"App");
  ASSERT_TRUE(MakeFolders(local));
  ASSERT_TRUE(WriteBytes(local + L"\\own.txt", "machine"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Settings")));
  ASSERT_TRUE(WriteFileIn(folder, L"Settings\\counter.txt", "1"));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(
      app, L"increment|" + local + L"\\counter.txt\n" + L"window|600|voQ locked settings app\n"));
  WriteIni(folder, "[BEFORE]\ndir = " + Narrow(local) + "\n");

  Started started;
  ASSERT_TRUE(StartLauncher(folder, started));
  ASSERT_TRUE(WaitUntil([] { return WindowTitled(L"voQ locked settings app"); }, 15s));
  const std::wstring held = PathIn(folder, L"Settings\\counter.txt");
  HANDLE lock = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const bool ended = WaitForSingleObject(started.process.hProcess, 20000) == WAIT_OBJECT_0;
  CloseHandle(lock);
  ASSERT_TRUE(ended);

  EXPECT_EQ(Bytes(local + L"\\counter.txt"), "2");
  EXPECT_EQ(Bytes(local + L"_backup\\own.txt"), "machine");
  EXPECT_EQ(Bytes(held), "1");
  EXPECT_TRUE(Exists(RunRecordOf(folder)));

  const LaunchResult again = RunLauncher(folder, L"");
  ASSERT_TRUE(again.ended);
  EXPECT_EQ(Bytes(held), "3");
  EXPECT_EQ(Bytes(local + L"\\own.txt"), "machine");
  EXPECT_FALSE(Exists(local + L"_backup"));
  EXPECT_FALSE(Exists(RunRecordOf(folder)));
}
