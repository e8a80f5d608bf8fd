// The crash-point enumeration (tests/crash_points/crash_point_driver.h) on the
// in-memory platform, where every disturbance can be made: for each
// configuration below, every call by which the launcher changes the disk or starts
// a tool is a point where its process may be killed, the power may go, or the call
// may fail, and after it nothing may be lost: the machine's data back in place, the
// portable data holding the application's last save, no backup name, no run
// record, nothing else changed.
//
// The driver knows nothing of the steps themselves: a new kind of item is a new
// row of kConfigurations, and its changes are counted like all others.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "launcher/main_sequence.h"
#include "launcher/startup.h"
#include "platform/text.h"
#include "registry/reg_file_format.h"
#include "tests/crash_points/crash_point_driver.h"
#include "tests/fake_platform/fake_checks.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/fake_platform/fake_platform.h"
#include "tests/fake_platform/fake_reg_tool.h"

using namespace crash_points;

namespace {

const std::wstring kApp = L"C:\\U\\AppData\\App";
const std::wstring kAppIni = L"C:\\U\\AppData\\App.ini";

// The application of every configuration appends "+n" at its nth save, so a save
// that is lost, or carried back twice, shows in the bytes.
void AppendRun(const std::wstring& file, int run) {
  const std::wstring folder = file.substr(0, file.find_last_of(L'\\'));
  if (os::FileState(folder) != -2) FakeAddFolder(folder);
  FakeAddFile(file, FakeFileBytes(file) + "+" + std::to_string(run));
}

void AppSavesInFolder(int run) {
  AppendRun(kApp + L"\\s.ini", run);
  FakeAddFile(kApp + L"\\last.txt", std::to_string(run));
}

void PortableFolder() {
  FakeAddFolder(L"C:\\P\\Settings");
  FakeAddFile(L"C:\\P\\Settings\\s.ini", "v1");
  FakeAddFolder(L"C:\\P\\Settings\\sub");
  FakeAddFile(L"C:\\P\\Settings\\sub\\deep.dat", "deep");
}

void MachineFolder() {
  FakeAddFolder(kApp);
  FakeAddFile(kApp + L"\\s.ini", "machine");
  FakeAddFile(kApp + L"\\own.txt", "own");
  FakeAddFolder(kApp + L"\\cache");
  FakeAddFile(kApp + L"\\cache\\c.bin", "cache");
}

// The registry's side: a key of the application with a text value it saves to.
const os::RegRoot kUser = os::RegRoot::CurrentUser;
const std::wstring kKey = L"Software\\App";

const std::wstring kOtherKey = L"Software\\Other";

std::wstring RegText(const std::wstring& name, const std::wstring& key = kKey) {
  auto it = Fake().registry.find({kUser, LowerAscii(key)});
  if (it == Fake().registry.end()) return L"";
  for (const FakeRegValue& value : it->second.values) {
    if (!EqualsIgnoringAsciiCase(value.name, name)) continue;
    std::wstring text;
    for (size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
      const wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(value.bytes[i]) |
                                             static_cast<unsigned char>(value.bytes[i + 1]) << 8);
      if (c == 0) break;
      text += c;
    }
    return text;
  }
  return L"";
}

void AppSavesInRegistry(int run) {
  FakeSetRegString(kUser, kKey, L"s", RegText(L"s") + L"+" + std::to_wstring(run));
}

void PortableRegistryFile() {
  FakeAddFile(L"C:\\P\\settings.reg", RegValueFile(L"HKEY_CURRENT_USER\\" + kKey, L"\"s\"=\"v1\""));
}

// A second key whose part of settings.reg follows the first's.
void AppSavesInTwoKeys(int run) {
  AppSavesInRegistry(run);
  FakeSetRegString(kUser, kOtherKey, L"t", RegText(L"t", kOtherKey) + L"+" + std::to_wstring(run));
}

void TwoKeysOnBothSides() {
  FakeAddFile(L"C:\\P\\settings.reg",
              RegValueFile(L"HKEY_CURRENT_USER\\" + kKey, L"\"s\"=\"v1\"") +
                  EncodeRegText(L"\r\n[HKEY_CURRENT_USER\\" + kOtherKey + L"]\r\n\"t\"=\"w1\"\r\n",
                                RegTextFormat::Utf16Le));
  FakeSetRegString(kUser, kKey, L"s", L"machine");
  FakeSetRegString(kUser, kOtherKey, L"t", L"machine");
}

void MachineKey() {
  FakeSetRegString(kUser, kKey, L"s", L"machine");
  FakeSetRegString(kUser, kKey, L"own", L"own");
}

// A launcher of another name on the same place, started while the first one's
// application runs. It must set nothing up and change nothing; it runs
// undisturbed, and its application only looks.
bool g_inSecondLauncher = false;

void RunSecondLauncher() {
  // Only while the first one's configuration has the place (not in a run that
  // stands for the first one leaving its item undone).
  if (g_inSecondLauncher ||
      FakeFileBytes(L"C:\\P\\Tool.ini").find("dir = %APPDATA%\\App\r\n") == std::string::npos)
    return;
  auto& w = Fake();
  const int crashAt = w.crashAt;
  const int faultAt = w.faultAt;
  w.crashAt = w.faultAt = 0;
  const size_t changes = w.changes.size();
  g_inSecondLauncher = true;
  w.checks.process = 2;
  w.modulePath = L"C:\\P\\Tool2.exe";
  const int polls = w.processPolls;
  try {
    LauncherContext second;
    StartUp(second);
    RunMainSequence(second);
    EndLauncher(second);
  } catch (const FakeExit&) {
  }
  w.processPolls = polls;
  w.modulePath = L"C:\\P\\Tool.exe";
  w.checks.process = 1;
  g_inSecondLauncher = false;
  w.crashAt = crashAt;
  w.faultAt = faultAt;
  for (size_t i = changes; i < w.changes.size(); ++i)
    // Writing out what the registry holds already changes nothing.
    if (w.changes[i].call != L"FlushRegKey")
      ADD_FAILURE() << "the second launcher changed something: " << Utf8FromWide(w.changes[i].call)
                    << " " << Utf8FromWide(w.changes[i].path);
  w.changes.resize(changes);
}

struct Configuration {
  const char* name;
  std::string sections;      // BEFORE and AFTER of the configuration file
  void (*arrange)();         // the disk before the first run
  void (*application)(int);  // what the application saves in its nth save
  // A failing step may leave a wrap or backup item undone for its run: the
  // application then works on the machine's own data, and nothing is lost. The
  // sections of such a run, one for each item that may be left undone.
  std::vector<std::string> unwrapped;
  // The portable folder also moves to a second machine after a killed run.
  bool hop = false;
  // A place the application works on that no item of the row wraps, by design
  // (lowered; a folder's contents or a file): undisturbed runs change it.
  std::wstring leftToTheApplication = {};
  // A portable file, and what three undisturbed runs leave in it.
  std::pair<std::wstring, std::string> lastSave = {};
};

// The system's tools, as the configurations below meet them.
bool ToolsWithLinks(FakeHiddenStart& start);

constexpr char kDirItem[] = "dir = %APPDATA%\\App\r\n";
constexpr char kFileItem[] = "file = %APPDATA%\\App.ini :: Data\\\r\n";
constexpr char kCacheItem[] = "(file) = %APPDATA%\\Cache.db\r\n";
const std::wstring kCache = L"C:\\U\\AppData\\Cache.db";
constexpr char kCacheFolderItem[] = "(dir) = %APPDATA%\\App\\cache\r\n";
constexpr char kProfilesItem[] = "dir = %APPDATA%\\App\\Profiles :: Profiles\r\n";

// The example that ships with voQ, from [BEFORE] on, as a user copies it: an
// editor with a settings folder, a settings file and a cache of the machine's.
std::string ShippedExample() {
  std::ifstream in(VOQ_SOURCE_DIR "/docs/example.ini", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  return text.substr(std::min(text.find("[BEFORE]"), text.size()));
}
const std::string kExample = ShippedExample();
const std::wstring kEditor = L"C:\\U\\AppData\\ExampleEdit";
const std::wstring kEditorIni = L"C:\\U\\ExampleEdit.ini";
const std::wstring kEditorCache = L"C:\\U\\Local\\ExampleEdit\\Cache";

// The sections once without each of their keys: any one item may be left undone.
std::vector<std::string> EachKeyLeftOut(const std::string& sections) {
  std::vector<std::string> variants;
  std::istringstream lines(sections);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line[0] != ';' && line[0] != '[')
      variants.push_back(std::string(sections).erase(sections.find(line), line.size()));
  return variants;
}

const Configuration kConfigurations[] = {
    {"DirWithMachineData",
     "[BEFORE]\r\ndir = %APPDATA%\\App\r\n",
     [] {
       PortableFolder();
       MachineFolder();
     },
     AppSavesInFolder,
     {""},
     true,
     {},
     {L"C:\\P\\Settings\\last.txt", "3"}},
    {"DirWithoutMachineData",
     "[BEFORE]\r\ndir = %APPDATA%\\App\r\n",
     PortableFolder,
     AppSavesInFolder,
     {""},
     true},
    {"FileWithMachineData",
     "[BEFORE]\r\nfile = %APPDATA%\\App.ini\r\n",
     [] {
       FakeAddFile(L"C:\\P\\App.ini", "v1");
       FakeAddFile(kAppIni, "machine");
     },
     [](int run) { AppendRun(kAppIni, run); },
     {""},
     true},
    {"FileWithoutMachineData",
     "[BEFORE]\r\nfile = %APPDATA%\\App.ini :: Data\\\r\n",
     [] {
       FakeAddFolder(L"C:\\P\\Data");
       FakeAddFile(L"C:\\P\\Data\\App.ini", "v1");
     },
     [](int run) { AppendRun(kAppIni, run); },
     {""}},
    {"BackupDir", "[BEFORE]\r\n(dir) = %APPDATA%\\App\r\n", MachineFolder, AppSavesInFolder, {""}},
    {"BackupFile",
     "[BEFORE]\r\n(file) = %APPDATA%\\App.ini\r\n",
     [] { FakeAddFile(kAppIni, "machine"); },
     [](int run) { AppendRun(kAppIni, run); },
     {""}},
    // Templates brought into the wrapped folder at every start; they travel back
    // into the portable folder with the rest.
    {"CopyWithPattern",
     "[BEFORE]\r\ndir = %APPDATA%\\App\r\n"
     "->dir = Templates :: %APPDATA%\\App\\Templates :: :: *.tpl\r\n",
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFolder(L"C:\\P\\Templates");
       FakeAddFile(L"C:\\P\\Templates\\a.tpl", "a");
       FakeAddFile(L"C:\\P\\Templates\\b.tpl", "b");
       FakeAddFile(L"C:\\P\\Templates\\readme.txt", "readme");
     },
     AppSavesInFolder,
     {"[BEFORE]\r\n->dir = Templates :: %APPDATA%\\App\\Templates :: :: *.tpl\r\n"}},
    // Items side by side: each keeps its own line of the record and its own stage.
    {"SeveralItems",
     std::string("[BEFORE]\r\n") + kDirItem + kFileItem + kCacheItem,
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFolder(L"C:\\P\\Data");
       FakeAddFile(L"C:\\P\\Data\\App.ini", "v1");
       FakeAddFile(kCache, "cache");
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kAppIni, run);
       AppendRun(kCache, run);
     },
     {std::string("[BEFORE]\r\n") + kFileItem + kCacheItem,
      std::string("[BEFORE]\r\n") + kDirItem + kCacheItem,
      std::string("[BEFORE]\r\n") + kDirItem + kFileItem},
     true},
    {"RegkeyWithMachineData",
     "[BEFORE]\r\nregkey = HKCU\\Software\\App\r\n",
     [] {
       PortableRegistryFile();
       MachineKey();
     },
     AppSavesInRegistry,
     {""},
     true},
    // Either item may be left undone for its run (or for the next start) while the
    // other carries its key back into the file they share; a held file, both.
    {"TwoRegkeysSharingAFile",
     "[BEFORE]\r\nregkey = HKCU\\Software\\App\r\nregkey = HKCU\\Software\\Other\r\n",
     TwoKeysOnBothSides,
     AppSavesInTwoKeys,
     {"[BEFORE]\r\nregkey = HKCU\\Software\\Other\r\n",
      "[BEFORE]\r\nregkey = HKCU\\Software\\App\r\n", ""},
     true},
    // The configuration that also runs under Wine on the real platform
    // (tests/windows/crash_points_win_test.cpp).
    {"DirAndRegkey",
     "[BEFORE]\r\ndir = %APPDATA%\\App\r\nregkey = HKCU\\Software\\App\r\n",
     [] {
       PortableFolder();
       PortableRegistryFile();
       MachineKey();
     },
     [](int run) {
       AppSavesInFolder(run);
       AppSavesInRegistry(run);
     },
     {"[BEFORE]\r\ndir = %APPDATA%\\App\r\n", "[BEFORE]\r\nregkey = HKCU\\Software\\App\r\n", ""}},
    // A stick formatted FAT32, started again as soon as the application ends: each
    // save, of the same size as the data before it, falls within the 2 s of the
    // write time that the last carry-back gave the file.
    {"DirOnFat32BackToBack",
     "[BEFORE]\r\ndir = %APPDATA%\\App\r\n",
     [] {
       Fake().coarseTimeDrives.insert(L"c:");
       Fake().fileClockStep = 0;
       PortableFolder();
       MachineFolder();
     },
     [](int run) { FakeAddFile(kApp + L"\\s.ini", "+" + std::to_string(run)); },
     {""},
     false,
     {},
     {L"C:\\P\\Settings\\s.ini", "+3"}},
    {"RegkeyWithoutMachineData",
     "[BEFORE]\r\nregkey = HKCU\\Software\\App\r\n",
     PortableRegistryFile,
     AppSavesInRegistry,
     {""}},
    {"RegvalueWithMachineData",
     "[BEFORE]\r\nregvalue = HKCU\\Software\\App\\s\r\n",
     [] {
       PortableRegistryFile();
       MachineKey();
     },
     AppSavesInRegistry,
     {""},
     true},
    {"BackupRegkey",
     "[BEFORE]\r\n(regkey) = HKCU\\Software\\App\r\n",
     MachineKey,
     AppSavesInRegistry,
     {""}},
    // The application writes through the link, into the portable folder.
    {"FolderLink",
     "[BEFORE]\r\nsymlink = %APPDATA%\\App\\ :: Data\\App\\\r\n",
     [] {
       MachineFolder();
       FakeAddFolder(L"C:\\P\\Data");
       FakeAddFolder(L"C:\\P\\Data\\App");
       FakeAddFile(L"C:\\P\\Data\\App\\s.ini", "v1");
     },
     [](int run) { AppendRun(L"C:\\P\\Data\\App\\s.ini", run); },
     {""},
     true},
    // Backup names the user made beside a folder and a file: no record names them,
    // so they are never moved, deleted or carried, and their item is not wrapped;
    // the other item beside them is.
    {"UserBackupBesideADir",
     std::string("[BEFORE]\r\n") + kDirItem + kFileItem,
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFolder(kApp + L"_backup");
       FakeAddFile(kApp + L"_backup\\s.ini", "the user's copy");
       FakeAddFolder(L"C:\\P\\Data");
       FakeAddFile(L"C:\\P\\Data\\App.ini", "v1");
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kAppIni, run);
     },
     {std::string("[BEFORE]\r\n") + kDirItem},
     false,
     L"c:\\u\\appdata\\app\\"},
    {"UserBackupOfAFile",
     std::string("[BEFORE]\r\n") + kDirItem + "(file) = %APPDATA%\\App.ini\r\n",
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFile(kAppIni, "machine");
       FakeAddFile(kAppIni + L"_backup", "the user's copy");
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kAppIni, run);
     },
     {"[BEFORE]\r\n(file) = %APPDATA%\\App.ini\r\n"},
     false,
     L"c:\\u\\appdata\\app.ini"},
    // Items inside items: the inner one is finished first, as a stack unwinds. A
    // file held open inside both leaves both undone for the run.
    {"BackupDirInsideADir",
     std::string("[BEFORE]\r\n") + kDirItem + kCacheFolderItem,
     [] {
       PortableFolder();
       MachineFolder();
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kApp + L"\\cache\\c.bin", run);
     },
     {std::string("[BEFORE]\r\n") + kDirItem, std::string("[BEFORE]\r\n") + kCacheFolderItem, ""}},
    {"DirInsideADir",
     std::string("[BEFORE]\r\n") + kDirItem + kProfilesItem,
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFolder(L"C:\\P\\Profiles");
       FakeAddFile(L"C:\\P\\Profiles\\p.ini", "p1");
       FakeAddFolder(kApp + L"\\Profiles");
       FakeAddFile(kApp + L"\\Profiles\\p.ini", "machine");
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kApp + L"\\Profiles\\p.ini", run);
     },
     {std::string("[BEFORE]\r\n") + kDirItem, std::string("[BEFORE]\r\n") + kProfilesItem, ""}},
    {"FileInsideADir",
     std::string("[BEFORE]\r\n") + kDirItem + "file = %APPDATA%\\App\\inner.ini :: Data\\\r\n",
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFolder(L"C:\\P\\Data");
       FakeAddFile(L"C:\\P\\Data\\inner.ini", "i1");
       FakeAddFile(kApp + L"\\inner.ini", "machine");
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kApp + L"\\inner.ini", run);
     },
     {std::string("[BEFORE]\r\n") + kDirItem,
      "[BEFORE]\r\nfile = %APPDATA%\\App\\inner.ini :: Data\\\r\n", ""}},
    // The registry key's export holds the value already: the value item is left
    // out when the file is read, and so is the same folder written a second way.
    {"RegvalueInsideARegkey",
     "[BEFORE]\r\nregkey = HKCU\\Software\\App\r\nregvalue = HKCU\\Software\\App\\s\r\n",
     [] {
       PortableRegistryFile();
       MachineKey();
     },
     AppSavesInRegistry,
     {""}},
    {"OnePlaceWrittenTwoWays",
     std::string("[BEFORE]\r\n") + kDirItem + "dir = %APPDATA%\\x\\..\\APP. :: Other\r\n",
     [] {
       PortableFolder();
       MachineFolder();
     },
     AppSavesInFolder,
     {""}},
    // What no item may take: the launcher's own ini (the default portable place
    // of this file item), and places that lost a name to an empty expansion (the
    // clipboard is empty): all of Roaming.
    {"ItemsThatNameNoPlaceOfTheirs",
     std::string("[BEFORE]\r\n") + kDirItem +
         "file = %APPDATA%\\Tool.ini\r\ndir = %APPDATA%\\{CLIPBOARD}\r\n"
         "-dir = %APPDATA%\\{CLIPBOARD}\r\n-file = %APPDATA%\\{CLIPBOARD}*\r\n",
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFile(L"C:\\U\\AppData\\Tool.ini", "the machine's own");
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(L"C:\\U\\AppData\\Tool.ini", run);
     },
     {""},
     false,
     L"c:\\u\\appdata\\tool.ini"},
    // Made hidden and read-only in the portable folder: carried back all the same,
    // and it keeps both.
    {"HiddenReadOnlyPortableFile",
     "[BEFORE]\r\nfile = %APPDATA%\\App.ini\r\n",
     [] {
       FakeAddFile(L"C:\\P\\App.ini", "v1");
       Fake().hiddenFiles.insert(L"c:\\p\\app.ini");
       Fake().readOnlyFiles.insert(L"c:\\p\\app.ini");
       FakeAddFile(kAppIni, "machine");
     },
     [](int run) { AppendRun(kAppIni, run); },
     {""}},
    // The first deletion of the folder and of the file after an application has
    // run is still running when its wait ends, and does its work when the next
    // tool starts. (One at the next start's recovery of a killed run would be a
    // second fault: the application would then work on a place being cleared.)
    {"DeletionsOutliveTheirWait",
     std::string("[BEFORE]\r\n") + kDirItem + "file = %APPDATA%\\App.ini\r\n",
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFile(L"C:\\P\\App.ini", "v1");
       FakeAddFile(kAppIni, "machine");
       const auto afterTheApplication = [] { return Fake().processPolls > 0; };
       Fake().onHiddenStart = FakeDeletionOutlivingItsWait(
           kApp, FakeDeletionOutlivingItsWait(kAppIni, ToolsWithLinks, afterTheApplication),
           afterTheApplication);
     },
     [](int run) {
       AppSavesInFolder(run);
       AppendRun(kAppIni, run);
     },
     {"[BEFORE]\r\nfile = %APPDATA%\\App.ini\r\n", std::string("[BEFORE]\r\n") + kDirItem}},
    {"SecondLauncherOnThePlace",
     "[BEFORE]\r\ndir = %APPDATA%\\App\r\n",
     [] {
       PortableFolder();
       MachineFolder();
       FakeAddFile(
           L"C:\\P\\Tool2.ini",
           "[GENERAL]\r\napplication = App\\App.exe\r\n[BEFORE]\r\ndir = %APPDATA%\\App\r\n");
     },
     [](int run) {
       AppSavesInFolder(run);
       RunSecondLauncher();
     },
     {""}},
    {"ShippedExample", kExample,
     [] {
       for (const wchar_t* folder :
            {L"C:\\P\\Settings", L"C:\\P\\Portable", L"C:\\U\\Local", L"C:\\U\\Local\\ExampleEdit"})
         FakeAddFolder(folder);
       FakeAddFile(L"C:\\P\\Settings\\s.ini", "v1");
       FakeAddFile(L"C:\\P\\Portable\\ExampleEdit.ini", "v1");
       FakeAddFolder(kEditor);
       FakeAddFile(kEditor + L"\\s.ini", "machine");
       FakeAddFile(kEditorIni, "machine");
       FakeAddFolder(kEditorCache);
       FakeAddFile(kEditorCache + L"\\c.bin", "machine");
     },
     [](int run) {
       AppendRun(kEditor + L"\\s.ini", run);
       AppendRun(kEditorIni, run);
       AppendRun(kEditorCache + L"\\c.bin", run);
     },
     EachKeyLeftOut(kExample)},
};

// The system's tools, with mklink making a link where nothing stands.
bool ToolsWithLinks(FakeHiddenStart& start) {
  const std::wstring mklink = L"\"C:\\Windows\\system32\\cmd.exe\" /c mklink /D ";
  if (!StartsWith(start.commandLine, mklink)) return FakeRunTools(start);
  std::wstring rest = start.commandLine.substr(mklink.size());
  const std::wstring link = rest.substr(0, rest.find(L' '));
  if (os::FileState(link) == -1) FakeMakeLink(link, true);
  return true;
}

Disk Snapshot() {
  Disk disk;
  disk.files = Fake().files;
  disk.folders = Fake().folders;
  for (const auto& [name, bytes] : Fake().files) disk.attributes[name] = *os::FileAttributes(name);
  for (const auto& [place, key] : Fake().registry) {
    auto& values =
        disk.registry[std::to_wstring(static_cast<int>(place.first)) + L":" + place.second];
    for (const FakeRegValue& value : key.values)
      values.emplace_back(value.name, value.type, value.bytes);
  }
  return disk;
}

void PrintTo(const Configuration& configuration, std::ostream* out) { *out << configuration.name; }

class CrashPoints : public ::testing::TestWithParam<Configuration> {
 protected:
  void SetUp() override {
    ResetFake();
    auto& w = Fake();
    w.env[L"windir"] = L"C:\\Windows";
    w.env[L"comspec"] = L"C:\\Windows\\system32\\cmd.exe";
    w.env[L"appdata"] = L"C:\\U\\AppData";
    w.env[L"userprofile"] = L"C:\\U";
    w.env[L"localappdata"] = L"C:\\U\\Local";
    for (const wchar_t* folder : {L"C:\\P", L"C:\\P\\App", L"C:\\U", L"C:\\U\\AppData"})
      FakeAddFolder(folder);
    FakeAddFile(L"C:\\P\\App\\App.exe", "MZ");
    WriteConfiguration(GetParam().sections);
    w.onHiddenStart = ToolsWithLinks;
    FakeAddFolder(L"C:\\Users\\me\\AppData\\Local\\Temp");
    GetParam().arrange();
    start_ = Fake();
  }

  Rig NativeRig() {
    Rig rig;
    rig.sections = GetParam().sections;
    rig.unwrapped = GetParam().unwrapped;
    rig.restore = [this] {
      Fake() = start_;
      saves_ = 0;
    };
    rig.writeConfiguration = WriteConfiguration;
    rig.run = [this](const Disturbance* disturbance, const Point& point) {
      applicationStarted_ = false;
      if (!disturbance) return RunLauncher();
      auto& w = Fake();
      switch (*disturbance) {
        case Disturbance::Crash:
        case Disturbance::PowerLoss:
        case Disturbance::TornWrite:
          w.crashAt = point.change;
          w.tearAtCrash = *disturbance == Disturbance::TornWrite;
          break;
        case Disturbance::FailingCall:
        case Disturbance::DiskFull:
          w.faultAt = point.change;
          w.fault = *disturbance == Disturbance::DiskFull ? FakeFault::DiskFull : FakeFault::Once;
          break;
        case Disturbance::HeldFile:
          (w.files.count(point.heldFile) ? w.lockedFiles : w.lockedOnceThere)
              .insert(point.heldFile);
          break;
      }
      const bool ended = RunLauncher();
      if (*disturbance == Disturbance::PowerLoss) FakeLoseUnflushedData();
      w.crashAt = w.faultAt = 0;
      w.tearAtCrash = false;
      w.fault = FakeFault::None;
      w.diskFull = false;
      w.lockedFiles = start_.lockedFiles;  // the other program has ended
      w.lockedOnceThere.clear();
      return ended;
    };
    rig.changes = [] {
      std::vector<Change> changes;
      for (const FakeChange& change : Fake().changes)
        changes.push_back(Change{change.call, change.path, change.addsData});
      return changes;
    };
    rig.snapshot = Snapshot;
    rig.saves = [this] { return saves_; };
    rig.applicationStarted = [this] { return applicationStarted_; };
    // Without its configuration the launcher does not run at all.
    rig.dataFiles = [this] {
      std::vector<std::wstring> names;
      for (const auto& [name, bytes] : start_.files)
        if (name != L"c:\\p\\tool.ini" && name != L"c:\\p\\tool2.ini" &&
            name != L"c:\\p\\app\\app.exe")
          names.push_back(name);
      return names;
    };
    return rig;
  }

  static void WriteConfiguration(const std::string& sections) {
    FakeAddFile(L"C:\\P\\Tool.ini", "[GENERAL]\r\napplication = App\\App.exe\r\n" + sections);
  }

  // One start of the launcher, a new process. False when it was killed.
  bool RunLauncher() {
    LauncherContext ctx;
    auto& w = Fake();
    w.processPolls = 0;
    w.processPollsUntilEnd = 1;
    // On a full disk the application cannot save either.
    w.onProcessPoll = [this] {
      if (g_inSecondLauncher) return;
      applicationStarted_ = true;
      if (!Fake().diskFull) GetParam().application(++saves_);
    };
    w.changes.clear();
    try {
      StartUp(ctx);
      RunMainSequence(ctx);
      EndLauncher(ctx);
    } catch (const FakeExit& exit) {
      EXPECT_EQ(exit.exitCode, 0);
    } catch (const FakeCrash&) {
      return false;
    }
    return true;
  }

  size_t CheckEvery(Disturbance disturbance) {
    return driver_.CheckEvery(disturbance, GetParam().name);
  }

  // ---- two machines: the portable folder (the stick) moves between them -------

  static bool OnStick(const std::wstring& key) {
    return key == L"c:\\p" || StartsWith(key, L"c:\\p\\");
  }

  static void MoveStick(FakeWorld& from, FakeWorld& to) {
    const auto moveSet = [](auto& source, auto& target) {
      std::erase_if(target, [](const auto& entry) { return OnStick(KeyOf(entry)); });
      for (const auto& entry : source)
        if (OnStick(KeyOf(entry))) target.insert(entry);
      std::erase_if(source, [](const auto& entry) { return OnStick(KeyOf(entry)); });
    };
    moveSet(from.files, to.files);
    moveSet(from.folders, to.folders);
    moveSet(from.readOnlyFiles, to.readOnlyFiles);
    moveSet(from.hiddenFiles, to.hiddenFiles);
    moveSet(from.linkFolders, to.linkFolders);
    moveSet(from.unflushed, to.unflushed);
    moveSet(from.otherAttributes, to.otherAttributes);
  }
  static const std::wstring& KeyOf(const std::wstring& key) { return key; }
  template <typename T>
  static const std::wstring& KeyOf(const std::pair<const std::wstring, T>& entry) {
    return entry.first;
  }

  // The second machine: the same paths and user name, other data behind them, and
  // its own numbers.
  FakeWorld MachineB() const {
    FakeWorld b = start_;
    b.checks.runner = os::RunnerNames{L"0c9e7d1a-5b2c-4e3f-9a8b-7c6d5e4f3a2b",
                                      L"S-1-5-21-700-800-900-1001", L"PC-B", L"me"};
    for (auto& [name, bytes] : b.files)
      if (!OnStick(name)) bytes += "@B";
    for (auto& [place, key] : b.registry)
      for (FakeRegValue& value : key.values)
        if (value.type == os::kRegSz && value.bytes.size() >= 2)
          value.bytes.insert(value.bytes.size() - 2, std::string("@\0B\0", 4));
    return b;
  }

  struct Machines {
    Disk a, b;
  };

  // A run on machine A (killed at that change; 0: not killed; -1: no run at all),
  // the stick to B and a run there, the stick back and a run on A.
  Machines Hop(int crashAt) {
    FakeWorld a = start_;
    FakeWorld b = MachineB();
    saves_ = 0;
    if (crashAt >= 0) {
      Fake() = a;
      Fake().crashAt = crashAt;
      RunLauncher();
      Fake().crashAt = 0;
      a = Fake();
    }
    MoveStick(a, b);
    Fake() = b;
    RunLauncher();
    b = Fake();
    MoveStick(b, a);
    Fake() = a;
    RunLauncher();
    Machines machines{Snapshot(), {}};
    Fake() = b;
    machines.b = Snapshot();
    return machines;
  }

  const Machines& HopReference(int crashAt) {
    auto [it, fresh] = hops_.try_emplace(crashAt);
    if (fresh) it->second = Hop(crashAt);
    return it->second;
  }

  static Disk Part(const Disk& disk, bool stick) {
    Disk part;
    for (const auto& [name, bytes] : disk.files)
      if (OnStick(name) == stick) part.files[name] = bytes;
    for (const auto& name : disk.folders)
      if (OnStick(name) == stick) part.folders.insert(name);
    for (const auto& [name, attributes] : disk.attributes)
      if (OnStick(name) == stick) part.attributes[name] = attributes;
    if (!stick) part.registry = disk.registry;
    return part;
  }

  // The data of a run killed on A and then outdated by the run on B is kept
  // beside the newer data, in places named for where and when it came from.
  static Disk WithoutKeptBeside(const Disk& disk) {
    Disk kept = disk;
    std::erase_if(kept.files, [](const auto& file) { return Contains(file.first, L" (from "); });
    std::erase_if(kept.folders, [](const auto& name) { return Contains(name, L" (from "); });
    std::erase_if(kept.attributes,
                  [](const auto& file) { return Contains(file.first, L" (from "); });
    return kept;
  }

  // Killed on A at the change, then run on B and on A again: both machines' own
  // data exactly as undisturbed runs leave it; the portable folder too, or, where
  // B's run outdated A's, the same files with every save of every run in them.
  std::string CheckHop(int change) {
    const Machines got = Hop(change);
    const int saves = saves_;
    const Machines& want = HopReference(saves == 3 ? 0 : -1);
    std::string wrong;
    if (Part(got.a, false) != Part(want.a, false))
      wrong += "\n  machine A:" + Differences(Part(want.a, false), Part(got.a, false));
    if (got.b != want.b) wrong += "\n  machine B:" + Differences(want.b, got.b);
    const Disk stick = Part(got.a, true);
    const Disk wantStick = Part(want.a, true);
    const Disk newer = WithoutKeptBeside(stick);
    if (newer == stick) {
      if (stick != wantStick) wrong += "\n  portable folder:" + Differences(wantStick, stick);
      return wrong;
    }
    std::set<std::wstring> names, wantNames;
    for (const auto& [name, bytes] : newer.files) names.insert(name);
    for (const auto& [name, bytes] : wantStick.files) wantNames.insert(name);
    if (names != wantNames) wrong += "\n  portable folder:" + Differences(wantStick, newer);
    for (int save = 1; save <= saves; ++save) {
      const std::string mark = "+" + std::to_string(save);
      const std::string wide = fake_reg_detail::Utf16(L"+" + std::to_wstring(save));
      bool kept = false;
      for (const auto& [name, bytes] : stick.files)
        kept = kept || Contains(WideFromUtf8(bytes), WideFromUtf8(mark)) ||
               bytes.find(wide) != std::string::npos;
      if (!kept) wrong += "\n  save " + mark + " is lost";
    }
    return wrong;
  }

  std::map<int, Machines> hops_;

  int saves_ = 0;  // by the application, counted from the start
  bool applicationStarted_ = false;
  FakeWorld start_;
  Driver driver_{NativeRig()};
};

// What the machine holds outside the portable folder (and what the row leaves to
// the application), and the registry's values
// in any order (an empty parent key that an import made holds nothing).
Disk MachinePart(Disk disk, const std::wstring& leftToTheApplication) {
  const auto portable = [&](const std::wstring& path) {
    return StartsWith(path, L"c:\\p\\") ||
           (!leftToTheApplication.empty() && StartsWith(path, leftToTheApplication));
  };
  std::erase_if(disk.files, [&](const auto& file) { return portable(file.first); });
  std::erase_if(disk.attributes, [&](const auto& file) { return portable(file.first); });
  std::erase_if(disk.folders, portable);
  std::erase_if(disk.registry, [](const auto& key) { return key.second.empty(); });
  for (auto& [key, values] : disk.registry) std::sort(values.begin(), values.end());
  return disk;
}

// Runs that nothing disturbs leave the machine's own data as it was.
TEST_P(CrashPoints, UndisturbedRunsLeaveTheMachineAsItWas) {
  Fake() = start_;
  const std::wstring& left = GetParam().leftToTheApplication;
  const Disk machine = MachinePart(Snapshot(), left);
  EXPECT_EQ(Differences(machine, MachinePart(driver_.Undisturbed(2), left)), "");
}

// The reference itself: undisturbed runs finish every item they begin, so no run
// record and no new backup name is left behind.
TEST_P(CrashPoints, UndisturbedRunsFinishEveryItem) {
  for (const auto& [name, bytes] : driver_.Undisturbed(3).files)
    EXPECT_TRUE(start_.files.count(name) || (!IsRunRecord(name) && !Contains(name, L"_backup")))
        << Utf8FromWide(name);
}

TEST_P(CrashPoints, KilledAtAnyChangeLosesNothing) {
  EXPECT_GT(CheckEvery(Disturbance::Crash), 0u);
}

TEST_P(CrashPoints, PowerLostAtAnyChangeLosesNothing) {
  EXPECT_GT(CheckEvery(Disturbance::PowerLoss), 0u);
}

TEST_P(CrashPoints, AnyFailingCallLosesNothing) {
  EXPECT_GT(CheckEvery(Disturbance::FailingCall), 0u);
}

TEST_P(CrashPoints, DiskFullFromAnyChangeLosesNothing) {
  EXPECT_GT(CheckEvery(Disturbance::DiskFull), 0u);
}

// A configuration of registry data alone has no data file to hold open.
TEST_P(CrashPoints, AnyFileHeldOpenLosesNothing) { CheckEvery(Disturbance::HeldFile); }

TEST_P(CrashPoints, KilledWhileWritingAnyNewFileLosesNothing) {
  CheckEvery(Disturbance::TornWrite);
}

INSTANTIATE_TEST_SUITE_P(Configurations, CrashPoints, ::testing::ValuesIn(kConfigurations),
                         [](const auto& info) { return std::string(info.param.name); });

// The portable folder travels: a run killed on one machine at any change, the
// folder then started on a second machine (the same paths and user name), and
// back on the first. No machine's data is ever carried onto the other, and
// nothing of either is lost.
class MachineHop : public CrashPoints {};

TEST_P(MachineHop, KilledOnOneMachineAtAnyChangeThenRunOnAnotherLosesNothing) {
  const size_t changes = driver_.CountChanges().size();
  int violations = 0;
  for (size_t change = 1; change <= changes; ++change) {
    const std::string wrong = CheckHop(static_cast<int>(change));
    if (!wrong.empty() && ++violations <= 5)
      ADD_FAILURE() << "killed on A "
                    << driver_.Describe(Disturbance::Crash, Point{int(change), L""}) << ":"
                    << wrong;
  }
  EXPECT_EQ(violations, 0) << "of " << changes << " points";
  std::printf("%s: %zu points on machine A checked with a run on B between\n", GetParam().name,
              changes);
}

std::vector<Configuration> HopConfigurations() {
  std::vector<Configuration> hops;
  for (const Configuration& configuration : kConfigurations)
    if (configuration.hop) hops.push_back(configuration);
  return hops;
}

INSTANTIATE_TEST_SUITE_P(Configurations, MachineHop, ::testing::ValuesIn(HopConfigurations()),
                         [](const auto& info) { return std::string(info.param.name); });

// The reference itself: what undisturbed runs carry back holds the last save,
// even where each save has the size and the time of the data before it.
class LastSave : public CrashPoints {};

TEST_P(LastSave, UndisturbedRunsCarryItBack) {
  const auto& [file, bytes] = GetParam().lastSave;
  EXPECT_EQ(driver_.Undisturbed(3).files.at(LowerAscii(file)), bytes);
}

std::vector<Configuration> LastSaveConfigurations() {
  std::vector<Configuration> rows;
  std::copy_if(std::begin(kConfigurations), std::end(kConfigurations), std::back_inserter(rows),
               [](const Configuration& row) { return !row.lastSave.first.empty(); });
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Configurations, LastSave, ::testing::ValuesIn(LastSaveConfigurations()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
