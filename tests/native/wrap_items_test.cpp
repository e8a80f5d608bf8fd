#include "commands/run_section.h"
#include "tests/native/items_fixture.h"

namespace {

const std::wstring kApp = L"C:\\U\\AppData\\App";
const std::wstring kSettings = L"C:\\P\\Settings";

}  // namespace

class WrapItemTest : public ItemsTest {
 protected:
  // The machine's own App folder, and portable settings from an earlier run.
  void MachineAndPortableData() {
    FakeAddFolder(kApp);
    FakeAddFile(kApp + L"\\own.txt", "machine");
    FakeAddFolder(kSettings);
    FakeAddFile(kSettings + L"\\s.ini", "v1");
  }
};

TEST_F(WrapItemTest, DirRoundTripKeepsMachineDataAsideAndCarriesChangesBack) {
  MachineAndPortableData();
  const std::string ini = "[BEFORE]\r\ndir = %APPDATA%\\App\r\n";
  Entries seenByApp;
  EXPECT_EQ(Run(ini,
                [&] {
                  seenByApp = Tree(kApp);
                  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));
                  FakeAddFile(kApp + L"\\s.ini", "v2");
                  FakeAddFolder(kApp + L"\\Cache");
                  FakeAddFile(kApp + L"\\Cache\\c.bin", "c");
                }),
            0);
  EXPECT_EQ(seenByApp, (Entries{{L"s.ini", "v1"}}));
  const Entries carried{{L"cache\\", ""}, {L"cache\\c.bin", "c"}, {L"s.ini", "v2"}};
  EXPECT_EQ(Tree(kSettings), carried);
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(RecordExists());

  // The second run starts from what the first one carried back.
  EXPECT_EQ(Run(ini, [&] { seenByApp = Tree(kApp); }), 0);
  EXPECT_EQ(seenByApp, carried);
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
}

TEST_F(WrapItemTest, DirWithoutMachineDataLeavesNoLocalFolderAndCreatesSettings) {
  bool localCreated = false;
  EXPECT_EQ(Run("[BEFORE]\r\ndir = %APPDATA%\\App\r\n",
                [&] {
                  localCreated = FolderExists(kApp);
                  FakeAddFile(kApp + L"\\s.ini", "first");
                }),
            0);
  EXPECT_TRUE(localCreated);  // created empty for the application
  EXPECT_FALSE(FolderExists(kApp));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "first"}}));
}

// A folder-form portable field keeps the file's name; without one the file lives
// beside the launcher.
TEST_F(WrapItemTest, FilesComeFromTheirPortableLocationUnderTheirOwnNames) {
  FakeAddFile(L"C:\\U\\AppData\\App.ini", "machine");
  FakeAddFolder(L"C:\\P\\Data");
  FakeAddFile(L"C:\\P\\Data\\App.ini", "p1");
  std::string seen;
  EXPECT_EQ(
      Run("[BEFORE]\r\nfile = %APPDATA%\\App.ini :: Data\\\r\nfile = %APPDATA%\\Other.ini\r\n",
          [&] {
            seen = FakeFileBytes(L"C:\\U\\AppData\\App.ini");
            FakeAddFile(L"C:\\U\\AppData\\App.ini", "p2");
            FakeAddFile(L"C:\\U\\AppData\\Other.ini", "new");
          }),
      0);
  EXPECT_EQ(seen, "p1");
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\Data\\App.ini"), "p2");
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\AppData\\App.ini"), "machine");
  EXPECT_FALSE(FakeHasFile(L"C:\\U\\AppData\\App.ini_backup"));
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\Other.ini"), "new");
  EXPECT_FALSE(FakeHasFile(L"C:\\U\\AppData\\Other.ini"));
}

TEST_F(WrapItemTest, BackupOfAMissingFileRemovesWhatTheApplicationCreated) {
  bool sawBackup = true;
  EXPECT_EQ(Run("[BEFORE]\r\n(file) = %APPDATA%\\Trace.log\r\n",
                [&] {
                  sawBackup = FakeHasFile(L"C:\\U\\AppData\\Trace.log_backup");
                  FakeAddFile(L"C:\\U\\AppData\\Trace.log", "trace");
                }),
            0);
  EXPECT_FALSE(sawBackup);
  EXPECT_FALSE(FakeHasFile(L"C:\\U\\AppData\\Trace.log"));
  EXPECT_FALSE(RecordExists());
}

TEST_F(WrapItemTest, BackupOfAFolderPutsTheMachineDataBackOverTheApplicationsLeftovers) {
  FakeAddFolder(kApp);
  FakeAddFile(kApp + L"\\own.txt", "machine");
  Entries seen{{L"x", "x"}};
  EXPECT_EQ(Run("[BEFORE]\r\n(dir) = %APPDATA%\\App\r\n",
                [&] {
                  seen = Tree(kApp);
                  FakeAddFolder(kApp);
                  FakeAddFile(kApp + L"\\junk.txt", "junk");
                }),
            0);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(FolderExists(kSettings));
}

// Settings\s.ini is held open by another program: the application would start
// without it, and its carry-back would write what it made of that over the file.
TEST_F(WrapItemTest, PortableDataThatCannotAllComeInIsNotUsedForTheRun) {
  MachineAndPortableData();
  FakeAddFile(kSettings + L"\\other.ini", "o1");
  Fake().lockedFiles.insert(LowerAscii(kSettings + L"\\s.ini"));
  Entries seenByApp;
  Run("[BEFORE]\r\ndir = %APPDATA%\\App\r\n", [&] { seenByApp = Tree(kApp); });
  EXPECT_EQ(seenByApp, (Entries{{L"own.txt", "machine"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"other.ini", "o1"}, {L"s.ini", "v1"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(RecordExists());
}

TEST_F(WrapItemTest, WhatCannotBeClearedAfterTheRunIsNotMixedIntoTheMachineData) {
  MachineAndPortableData();
  const std::string ini = "[BEFORE]\r\ndir = %APPDATA%\\App\r\n";
  bool after = false;
  Fake().onHiddenStart = [&](FakeHiddenStart& start) {
    // The command interpreter does not start for the clearing after the run.
    return !(after && Contains(start.commandLine, L"RMDIR")) && FakeInterpret(start);
  };
  Run(ini, [&] {
    after = true;
    FakeAddFile(kApp + L"\\s.ini", "v2");
  });
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));

  after = false;
  Run(ini);
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(RecordExists());
}

// A failed carry-back must not cost the application's data: nothing is deleted,
// the item stays recorded, and the next start tries again.
TEST_F(WrapItemTest, FailedCarryBackDeletesNothingAndIsRetriedAtTheNextStart) {
  MachineAndPortableData();
  const std::string ini = "[BEFORE]\r\ndir = %APPDATA%\\App\r\n";
  Run(ini, [] {
    FakeAddFile(kApp + L"\\s.ini", "v2");
    Fake().lockedFiles.insert(LowerAscii(kSettings + L"\\s.ini"));  // cannot be replaced
  });
  EXPECT_EQ(Tree(kApp), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));
  EXPECT_EQ(RecordedItems(), std::vector<std::wstring>{L"in use :: dir :: C:\\U\\AppData\\App"});

  // Still locked: the retry fails too, and this run neither sets aside over the
  // backup nor brings the stale portable data in over the application's data.
  std::string seen;
  Run(ini, [&] { seen = FakeFileBytes(kApp + L"\\s.ini"); });
  EXPECT_EQ(seen, "v2");
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));

  Fake().lockedFiles.clear();
  Run(ini, [&] { seen = FakeFileBytes(kApp + L"\\s.ini"); });
  EXPECT_EQ(seen, "v2");
  EXPECT_EQ(FakeFileBytes(kSettings + L"\\s.ini"), "v2");
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(RecordExists());
}

TEST_F(WrapItemTest, LocalItemWithTrailingBackslashIsBackedUpBesideItself) {
  MachineAndPortableData();
  bool besideItself = false;
  EXPECT_EQ(Run("[BEFORE]\r\ndir = %APPDATA%\\App\\\r\n",
                [&] { besideItself = FolderExists(kApp + L"_backup"); }),
            0);
  EXPECT_TRUE(besideItself);
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(FolderExists(kApp + L"\\_backup"));
}

// A file held open elsewhere cannot be set aside: the item is left as it is rather
// than mixing the portable data into the machine's or carrying the machine's out.
TEST_F(WrapItemTest, DataThatCannotBeSetAsideIsLeftAloneForTheRun) {
  MachineAndPortableData();
  FakeAddFile(kApp + L"\\open.db", "in use by another program");
  Fake().lockedFiles.insert(LowerAscii(kApp + L"\\open.db"));
  Entries seen;
  Run("[BEFORE]\r\ndir = %APPDATA%\\App\r\n", [&] { seen = Tree(kApp); });
  const Entries machine{{L"open.db", "in use by another program"}, {L"own.txt", "machine"}};
  EXPECT_EQ(seen, machine);
  EXPECT_EQ(Tree(kApp), machine);
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
  EXPECT_FALSE(RecordExists());
}

TEST_F(WrapItemTest, RepeatedKeyActsOnce) {
  MachineAndPortableData();
  Run("[BEFORE]\r\ndir = %APPDATA%\\App\r\n(dir) = %APPDATA%\\App\\\r\n[AFTER]\r\n"
      "dir = %APPDATA%\\App\r\n",
      [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
}

TEST_F(WrapItemTest, PhaseNotLabelDecidesTheHalf) {
  MachineAndPortableData();
  RecoverUnfinishedRun(ctx);
  ctx.phase = L"AFTER";
  DispatchKey(ctx, L"BEFORE", L"dir", kApp);  // only the AFTER half: carry back, clear
  EXPECT_EQ(Tree(kSettings), (Entries{{L"own.txt", "machine"}, {L"s.ini", "v1"}}));
  EXPECT_FALSE(FolderExists(kApp));
}

TEST_F(WrapItemTest, ExistingBackupNameIsNeverWrittenOver) {
  MachineAndPortableData();
  FakeAddFolder(kApp + L"_backup");
  FakeAddFile(kApp + L"_backup\\own.txt", "set aside by an unfinished run");
  RecoverUnfinishedRun(ctx);
  DispatchKey(ctx, L"BEFORE", L"dir", kApp);
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "set aside by an unfinished run"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
}

// On one volume the machine's data is set aside and put back by renames; where a
// rename is refused (another volume, a file held open) it is copied. Both ways end
// in the same state, and the rename way starts no tool for them.
TEST_F(WrapItemTest, RenameAndCopyWaysEndTheSame) {
  struct Outcome {
    Entries seen, app, settings;
    bool backupLeft;
    std::vector<std::wstring> tools;
  };
  auto roundTrip = [&](bool sameVolume) {
    SetUp();
    MachineAndPortableData();
    FakeAddFolder(kApp + L"\\Sub");
    FakeAddFile(kApp + L"\\Sub\\deep.txt", "deep");
    if (!sameVolume) Fake().otherVolumes.insert(LowerAscii(kApp));
    Outcome o;
    Run("[BEFORE]\r\ndir = %APPDATA%\\App\r\n", [&] {
      o.seen = Tree(kApp);
      FakeAddFile(kApp + L"\\s.ini", "v2");
    });
    o.app = Tree(kApp);
    o.settings = Tree(kSettings);
    o.backupLeft = FolderExists(kApp + L"_backup");
    for (const std::wstring& line : HiddenCommandLines())
      if (Contains(line, L"cmd.exe")) o.tools.push_back(line);
    return o;
  };
  const Outcome renamed = roundTrip(true);
  const Outcome copied = roundTrip(false);
  EXPECT_EQ(renamed.seen, (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(renamed.app,
            (Entries{{L"own.txt", "machine"}, {L"sub\\", ""}, {L"sub\\deep.txt", "deep"}}));
  EXPECT_EQ(renamed.settings, (Entries{{L"s.ini", "v2"}}));
  EXPECT_FALSE(renamed.backupLeft);
  EXPECT_EQ(copied.seen, renamed.seen);
  EXPECT_EQ(copied.app, renamed.app);
  EXPECT_EQ(copied.settings, renamed.settings);
  EXPECT_FALSE(copied.backupLeft);
  // Renamed: only the local folder is made for the portable data and removed after.
  const std::wstring cmd = L"\"C:\\Windows\\system32\\cmd.exe\" ";
  EXPECT_EQ(renamed.tools,
            (std::vector<std::wstring>{cmd + L"/c MKDIR C:\\U\\AppData\\App",
                                       cmd + L"/c RMDIR C:\\U\\AppData\\App /S /Q"}));
  EXPECT_GT(copied.tools.size(), renamed.tools.size());
}

// A deletion that has not ended must not be followed by anything put in its place:
// the rest of the deleting tool would take it too, after the run or in the middle
// of setting the data aside (a place on a volume of its own is copied aside, and
// cleared). The item waits with its backup for the next start.
TEST_F(WrapItemTest, BackupGoesBackOnlyIntoALocalPlaceTheDeletionCleared) {
  const std::wstring ini = kApp + L".ini";
  // The item, and whether its place is on a volume of its own.
  const std::pair<std::string, bool> cases[] = {{"dir", false}, {"file", false}, {"dir", true}};
  for (const auto& [key, ownVolume] : cases) {
    const bool dir = key == "dir";
    const std::string sections = "[BEFORE]\r\n" + key + " = %APPDATA%\\App" + (dir ? "" : ".ini");
    const std::wstring place = dir ? kApp : ini;
    SetUp();
    MachineAndPortableData();
    FakeAddFile(ini, "machine");
    if (ownVolume) Fake().otherVolumes.insert(LowerAscii(kApp));
    Fake().onHiddenStart = FakeDeletionOutlivingItsWait(place);
    Run(sections, [&] { FakeAddFile(dir ? kApp + L"\\s.ini" : ini, "v2"); });
    EXPECT_EQ(Fake().hiddenStarts.back().timeoutMs, 15u * 60 * 1000) << sections;
    EXPECT_EQ(RecordedItems().size(), 1u) << sections;
    os::StartHiddenAndWait(L"\"other.exe\"", L"", 0);  // the tool ends; the copy aside is whole
    EXPECT_EQ(FakeFileBytes(dir ? kApp + L"_backup\\own.txt" : ini + L"_backup"), "machine")
        << sections;

    Fake().onHiddenStart = FakeInterpret;
    Run(sections);
    EXPECT_EQ(FakeFileBytes(dir ? kApp + L"\\own.txt" : ini), "machine") << sections;
    EXPECT_EQ(os::FileState(place + L"_backup"), -1) << sections;
    EXPECT_FALSE(RecordExists()) << sections;
  }
}
