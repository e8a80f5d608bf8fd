#include "commands/run_record.h"

#include "tests/native/items_fixture.h"

namespace {

const std::wstring kApp = L"C:\\U\\AppData\\App";
const std::wstring kSettings = L"C:\\P\\Settings";
const std::string kDir = "[BEFORE]\r\ndir = %APPDATA%\\App\r\n";
const std::string kNote =
    "; voQ: items of a run in progress. The next start finishes them; keep this file.\r\n";

}  // namespace

class RunRecordTest : public ItemsTest {
 protected:
  void PortableData() {
    FakeAddFolder(kSettings);
    FakeAddFile(kSettings + L"\\s.ini", "v1");
  }
  void MachineData() {
    FakeAddFolder(kApp);
    FakeAddFile(kApp + L"\\own.txt", "machine");
  }
  // A start after a killed one: the application only looks.
  Entries NextRunSees(const std::string& ini = kDir) {
    Entries seen;
    EXPECT_EQ(Run(ini, [&] { seen = Tree(kApp); }), 0);
    return seen;
  }
};

TEST_F(RunRecordTest, KilledRunIsFinishedFirstAndBothDataSurvive) {
  PortableData();
  MachineData();
  RunKilled(kDir, [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  EXPECT_EQ(Record(), kNote + "in use :: dir :: C:\\U\\AppData\\App\r\n");

  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(RecordExists());
}

// Without machine data there is no backup name to tell of the killed run: the
// record alone does.
TEST_F(RunRecordTest, KilledRunWithoutMachineDataIsFoundThroughTheRecord) {
  PortableData();
  RunKilled(kDir, [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_FALSE(FolderExists(kApp));
}

// A read-only portable folder keeps no record; an existing backup name still tells,
// and is never written over while its item cannot be finished.
TEST_F(RunRecordTest, WithoutARecordTheBackupNameTellsOfTheKilledRun) {
  PortableData();
  MachineData();
  Fake().readOnlyFiles.insert(L"c:\\p\\tool.running");
  RunKilled(kDir, [] {
    FakeAddFile(kApp + L"\\s.ini", "v2");
    Fake().lockedFiles.insert(LowerAscii(kSettings + L"\\s.ini"));
  });
  EXPECT_FALSE(RecordExists());

  // The carry-back still fails: the application goes on with its own latest data.
  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));

  Fake().lockedFiles.clear();
  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
}

// Killed between setting the machine's data aside and removing it: the local
// folder still holds the machine's data and must not be carried into Settings.
TEST_F(RunRecordTest, RunKilledWhileSettingAsideRestoresWithoutTouchingSettings) {
  PortableData();
  MachineData();
  Fake().otherVolumes.insert(LowerAscii(kApp));  // no rename: copied aside, then cleared
  FakeAddFile(L"C:\\P\\Tool.ini", "[GENERAL]\r\napplication = App\\App.exe\r\n" + kDir);
  StartUp(ctx);
  Fake().onHiddenStart = [](const FakeHiddenStart& start) {
    if (Contains(start.commandLine, L"RMDIR C:\\U\\AppData\\App /S")) throw Killed{};
    return FakeInterpret(start);
  };
  EXPECT_THROW(RunMainSequence(ctx), Killed);
  FakeProcessEnded();
  EXPECT_EQ(Record(), kNote + "to clear :: dir :: C:\\U\\AppData\\App\r\n");

  Fake().onHiddenStart = FakeInterpret;
  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
}

TEST_F(RunRecordTest, RecordListsAnItemBeforeItsFirstStepAndGoesAtTheEnd) {
  PortableData();
  MachineData();
  Fake().otherVolumes.insert(LowerAscii(kApp));  // the first step is a tool then
  std::string firstStep;
  Fake().onHiddenStart = [&](const FakeHiddenStart& start) {
    if (firstStep.empty()) firstStep = Record();
    return FakeInterpret(start);
  };
  Run(kDir);
  EXPECT_EQ(firstStep, kNote + "spare :: dir :: C:\\U\\AppData\\App\r\n");
  EXPECT_FALSE(RecordExists());
}

TEST_F(RunRecordTest, RunWithoutWrapItemsKeepsNoRecord) {
  bool recordSeen = false;
  Run("[BEFORE]\r\n+dir = %APPDATA%\\New\r\n", [&] { recordSeen = RecordExists(); });
  EXPECT_FALSE(recordSeen);
  EXPECT_TRUE(FolderExists(L"C:\\U\\AppData\\New"));
}

// nowait ends the launcher while the application runs: the next start must not pull
// the data away from it, and carries it back once its own application has ended.
TEST_F(RunRecordTest, DetachedRunLeavesItsDataInUseUntilARunWithAnAfterWalk) {
  PortableData();
  MachineData();
  EXPECT_EQ(Run("[BEFORE]\r\nnowait = 1\r\n" + kDir.substr(10)), 0);
  EXPECT_EQ(Record(), kNote + "held :: dir :: C:\\U\\AppData\\App\r\n");
  FakeAddFile(kApp + L"\\s.ini", "v2");  // the detached application saves

  // A second detached run leaves everything as it is.
  Fake().hiddenStarts.clear();
  EXPECT_EQ(Run("[BEFORE]\r\nnowait = 1\r\n" + kDir.substr(10)), 0);
  EXPECT_EQ(Tree(kApp), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(Record(), kNote + "held :: dir :: C:\\U\\AppData\\App\r\n");

  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(RecordExists());
}

TEST_F(RunRecordTest, QuitInBeforeHoldsTheItemsAlreadyInPlace) {
  PortableData();
  EXPECT_EQ(Run(kDir + "quit = 1\r\nfile = %APPDATA%\\Later.ini\r\n"), 0);
  EXPECT_TRUE(Fake().shellStarts.empty());
  EXPECT_EQ(Record(), kNote + "held :: dir :: C:\\U\\AppData\\App\r\n");
}

// Ended during AFTER (the application has ended): the rest is finished at the next
// start like a killed run.
TEST_F(RunRecordTest, QuitInAfterLeavesTheRestForTheNextStart) {
  PortableData();
  MachineData();
  Run(kDir + "[AFTER]\r\nquit = 1\r\nrestore = 1\r\n",
      [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  EXPECT_EQ(Record(), kNote + "in use :: dir :: C:\\U\\AppData\\App\r\n");

  Run("[BEFORE]\r\n+dir = C:\\U\\Other\r\n");  // the item is no longer configured
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(RecordExists());
}

// A launcher of the same folder that runs now (several instances allowed) holds
// its record open: its items are its own.
TEST_F(RunRecordTest, ItemsOfALauncherThatRunsNowAreLeftToIt) {
  PortableData();
  FakeAddFolder(kApp);
  FakeAddFile(kApp + L"\\s.ini", "theirs");
  FakeAddFile(L"C:\\P\\Tool.running", kNote + "in use :: dir :: C:\\U\\AppData\\App\r\n");
  Fake().readOnlyFiles.insert(L"c:\\p\\tool.running");  // opens for reading only
  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "theirs"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"s.ini", "theirs"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(Record(), kNote + "in use :: dir :: C:\\U\\AppData\\App\r\n");
}

TEST_F(RunRecordTest, FurtherInstanceFinishesNothing) {
  PortableData();
  FakeAddFolder(kApp);
  FakeAddFile(kApp + L"\\s.ini", "v2");
  FakeAddFile(L"C:\\P\\Tool.running", kNote + "in use :: dir :: C:\\U\\AppData\\App\r\n");
  ctx.additionalInstance = 1;
  RecoverUnfinishedRun(ctx);
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(ctx.runRecordFile, 0u);
}

// A backup item's application starts from an empty place even after a killed run
// that could keep no record: the backup name tells, and is put back first.
TEST_F(RunRecordTest, KilledBackupItemRunIsPutBackBeforeTheNextRun) {
  MachineData();
  Fake().readOnlyFiles.insert(L"c:\\p\\tool.running");
  const std::string ini = "[BEFORE]\r\n(dir) = %APPDATA%\\App\r\n";
  RunKilled(ini, [] {
    FakeAddFolder(kApp);
    FakeAddFile(kApp + L"\\junk.txt", "junk");
  });
  EXPECT_EQ(NextRunSees(ini), Entries{});
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
}

// Such a value names no place Windows can have. Recorded, it would split its line,
// and the next start would clear the folder named before the break.
TEST_F(RunRecordTest, ValueWithALineBreakIsNoItem) {
  MachineData();
  Fake().clipboard = L"C:\\U\\AppData\\App\r\n";
  RunKilled("[BEFORE]\r\ndir = {CLIPBOARD}\r\n");
  EXPECT_FALSE(RecordExists());
  NextRunSees("[BEFORE]\r\n+dir = C:\\U\\Other\r\n");
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
}
