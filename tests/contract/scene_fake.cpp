// The scenes of the contract rows in the in-memory world.
#include "platform/text.h"
#include "tests/contract/contract.h"
#include "tests/fake_platform/fake_checks.h"
#include "tests/fake_platform/fake_platform.h"

namespace contract {

namespace {

const std::wstring kRoot = L"C:\\Contract\\";
const std::wstring kOtherVolume = L"Y:\\Contract\\";

std::wstring Lowered(const std::wstring& relative) { return LowerAscii(At(relative)); }

FakeRegKey& RegKey(const std::wstring& relative) {
  FakeAddRegKey(os::RegRoot::CurrentUser, RegScratch(relative));
  return Fake().registry[{os::RegRoot::CurrentUser, LowerAscii(RegScratch(relative))}];
}

}  // namespace

void NewScene() {
  ResetFake();
  FakeAddFolder(L"C:\\Contract");
  Fake().otherVolumes.insert(L"y:");
  FakeAddFolder(L"Y:\\Contract");
}

void EndScene() {}

bool OnWine() { return false; }

std::wstring At(const std::wstring& relative) { return kRoot + relative; }
std::wstring OnOtherVolume(const std::wstring& relative) { return kOtherVolume + relative; }

void PutFile(const std::wstring& relative, const std::string& bytes) {
  FakeAddFile(At(relative), bytes);
}
void PutFolder(const std::wstring& relative) { FakeAddFolder(At(relative)); }

void PutAttributes(const std::wstring& relative, unsigned attributes) {
  const std::wstring key = Lowered(relative);
  if (attributes & os::kAttrReadOnly) Fake().readOnlyFiles.insert(key);
  if (attributes & os::kAttrHidden) Fake().hiddenFiles.insert(key);
  Fake().otherAttributes[key] = attributes & ~(os::kAttrReadOnly | os::kAttrHidden);
}

void Hold(const std::wstring& relative) { Fake().lockedFiles.insert(Lowered(relative)); }

// What the target holds is seen below the link too.
void PutFolderLink(const std::wstring& relative, const std::wstring& target) {
  FakeMakeLink(At(relative), true);
  const std::wstring from = Lowered(target) + L"\\";
  const auto files = Fake().files;
  for (const auto& [name, bytes] : files)
    if (StartsWith(name, from)) FakeAddFile(At(relative) + L"\\" + name.substr(from.size()), bytes);
}

// A name of the scene's folder that no long name there takes.
std::wstring ShortForm(const std::wstring& relative) {
  const std::wstring shortForm = At(L"SHORTF~1");
  Fake().shortNames[LowerAscii(shortForm)] = At(relative);
  return shortForm;
}

void PutLoopingLink(const std::wstring& relative) {
  Fake().unreadablePlaces.insert(Lowered(relative));
}
void DenyListing(const std::wstring& relative) {
  Fake().unreadablePlaces.insert(Lowered(relative));
}
void FailListingPartWay(const std::wstring& relative) {
  Fake().partlyListedFolders.insert(Lowered(relative));
}
void FailReads(const std::wstring& relative) { Fake().unreadableFiles.insert(Lowered(relative)); }
void PutDriveNotReady(const std::wstring& drive) {
  Fake().drives.insert(LowerAscii(drive));
  Fake().unreadablePlaces.insert(LowerAscii(drive));
}

std::wstring RegScratch(const std::wstring& relative) {
  return relative.empty() ? L"Software\\voQContract" : L"Software\\voQContract\\" + relative;
}

void PutRegKey(const std::wstring& relative) { RegKey(relative); }

void PutMachineRegText(const std::wstring& key, const std::wstring& name,
                       const std::wstring& text) {
  FakeSetRegString(os::RegRoot::LocalMachine, key, name, text);
}

void PutRegValue(const std::wstring& relative, const std::wstring& name, unsigned type,
                 const std::string& bytes) {
  FakeSetRegValue(os::RegRoot::CurrentUser, RegScratch(relative), name, type, bytes);
}

void DenyRegReading(const std::wstring& relative) {
  RegKey(relative).readable = false;
  RegKey(relative).fullAccess = false;
}
void DenyRegWriting(const std::wstring& relative) { RegKey(relative).fullAccess = false; }

}  // namespace contract
