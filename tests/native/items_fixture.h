// Whole launcher runs over folders and files: a launcher in C:\P with its
// application App\App.exe, %APPDATA% at C:\U\AppData, and a command interpreter
// that carries out the folder and file commands.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "commands/run_record.h"
#include "launcher/main_sequence.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/native/launcher_fixture.h"

// Thrown from inside a run: the launcher process dies on the spot.
struct Killed {};

class ItemsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Fake().env[L"appdata"] = L"C:\\U\\AppData";
    FakeAddFolder(L"C:\\U");
    FakeAddFolder(L"C:\\U\\AppData");
    FakeAddFolder(L"C:\\P\\App");
    FakeAddFile(L"C:\\P\\App\\App.exe", "MZ");
    Fake().onHiddenStart = FakeInterpret;
    Start();
  }

  // One start of the launcher with these BEFORE/AFTER sections; `app` plays the
  // application while it runs. Returns the exit code.
  int Run(const std::string& sections, const std::function<void()>& app = {}) {
    Prepare(sections, app);
    return ExitCodeOf([&] {
      RunMainSequence(ctx);
      EndLauncher(ctx);
    });
  }

  // A start whose process is killed while the application runs.
  void RunKilled(const std::string& sections, const std::function<void()>& app = {}) {
    Prepare(sections, [app] {
      if (app) app();
      throw Killed{};
    });
    try {
      RunMainSequence(ctx);
      ADD_FAILURE() << "the run was not killed";
    } catch (const Killed&) {
      FakeProcessEnded();
    }
  }

  // Every file below the folder with its bytes, folders with "\" and no bytes;
  // names relative and lowered.
  static std::map<std::wstring, std::string> Tree(const std::wstring& folder) {
    const std::wstring key = LowerAscii(folder) + L"\\";
    std::map<std::wstring, std::string> entries;
    for (const auto& [name, bytes] : Fake().files)
      if (StartsWith(name, key)) entries[name.substr(key.size())] = bytes;
    for (const auto& name : Fake().folders)
      if (StartsWith(name, key)) entries[name.substr(key.size()) + L"\\"] = "";
    return entries;
  }

  static bool FolderExists(const std::wstring& path) {
    return Fake().folders.count(LowerAscii(path)) > 0;
  }

  // This machine's and account's run record, as the last start left it.
  std::string Record() const { return FakeFileBytes(RunRecordPath(ctx)); }
  bool RecordExists() const { return FakeHasFile(RunRecordPath(ctx)); }
  // Its items, "stage :: key :: value" each.
  std::vector<std::wstring> RecordedItems() const {
    std::vector<std::wstring> items;
    if (const auto record = ParseRunRecord(ctx, Record()))
      for (const RunItem& item : record->items)
        items.push_back(item.stage + L" :: " + item.key + L" :: " + item.value);
    return items;
  }

 private:
  void Prepare(const std::string& sections, const std::function<void()>& app) {
    const std::wstring& module = Fake().modulePath;
    FakeAddFile(module.substr(0, module.find_last_of(L'\\')) + L"\\Tool.ini",
                "[GENERAL]\r\napplication = App\\App.exe\r\n" + sections);
    Fake().processPolls = 0;
    Fake().processPollsUntilEnd = 1;
    Fake().onProcessPoll = app;
    Fake().hiddenStarts.clear();
    StartUp(ctx);
  }
};

using Entries = std::map<std::wstring, std::string>;
