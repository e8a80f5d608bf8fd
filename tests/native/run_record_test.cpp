#include "commands/run_record.h"

#include "commands/wrap_steps.h"
#include "tests/native/items_fixture.h"

namespace {

const std::wstring kApp = L"C:\\U\\AppData\\App";
const std::wstring kSettings = L"C:\\P\\Settings";
const std::string kDir = "[BEFORE]\r\ndir = %APPDATA%\\App\r\n";
const std::wstring kDirInUse = L"in use :: dir :: C:\\U\\AppData\\App";
using Items = std::vector<std::wstring>;

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
  EXPECT_EQ(RecordedItems(), Items{kDirInUse});

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
  EXPECT_EQ(RecordedItems(), Items{L"to clear :: dir :: C:\\U\\AppData\\App"});

  Fake().onHiddenStart = FakeInterpret;
  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(kApp + L"_backup"));
}

// The whole file as it lies in the folder: who runs, and each item with the time
// its run started; paths inside the launcher folder relative to it.
TEST_F(RunRecordTest, RecordListsAnItemBeforeItsFirstStepAndGoesAtTheEnd) {
  PortableData();
  MachineData();
  Fake().otherVolumes.insert(LowerAscii(kApp));  // the first step is a tool then
  Fake().clock = os::LocalTime{2026, 12, 9, 14, 3, 27};
  std::string firstStep;
  Fake().onHiddenStart = [&](const FakeHiddenStart& start) {
    if (firstStep.empty()) firstStep = Record();
    return FakeInterpret(start);
  };
  Run("[BEFORE]\r\ndir = %APPDATA%\\App :: {VOQROOT}\\Data\r\n");
  const std::string body =
      "; voQ: a run in progress on this PC and account. The next start here finishes it; keep "
      "this file.\r\nvoQ run record 1\r\nmachine 6f1d1c2e-0a1b-4c3d-8e9f-a1b2c3d4e5f6\r\n"
      "account S-1-5-21-100-200-300-1001\r\ncomputer PC-A\r\nuser me\r\nlauncher Tool.exe\r\n"
      "item spare :: 20261209140327 :: dir :: C:\\U\\AppData\\App :: Data\r\n";
  EXPECT_EQ(firstStep, body + "end 6 " + Utf8FromWide(HexDigits(Fnv1a64(body), 16)) + "\r\n");
  EXPECT_EQ(RunRecordPath(ctx),
            L"C:\\P\\Tool." +
                HexDigits(Fnv1a64(Utf8FromWide(Fake().checks.runner.machineGuid + L"\n" +
                                               Fake().checks.runner.userSid)),
                          8) +
                L".running");
  EXPECT_FALSE(RecordExists());
}

// A path inside the launcher folder is recorded relative to it only where the
// relative form reads back as the same path; otherwise the next start would finish
// another place.
TEST(RunRecordText, PathsAreRelativeOnlyWhereTheyReadBackTheSame) {
  LauncherContext ctx;
  ctx.launcherFolder = L"C:\\P\\";
  ctx.launcherPath = L"C:\\P\\Tool.exe";
  ctx.launcherName = L"Tool";
  struct Row {
    std::wstring value;
    std::wstring recorded;
    std::wstring key = L"dir";
  };
  const Row rows[] = {
      {L"C:\\P\\Data", L"Data"},
      {L"c:\\p\\Data :: C:\\P\\Settings\\App", L"Data :: Settings\\App"},
      {L"C:\\U\\App :: C:\\P\\Data", L"C:\\U\\App :: Data"},
      {L"C:\\P\\a:\\b", L"C:\\P\\a:\\b"},    // the rest would be a path of its own
      {L"C:\\P\\  Data", L"C:\\P\\  Data"},  // its leading blanks would be dropped
      {L"C:\\P\\Data.", L"C:\\P\\Data."},    // and its trailing dot
      // A file's default portable name is its last name as it reads: "." whole, "a" relative.
      {L"C:\\P\\a\\.\\", L"C:\\P\\a\\.\\", L"file"},
      // The launcher folder itself, however written: blank, the field would name
      // the default place.
      {L"C:\\U\\App :: C:\\P\\ ", L"C:\\U\\App :: C:\\P\\ "},
      {L"C:\\U\\App :: C:\\P\\\\", L"C:\\U\\App :: C:\\P\\\\"},
  };
  for (const Row& row : rows) {
    const RunRecord record{Runner{L"m", L"a", L"PC", L"me"},
                           L"Tool.exe",
                           {RunItem{L"in use", L"20261209140327", row.key, row.value, kThisRun}}};
    const std::string text = RunRecordText(ctx, record);
    EXPECT_TRUE(Contains(WideFromUtf8(text), L":: " + row.key + L" :: " + row.recorded + L"\r\n"))
        << Utf8FromWide(row.value) << "\n"
        << text;
    const auto back = ParseRunRecord(ctx, text);
    ASSERT_TRUE(back.has_value()) << Utf8FromWide(row.value);
    ASSERT_EQ(back->items.size(), 1u);
    EXPECT_EQ(ItemIdentity(ctx, row.key, back->items[0].value),
              ItemIdentity(ctx, row.key, row.value))
        << Utf8FromWide(row.value);
    EXPECT_EQ(PortableKeyOf(ctx, row.key, back->items[0].value),
              PortableKeyOf(ctx, row.key, row.value))
        << Utf8FromWide(row.value);
  }
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
  EXPECT_EQ(RecordedItems(), Items{L"held :: dir :: C:\\U\\AppData\\App"});
  FakeAddFile(kApp + L"\\s.ini", "v2");  // the detached application saves

  // A second detached run leaves everything as it is.
  Fake().hiddenStarts.clear();
  EXPECT_EQ(Run("[BEFORE]\r\nnowait = 1\r\n" + kDir.substr(10)), 0);
  EXPECT_EQ(Tree(kApp), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  EXPECT_EQ(RecordedItems(), Items{L"held :: dir :: C:\\U\\AppData\\App"});

  EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(RecordExists());
}

TEST_F(RunRecordTest, QuitInBeforeHoldsTheItemsAlreadyInPlace) {
  PortableData();
  EXPECT_EQ(Run(kDir + "quit = 1\r\nfile = %APPDATA%\\Later.ini\r\n"), 0);
  EXPECT_TRUE(Fake().shellStarts.empty());
  EXPECT_EQ(RecordedItems(), Items{L"held :: dir :: C:\\U\\AppData\\App"});
}

// Ended during AFTER (the application has ended): the rest is finished at the next
// start like a killed run.
TEST_F(RunRecordTest, QuitInAfterLeavesTheRestForTheNextStart) {
  PortableData();
  MachineData();
  Run(kDir + "[AFTER]\r\nquit = 1\r\nrestore = 1\r\n",
      [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  EXPECT_EQ(RecordedItems(), Items{kDirInUse});

  Run("[BEFORE]\r\n+dir = C:\\U\\Other\r\n");  // the item is no longer configured
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(RecordExists());
}

// A launcher of another name on the same place while the first runs: the first
// holds the place; the second sets up nothing and changes nothing, and its
// application works on the data in place.
TEST_F(RunRecordTest, ASecondLauncherWhileTheFirstRunsSetsUpNothing) {
  PortableData();
  MachineData();
  FakeAddFile(L"C:\\P\\Tool2.ini", "[GENERAL]\r\napplication = App\\App.exe\r\n" + kDir);
  size_t changesOfSecond = 99;
  Run(kDir, [&] {
    if (Fake().checks.process == 2) {  // the second one's application
      FakeAddFile(kApp + L"\\s.ini", "second");
      return;
    }
    const size_t before = Fake().changes.size();
    LauncherContext second;
    Fake().checks.process = 2;
    Fake().modulePath = L"C:\\P\\Tool2.exe";
    ExitCodeOf([&] {
      StartUp(second);
      RunMainSequence(second);
      EndLauncher(second);
    });
    Fake().checks.process = 1;
    Fake().modulePath = L"C:\\P\\Tool.exe";
    changesOfSecond = static_cast<size_t>(std::count_if(
        Fake().changes.begin() + static_cast<std::ptrdiff_t>(before), Fake().changes.end(),
        [](const FakeChange& change) { return change.call != L"FlushRegKey"; }));
  });
  EXPECT_EQ(changesOfSecond, 0u);
  EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "second"}}));  // it wrote into the first's data
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
  EXPECT_FALSE(RecordExists());
}

TEST_F(RunRecordTest, FurtherInstanceFinishesNothing) {
  PortableData();
  FakeAddFolder(kApp);
  FakeAddFile(kApp + L"\\s.ini", "v2");
  ctx.additionalInstance = 1;
  RecoverUnfinishedRun(ctx);
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_EQ(ctx.runRecordUsable, 0);
}

// A backup name that no record of this launcher, machine and account names is
// someone else's (the user's own copy, another launcher's or machine's run): it is
// never moved, deleted or carried, and its item is not wrapped for the run: the
// application works on the machine's own data. The same for every way the record
// cannot be kept.
TEST_F(RunRecordTest, WhatNoRecordOfOursNamesIsLeftAloneAndItsItemNotWrapped) {
  const struct {
    const char* what;
    std::string ini;
    std::function<void(const std::wstring& record)> arrange;
  } kCases[] = {
      {"user's folder backup", kDir,
       [](const std::wstring&) { FakeAddFile(kApp + L"_backup\\old.txt", "user's"); }},
      {"user's file backup", "[BEFORE]\r\n(file) = %APPDATA%\\App\\own.txt\r\n",
       [](const std::wstring&) { FakeAddFile(kApp + L"\\own.txt_backup", "user's"); }},
      {"record cannot be written", kDir,
       [](const std::wstring& record) { Fake().lockedFiles.insert(LowerAscii(record)); }},
      {"damaged record that cannot be set aside", kDir,
       [](const std::wstring& record) {
         FakeAddFile(record, "; cut short\r\nvoQ run rec");
         Fake().lockedFiles.insert(LowerAscii(record));
       }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    SetUp();
    PortableData();
    MachineData();
    FakeAddFolder(kApp + L"_backup");
    IdentifyRunner(ctx);
    c.arrange(RunRecordPath(ctx));
    FakeWorld expected = Fake();
    expected.files[LowerAscii(kApp + L"\\own.txt")] = "app";
    const Entries machine = Tree(kApp);
    Entries seen;
    Run(c.ini, [&] {
      seen = Tree(kApp);
      FakeAddFile(kApp + L"\\own.txt", "app");
    });
    EXPECT_EQ(seen, machine);
    Fake().files.erase(L"c:\\p\\tool.ini");
    EXPECT_EQ(Fake().files, expected.files);
    EXPECT_EQ(Fake().folders, expected.folders);
  }
}

// Damaged in any way (cut, a byte changed, a line twice, another format): the
// record finishes nothing and is kept beside its name; the backup it would have
// named is then no one's, and stays.
TEST_F(RunRecordTest, ADamagedRecordFinishesNothingAndIsKeptForTheUser) {
  PortableData();
  MachineData();
  RunKilled(kDir, [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  const std::string whole = Record();
  const size_t item = whole.find("item ");
  const size_t itemEnd = whole.find("\r\n", item) + 2;
  const std::string kDamaged[] = {
      whole.substr(0, whole.size() - 3),
      std::string(whole).replace(item + 5, 1, "x"),
      whole.substr(0, itemEnd) + whole.substr(item, itemEnd - item) + whole.substr(itemEnd),
      "in use :: dir :: C:\\U\\AppData\\App\r\n",
  };
  const FakeWorld killed = Fake();
  for (const std::string& bytes : kDamaged) {
    Fake() = killed;
    FakeAddFile(RunRecordPath(ctx), bytes);
    EXPECT_EQ(NextRunSees(), (Entries{{L"s.ini", "v2"}}));  // the leftover, not wrapped
    EXPECT_EQ(FakeFileBytes(RunRecordPath(ctx) + L".damaged"), bytes);
    EXPECT_EQ(Tree(kApp + L"_backup"), (Entries{{L"own.txt", "machine"}}));
    EXPECT_EQ(Tree(kSettings), (Entries{{L"s.ini", "v1"}}));
  }
}

// The stick comes back under another drive letter: the record names the portable
// place relative to the launcher, never the device that has the old letter now.
TEST_F(RunRecordTest, APortablePlaceInsideTheLauncherFolderFollowsItsDriveLetter) {
  PortableData();
  MachineData();
  RunKilled("[BEFORE]\r\ndir = %APPDATA%\\App :: {VOQROOT}\\Settings\r\n",
            [] { FakeAddFile(kApp + L"\\s.ini", "v2"); });
  EXPECT_EQ(RecordedItems(), Items{L"in use :: dir :: C:\\U\\AppData\\App :: Settings"});
  auto& w = Fake();
  for (auto* names : {&w.folders}) {
    std::set<std::wstring> moved;
    for (const std::wstring& name : *names)
      moved.insert(StartsWith(name, L"c:\\p") ? L"e" + name.substr(1) : name);
    *names = moved;
  }
  std::map<std::wstring, std::string> files;
  for (auto& [name, bytes] : w.files)
    files[StartsWith(name, L"c:\\p") ? L"e" + name.substr(1) : name] = bytes;
  w.files = files;
  w.drives.insert(L"e:");
  FakeAddFolder(L"C:\\P");
  FakeAddFolder(L"C:\\P\\Settings");  // another device now has the old letter
  w.modulePath = L"E:\\P\\Tool.exe";
  Run("[BEFORE]\r\n+dir = C:\\U\\Other\r\n");
  EXPECT_EQ(Tree(L"E:\\P\\Settings"), (Entries{{L"s.ini", "v2"}}));
  EXPECT_EQ(Tree(L"C:\\P\\Settings"), Entries{});
  EXPECT_EQ(Tree(kApp), (Entries{{L"own.txt", "machine"}}));
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
