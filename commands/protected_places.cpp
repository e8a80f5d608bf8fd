#include "commands/protected_places.h"

#include <algorithm>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_notation.h"
#include "registry/reg_read.h"
#include "values/prepare_value.h"

namespace {

// The variables that name the system's folders.
constexpr std::wstring_view kFolderVariables[] = {
    L"SystemDrive",
    L"SystemRoot",
    L"windir",
    L"USERPROFILE",
    L"APPDATA",
    L"LOCALAPPDATA",
    L"ProgramData",
    L"ALLUSERSPROFILE",
    L"PUBLIC",
    L"ProgramFiles",
    L"ProgramFiles(x86)",
    L"ProgramW6432",
    L"CommonProgramFiles",
    L"CommonProgramFiles(x86)",
    L"CommonProgramW6432",
    L"TEMP",
    L"TMP",
};

// Every folder the shell lists, for the user and for all users.
constexpr std::wstring_view kShellFolderKeys[] = {
    L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
};

// The keys of the system's own below a Software key.
constexpr std::wstring_view kSystemSoftwareKeys[] = {
    L"CLASSES", L"CLIENTS", L"MICROSOFT", L"POLICIES", L"REGISTEREDAPPLICATIONS", L"WOW6432NODE",
};

bool IsAbsolute(std::wstring_view path) {
  return Contains(path, L":\\") || StartsWith(path, L"\\\\");
}

// A drive ("C:") or a share ("\\server\share") and nothing below it.
bool IsRoot(const std::wstring& identity) {
  if (identity.size() == 2 && identity[1] == L':') return true;
  return StartsWith(identity, L"\\\\") &&
         std::count(identity.begin() + 2, identity.end(), L'\\') <= 1;
}

std::vector<std::wstring> Names(std::wstring_view path) {
  std::vector<std::wstring> names;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    if (end > start) names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace

void NoteProtectedFolders(LauncherContext& ctx) {
  std::vector<std::wstring>& folders = ctx.protectedFolders;
  folders.clear();
  const auto add = [&](const std::wstring& path) {
    if (IsAbsolute(path)) folders.push_back(PathIdentity(ctx, path));
  };
  add(ctx.windowsFolder);
  for (std::wstring_view name : kFolderVariables)
    add(os::ReadEnv(std::wstring(name)).value_or(L""));
  // The folder that holds every user's profile.
  if (const auto profile = os::ReadEnv(L"USERPROFILE"); profile && IsAbsolute(*profile))
    add(ParentFolder(ctx, *profile));
  for (std::wstring_view key : kShellFolderKeys)
    for (unsigned i = 0;; ++i) {
      const auto name = EnumRegValueName(key, i);
      if (!name) break;
      add(Field(ReadRegValue(std::nullopt, std::wstring(key), *name), 1));
    }
  // The launcher's own folder and every folder above it.
  std::wstring folder = PathIdentity(ctx, ctx.launcherFolder);
  while (!IsRoot(folder) && !folder.empty()) {
    folders.push_back(folder);
    const size_t cut = folder.find_last_of(L'\\');
    if (cut == std::wstring::npos) break;
    folder.resize(cut);
  }
}

bool IsProtectedFolder(const LauncherContext& ctx, std::wstring_view path) {
  return IsProtectedFolderIdentity(ctx, PathIdentity(ctx, path));
}

bool IsProtectedFolderIdentity(const LauncherContext& ctx, const std::wstring& identity) {
  return IsRoot(identity) || std::find(ctx.protectedFolders.begin(), ctx.protectedFolders.end(),
                                       identity) != ctx.protectedFolders.end();
}

bool IsProtectedKey(std::wstring_view keyPath) {
  std::vector<std::wstring> names = Names(os::UpperCaseForNames(LongRegKey(keyPath)));
  // Below HKEY_USERS each account's branch is a root of its own.
  if (!names.empty() && names[0] == L"HKEY_USERS" && names.size() >= 2)
    names.erase(names.begin() + 1);
  if (names.size() <= 2) return true;
  // Below a Software key (and its 32-bit twin) applications keep their own keys.
  size_t software = 1;
  if (names[1] != L"SOFTWARE") return names.size() == 3;
  if (names.size() >= 4 && names[2] == L"WOW6432NODE") software = 2;
  if (names.size() != software + 2) return names.size() < software + 2;
  return std::find(std::begin(kSystemSoftwareKeys), std::end(kSystemSoftwareKeys),
                   names[software + 1]) != std::end(kSystemSoftwareKeys);
}

bool EmptiesAProtectedFolder(const LauncherContext& ctx, std::wstring_view path) {
  const std::wstring name = LastComponent(path);
  const bool matchesAll =
      Contains(name, L"*") && std::all_of(name.begin(), name.end(), [](wchar_t c) {
        return c == L'*' || c == L'?' || c == L'.';
      });
  // The folder with its backslash: "C:\\*" is in the root of C:.
  const std::wstring resolved = ResolvePath(ctx, path);
  const size_t cut = resolved.find_last_of(L"\\/");
  return matchesAll && cut != std::wstring::npos &&
         IsProtectedFolder(ctx, resolved.substr(0, cut + 1));
}
