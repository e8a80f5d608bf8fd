// The crash-point enumeration (tests/crash_points/crash_point_driver.h) on the
// real file system and registry, for a folder item (and a registry key item), the
// launcher started as its own process with a gate in front of its change calls
// (crash_points/fault_launcher.cpp) and the application of crash_points/
// saving_app.cpp. A kill is a real end of the process at the call, so the next
// start's recovery meets what the system left. A power loss and a torn write need
// a disk that forgets; they run on the in-memory platform only. A full disk fails
// the launcher's own calls; the system's tools it starts still write.
#include <windows.h>

#include <cstdio>

#include "gtest/gtest.h"
#include "platform/text.h"
#include "registry/reg_file_format.h"
#include "tests/crash_points/crash_point_driver.h"
#include "tests/windows/support/test_files.h"

using namespace crash_points;
using namespace testing_win;

namespace {

constexpr DWORD kKilled = 99;  // as fault_launcher.cpp ends a run
const wchar_t kKeys[] = L"Software\\voQCrashPoints";
const wchar_t kKey[] = L"Software\\voQCrashPoints\\App";
const std::string kDirItem = "dir = %APPDATA%\\App\r\n";
const std::string kRegkeyItem = "regkey = HKCU\\Software\\voQCrashPoints\\App\r\n";

// The application saves in both places in every configuration; where no item
// wraps the key, its saves stay on the machine, run after run.
struct WineConfiguration {
  const char* name;
  std::string sections;
  std::vector<std::string> unwrapped;  // either item, or both, may be left undone for a run
  bool portableKey;                    // the portable folder holds the key's registry file
};
const WineConfiguration kWineConfigurations[] = {
    {"Dir", "[BEFORE]\r\n" + kDirItem, {""}, false},
    {"DirAndRegkey",
     "[BEFORE]\r\n" + kDirItem + kRegkeyItem,
     {"[BEFORE]\r\n" + kDirItem, "[BEFORE]\r\n" + kRegkeyItem, ""},
     true},
};

// The one that runs: by its name in VOQ_WINE_CRASH_POINTS, else the first, which
// keeps CI short (three launcher runs at every point of DirAndRegkey take some
// fifteen minutes under Wine).
const WineConfiguration& Chosen() {
  wchar_t name[64] = {};
  GetEnvironmentVariableW(L"VOQ_WINE_CRASH_POINTS", name, 64);
  for (const WineConfiguration& configuration : kWineConfigurations)
    if (Wide(configuration.name) == name) return configuration;
  return kWineConfigurations[0];
}

bool SetText(const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const bool set =
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

// The files below the folder by their paths relative to base, lowered.
void AddFolder(Disk& disk, const std::wstring& base, const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((base + folder + L"*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = folder + entry.cFileName;
    const std::wstring key = LowerAscii(name);
    if (entry.cFileName == std::wstring(L".") || entry.cFileName == std::wstring(L"..")) continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      disk.folders.insert(key);
      AddFolder(disk, base, name + L"\\");
      continue;
    }
    // The programs do not change; their bytes are not compared.
    disk.files[key] = EndsWith(key, L".exe") ? std::string("program") : ReadBytes(base + name);
    disk.attributes[key] = entry.dwFileAttributes;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

void AddKey(Disk& disk, HKEY parent, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  auto& values = disk.registry[LowerAscii(name)];
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameLength = 256;
    BYTE data[8192];
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
      break;
    values.emplace_back(std::wstring(valueName, nameLength), type,
                        std::string(reinterpret_cast<char*>(data), size));
  }
  for (DWORD i = 0;; ++i) {
    wchar_t subkey[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    AddKey(disk, parent, name + L"\\" + std::wstring(subkey, length));
  }
  RegCloseKey(key);
}

class CrashPointsOnWine : public ::testing::Test {
 protected:
  void TearDown() override {
    if (runs_ > 0) std::printf("%d launcher runs, %lld ms each\n", runs_, runMs_ / runs_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kKeys);
    SetEnvironmentVariableW(L"VOQ_FAULT", nullptr);
  }

  // The portable folder P with the launcher, its ini, the application and the
  // portable data (a folder and a registry file); the user's folders U and the
  // temporary folder T; the machine's own key of the application.
  void Restore() {
    RemoveTree(At(L"P"));
    RemoveTree(At(L"U"));
    RemoveTree(At(L"T"));
    for (const wchar_t* folder :
         {L"P", L"P\\App", L"P\\Settings", L"P\\Settings\\sub", L"U", L"U\\AppData", L"T"})
      ASSERT_TRUE(CreateDirectoryW(At(folder).c_str(), nullptr));
    ASSERT_TRUE(CopyOver(ProgramFolder() + L"voq_fault_launcher.exe", At(L"P\\Tool.exe")));
    ASSERT_TRUE(CopyOver(ProgramFolder() + L"voq_saving_app.exe", At(L"P\\App\\App.exe")));
    WriteConfiguration(configuration_.sections);
    ASSERT_TRUE(WriteBytes(At(L"P\\Settings\\s.ini"), "v1"));
    ASSERT_TRUE(WriteBytes(At(L"P\\Settings\\sub\\deep.dat"), "deep"));
    ASSERT_TRUE(
        WriteBytes(At(L"P\\settings.reg"),
                   RegValueFile(L"HKEY_CURRENT_USER\\" + std::wstring(kKey), L"\"s\"=\"v1\"")));
    RegDeleteTreeW(HKEY_CURRENT_USER, kKeys);
    ASSERT_TRUE(SetText(L"s", L"machine"));
    ASSERT_TRUE(SetText(L"own", L"own"));
    DeleteFileW(savesFile_.c_str());
    SetEnvironmentVariableW(L"APPDATA", At(L"U\\AppData").c_str());
    SetEnvironmentVariableW(L"TMP", At(L"T").c_str());
    SetEnvironmentVariableW(L"TEMP", At(L"T").c_str());
    SetEnvironmentVariableW(L"VOQ_SAVES_FILE", savesFile_.c_str());
    SetEnvironmentVariableW(L"VOQ_FAULT_LOG", logFile_.c_str());
  }

  std::wstring At(const std::wstring& relative) const { return root_.path + relative; }

  void WriteConfiguration(const std::string& sections) {
    ASSERT_TRUE(
        WriteBytes(At(L"P\\Tool.ini"), "[GENERAL]\r\napplication = App\\App.exe\r\n" + sections));
  }

  // The application's saves and starts so far.
  std::pair<int, int> Counts() const {
    int saves = 0;
    int starts = 0;
    std::sscanf(ReadBytes(savesFile_).c_str(), "%d %d", &saves, &starts);
    return {saves, starts};
  }

  bool Run(const Disturbance* disturbance, const Point& point) {
    std::wstring fault;
    if (disturbance) {
      switch (*disturbance) {
        case Disturbance::Crash:
          fault = L"kill " + std::to_wstring(point.change);
          break;
        case Disturbance::FailingCall:
          fault = L"fail " + std::to_wstring(point.change);
          break;
        case Disturbance::DiskFull:
          fault = L"full " + std::to_wstring(point.change);
          break;
        case Disturbance::HeldFile:
          fault = L"hold " + point.heldFile;
          break;
        default:
          ADD_FAILURE() << NameOf(*disturbance) << " cannot be made on the real system";
      }
    }
    SetEnvironmentVariableW(L"VOQ_FAULT", fault.empty() ? nullptr : fault.c_str());
    DeleteFileW(logFile_.c_str());
    const int startsBefore = Counts().second;
    const long long started = NowMs();
    const std::wstring launcher = At(L"P\\Tool.exe");
    std::wstring line = L"\"" + launcher + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(launcher.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        At(L"P").c_str(), &startup, &process)) {
      ADD_FAILURE() << "the launcher did not start: error " << GetLastError();
      return false;
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the launcher did not end within a minute";
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SetEnvironmentVariableW(L"VOQ_FAULT", nullptr);
    ++runs_;
    runMs_ += NowMs() - started;
    applicationStarted_ = Counts().second > startsBefore;
    EXPECT_TRUE(code == kKilled || code == 0) << "exit code " << code;
    return code != kKilled;
  }

  std::vector<Change> Changes() const {
    std::vector<Change> changes;
    const std::wstring log = Wide(ReadBytes(logFile_));
    size_t start = 0;
    while (start < log.size()) {
      const size_t end = log.find(L'\n', start);
      const std::wstring line = log.substr(start, end - start);
      const size_t tab = line.find(L'\t');
      const size_t last = line.rfind(L'\t');
      changes.push_back(
          Change{line.substr(0, tab), line.substr(tab + 1, last - tab - 1), line.back() == L'1'});
      if (end == std::wstring::npos) break;
      start = end + 1;
    }
    return changes;
  }

  Disk Snapshot() const {
    Disk disk;
    AddFolder(disk, root_.path, L"");
    AddKey(disk, HKEY_CURRENT_USER, kKeys);
    return disk;
  }

  Rig WineRig() {
    Rig rig;
    rig.sections = configuration_.sections;
    rig.unwrapped = configuration_.unwrapped;
    rig.restore = [this] { Restore(); };
    rig.writeConfiguration = [this](const std::string& sections) { WriteConfiguration(sections); };
    rig.run = [this](const Disturbance* disturbance, const Point& point) {
      return Run(disturbance, point);
    };
    rig.changes = [this] { return Changes(); };
    rig.snapshot = [this] { return Snapshot(); };
    rig.saves = [this] { return Counts().first; };
    rig.applicationStarted = [this] { return applicationStarted_; };
    rig.dataFiles = [this] {
      std::vector<std::wstring> files{At(L"P\\Settings\\s.ini"), At(L"P\\Settings\\sub\\deep.dat")};
      if (configuration_.portableKey) files.push_back(At(L"P\\settings.reg"));
      return files;
    };
    return rig;
  }

  const WineConfiguration& configuration_ = Chosen();
  ScopedFolder root_{L"voq crash points"};
  ScopedFolder records_{L"voq crash records"};
  const std::wstring savesFile_ = records_.path + L"saves.txt";
  const std::wstring logFile_ = records_.path + L"changes.log";
  bool applicationStarted_ = false;
  int runs_ = 0;
  long long runMs_ = 0;
  Driver driver_{WineRig()};
};

TEST_F(CrashPointsOnWine, KilledAtAnyChangeLosesNothing) {
  EXPECT_GT(driver_.CheckEvery(Disturbance::Crash, configuration_.name), 0u);
}

TEST_F(CrashPointsOnWine, AnyFailingCallLosesNothing) {
  EXPECT_GT(driver_.CheckEvery(Disturbance::FailingCall, configuration_.name), 0u);
}

TEST_F(CrashPointsOnWine, DiskFullFromAnyChangeLosesNothing) {
  EXPECT_GT(driver_.CheckEvery(Disturbance::DiskFull, configuration_.name), 0u);
}

TEST_F(CrashPointsOnWine, AnyFileHeldOpenLosesNothing) {
  EXPECT_GT(driver_.CheckEvery(Disturbance::HeldFile, configuration_.name), 0u);
}

}  // namespace
