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
  // The system takes a backslash for a path into its object namespace.
  if (name.find(L'\\') != std::wstring::npos) return MutexTake{};
  if (checks.othersLetGoAfter >= 0 &&
      static_cast<int>(checks.mutexesCreated.size()) >= checks.othersLetGoAfter)
    checks.mutexesOfOthers.clear();
  checks.mutexesCreated.push_back(name);
  return MutexTake{checks.mutexesCreated.size(), checks.mutexesOfOthers.count(name) > 0};
}

void ReleaseOwnedMutex(MutexRef mutex) {
  if (mutex != 0) ++Fake().checks.mutexesReleased;
}

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
