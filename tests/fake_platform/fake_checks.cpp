#include "tests/fake_platform/fake_checks.h"

#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"

void FakeMakeLink(const std::wstring& link, bool folder) {
  const std::wstring key = LowerAscii(link);
  if (folder) {
    Fake().folders.insert(key);
    Fake().linkFolders.insert(key);
  } else {
    FakeAddFile(link, "");
    Fake().otherAttributes[key] = os::kAttrReparsePoint;
  }
}

void FakeReleaseMutexesOfProcess() {
  FakeChecks& checks = Fake().checks;
  std::erase_if(checks.mutexesHeld,
                [&](const auto& held) { return held.second.process == checks.process; });
}

namespace os {

std::wstring WindowsDirectory() { return Fake().checks.windowsDirectory; }

bool InternetConnected() { return Fake().checks.internetConnected; }

CapturedRun RunCapturingOutput(const std::wstring& commandLine, unsigned) {
  FakeChecks& checks = Fake().checks;
  checks.capturedRuns.push_back(commandLine);
  if (!checks.pingOutput) return CapturedRun{};
  return CapturedRun{true, *checks.pingOutput};
}

MutexTake CreateOwnedMutex(const std::wstring& name) {
  FakeChecks& checks = Fake().checks;
  // The system takes a backslash for a path into its object namespace; only the
  // namespace prefix may have one.
  const std::wstring_view local =
      StartsWith(name, L"Global\\") ? std::wstring_view(name).substr(7) : std::wstring_view(name);
  if (local.find(L'\\') != std::wstring::npos) return MutexTake{};
  if (checks.othersLetGoAfter >= 0 &&
      static_cast<int>(checks.mutexesCreated.size()) >= checks.othersLetGoAfter)
    checks.mutexesOfOthers.clear();
  checks.mutexesCreated.push_back(name);
  const bool existed = checks.mutexesOfOthers.count(name) > 0 || checks.mutexesHeld.count(name) > 0;
  const MutexRef handle = checks.mutexesCreated.size();
  if (!existed) checks.mutexesHeld[name] = FakeChecks::HeldMutex{checks.process, handle};
  return MutexTake{handle, existed};
}

void ReleaseOwnedMutex(MutexRef mutex) {
  if (mutex == 0) return;
  FakeChecks& checks = Fake().checks;
  ++checks.mutexesReleased;
  const std::wstring& name = checks.mutexesCreated[mutex - 1];
  // Other handles on the name keep it; only the one that took it lets it go.
  if (auto it = checks.mutexesHeld.find(name);
      it != checks.mutexesHeld.end() && it->second.handle == mutex)
    checks.mutexesHeld.erase(it);
}

RunnerNames QueryRunner() { return Fake().checks.runner; }

bool StartProgram(const std::wstring& program, const std::wstring& parameters,
                  const std::wstring& folder) {
  Fake().checks.programStarts.push_back(
      FakeProgramStart{program, parameters, folder, FakeFileHeldAgainstWriters(program),
                       FakeFileBytes(program), Fake().checks.mutexesReleased});
  return Fake().checks.programStartSucceeds;
}

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool folder) {
  const bool fails = FakeChangeFails(L"MakeSymbolicLink", LowerAscii(link), true);
  Fake().checks.linkCalls.push_back(FakeLink{link, target, folder});
  if (fails || !Fake().checks.linkApiWorks) return false;
  FakeMakeLink(link, folder);
  return true;
}

}  // namespace os
