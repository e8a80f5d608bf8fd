// The scenes of the contract rows on the real system (Wine): a fresh temporary
// folder and a scratch key below HKEY_CURRENT_USER for each row, made with the
// Win32 API itself, never through the seam under test.
#include <windows.h>
// After windows.h.
#include <aclapi.h>

#include <memory>

#include "tests/contract/contract.h"
#include "tests/windows/support/test_files.h"

namespace contract {

namespace {

std::unique_ptr<testing_win::ScopedFolder> g_folder;
std::unique_ptr<testing_win::ScopedFolder> g_otherVolume;
std::vector<HANDLE> g_held;
std::vector<std::wstring> g_deniedKeys;

void Expect(bool done, const char* what, const std::wstring& relative) {
  EXPECT_TRUE(done) << what << " " << Utf8(relative) << ": error " << GetLastError();
}

// Everyone is denied the access; all the rest stays allowed, so that the scene
// can give it back (WRITE_DAC) and remove the key.
void DenyKeyAccess(const std::wstring& relative, DWORD denied) {
  HKEY key = nullptr;
  Expect(RegOpenKeyExW(HKEY_CURRENT_USER, RegScratch(relative).c_str(), 0, WRITE_DAC, &key) ==
             ERROR_SUCCESS,
         "open key", relative);
  EXPLICIT_ACCESSW access[2]{};
  wchar_t everyone[] = L"EVERYONE";
  for (EXPLICIT_ACCESSW& entry : access) {
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    entry.Trustee.ptstrName = everyone;
  }
  access[0].grfAccessMode = DENY_ACCESS;
  access[0].grfAccessPermissions = denied;
  access[1].grfAccessMode = SET_ACCESS;
  access[1].grfAccessPermissions = KEY_ALL_ACCESS;
  PACL acl = nullptr;
  Expect(SetEntriesInAclW(denied == 0 ? 1 : 2, denied == 0 ? access + 1 : access, nullptr, &acl) ==
             ERROR_SUCCESS,
         "make acl", relative);
  Expect(SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                         nullptr) == ERROR_SUCCESS,
         "set security", relative);
  LocalFree(acl);
  RegCloseKey(key);
}

}  // namespace

void NewScene() { g_folder = std::make_unique<testing_win::ScopedFolder>(L"voq contract"); }

void EndScene() {
  for (HANDLE held : g_held) CloseHandle(held);
  g_held.clear();
  for (const std::wstring& relative : g_deniedKeys) DenyKeyAccess(relative, 0);
  g_deniedKeys.clear();
  RegDeleteTreeW(HKEY_CURRENT_USER, RegScratch().c_str());
  for (const std::wstring& key : {MachineScratch(), MachineScratch32()}) {
    HKEY software = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.substr(0, key.find_last_of(L'\\')).c_str(), 0,
                      KEY_ALL_ACCESS | KEY_WOW64_64KEY, &software) != ERROR_SUCCESS)
      continue;
    RegDeleteTreeW(software, key.substr(key.find_last_of(L'\\') + 1).c_str());
    RegCloseKey(software);
  }
  g_folder.reset();
  g_otherVolume.reset();
}

bool OnWine() { return true; }

std::wstring At(const std::wstring& relative) { return g_folder->path + relative; }

// The rig's drive Y: is another Linux file system.
std::wstring OnOtherVolume(const std::wstring& relative) {
  if (!g_otherVolume)
    g_otherVolume = std::make_unique<testing_win::ScopedFolder>(L"voq contract", L"Y:\\");
  return g_otherVolume->path + relative;
}

void PutFile(const std::wstring& relative, const std::string& bytes) {
  Expect(testing_win::WriteBytes(At(relative), bytes), "write", relative);
}

void PutFolder(const std::wstring& relative) {
  Expect(CreateDirectoryW(At(relative).c_str(), nullptr), "make folder", relative);
}

void PutAttributes(const std::wstring& relative, unsigned attributes) {
  Expect(SetFileAttributesW(At(relative).c_str(), attributes), "set attributes", relative);
}

void Hold(const std::wstring& relative) {
  HANDLE file = CreateFileW(At(relative).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  Expect(file != INVALID_HANDLE_VALUE, "hold", relative);
  if (file != INVALID_HANDLE_VALUE) g_held.push_back(file);
}

void PutFolderLink(const std::wstring& relative, const std::wstring& target) {
  Expect(testing_win::MakeLinuxLink(At(relative), At(target)), "link", relative);
}

void PutLoopingLink(const std::wstring& relative) {
  Expect(testing_win::MakeLinuxLink(At(relative), At(relative)), "loop", relative);
}

std::wstring ShortForm(const std::wstring& relative) {
  wchar_t shortForm[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(At(relative).c_str(), shortForm, MAX_PATH);
  Expect(length > 0 && length < MAX_PATH, "short form", relative);
  return std::wstring(shortForm, length);
}

// Only the rows that the fake alone can produce arrange these.
void DenyListing(const std::wstring& relative) { ADD_FAILURE() << Utf8(relative); }
void FailListingPartWay(const std::wstring& relative) { ADD_FAILURE() << Utf8(relative); }
void FailReads(const std::wstring& relative) { ADD_FAILURE() << Utf8(relative); }
void PutDriveNotReady(const std::wstring& drive) { ADD_FAILURE() << Utf8(drive); }

// One key per test program, so that programs run side by side keep apart.
std::wstring RegScratch(const std::wstring& relative) {
  const std::wstring scratch = L"Software\\voQContract-" + std::to_wstring(GetCurrentProcessId());
  return relative.empty() ? scratch : scratch + L"\\" + relative;
}

void PutRegKey(const std::wstring& relative) {
  HKEY key = nullptr;
  Expect(RegCreateKeyExW(HKEY_CURRENT_USER, RegScratch(relative).c_str(), 0, nullptr, 0,
                         KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS,
         "make key", relative);
  RegCloseKey(key);
}

void PutRegValue(const std::wstring& relative, const std::wstring& name, unsigned type,
                 const std::string& bytes) {
  PutRegKey(relative);
  Expect(RegSetKeyValueW(HKEY_CURRENT_USER, RegScratch(relative).c_str(), name.c_str(), type,
                         bytes.data(), static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS,
         "set value", relative);
}

void PutMachineRegText(const std::wstring& key, const std::wstring& name,
                       const std::wstring& text) {
  HKEY made = nullptr;
  Expect(
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &made, nullptr) == ERROR_SUCCESS,
      "make machine key", key);
  Expect(RegSetValueExW(made, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS,
         "set machine value", key);
  RegCloseKey(made);
}

void DenyRegReading(const std::wstring& relative) {
  DenyKeyAccess(relative, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY);
  g_deniedKeys.push_back(relative);
}

void DenyRegWriting(const std::wstring& relative) {
  DenyKeyAccess(relative, KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
  g_deniedKeys.push_back(relative);
}

}  // namespace contract
