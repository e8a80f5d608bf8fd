// The machine as the launcher would have left it so far: the real file system and
// registry below, with the changes the check recorded laid over them. Reads of
// the recording layer go through here, so that a step sees what the steps before
// it would have done (a folder moved aside is missing, its backup holds its files).
// Built with the real seam's names (os::Real...): nothing here changes anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

void ForgetOverlay();

// ---- reads ----------------------------------------------------------------------
std::int64_t OverlayFileState(const std::wstring& path);
std::optional<unsigned> OverlayFileAttributes(const std::wstring& path);
std::optional<std::vector<os::DirEntry>> OverlayListFolder(const std::wstring& folder,
                                                           const std::wstring& pattern);
// The whole content; nullopt when there is no file or it cannot be read (a file a
// tool would have written holds bytes nobody can know beforehand).
std::optional<std::string> OverlayFileBytes(const std::wstring& path);
// The real path behind the name, when the name still shows what the machine
// holds there now (no change of the check lies over it).
std::optional<std::wstring> OverlayRealPath(const std::wstring& path);

// ---- changes: each answers whether the system would have done it -----------------
bool OverlayWriteFile(const std::wstring& path, const std::string& bytes);
bool OverlayMove(const std::wstring& source, const std::wstring& target, bool replace);
bool OverlayCopyFile(const std::wstring& source, const std::wstring& target);
bool OverlayCreateFolder(const std::wstring& path);
bool OverlayDeleteFile(const std::wstring& path);
bool OverlayRemoveFolder(const std::wstring& path);
// Everything below and the place itself (RMDIR /S /Q).
bool OverlayRemoveTree(const std::wstring& path);
bool OverlaySetAttributes(const std::wstring& path, unsigned attributes);
// The registry tool's export of a key that is there: a file whose bytes cannot be
// known beforehand. Its import, or that of a registry file, makes its keys again.
void OverlayRegExport(const std::wstring& keyPath, const std::wstring& file);
void OverlayRegImport(const std::wstring& file);
// What the application may change: every file at or below the place counts as
// changed from then on, so that a copy that skips unchanged files takes it.
void OverlayAssumeChanged(const std::wstring& path);
bool OverlayMayHaveChanged(const std::wstring& path);

// A link: the name shows what the target holds.
bool OverlayLink(const std::wstring& link, const std::wstring& target);

// ---- registry ----------------------------------------------------------------------
// Key paths as the registry tool is given them ("HKCU\Software\App").
void ForgetRegistryOverlay();

// Where a key's content is read now: a real key (perhaps not there), none, or a
// key made empty.
struct RegKeyView {
  enum Kind { Real, Missing, Empty } kind = Real;
  os::RegRoot root = os::RegRoot::CurrentUser;
  std::wstring subkey;
};
RegKeyView OverlayRegKey(os::RegRoot root, const std::wstring& subkey);
// Keys made right below the key, by name.
std::vector<std::wstring> OverlayRegMadeSubkeys(os::RegRoot root, const std::wstring& subkey);
bool OverlayRegValueGone(os::RegRoot root, const std::wstring& subkey, const std::wstring& name);
// The real key whose content the key shows ("" for one made empty); nullopt when
// it is not there.
std::optional<std::wstring> OverlayRegKeySource(const std::wstring& keyPath);

void OverlayRegDeleteKey(const std::wstring& keyPath);
void OverlayRegDeleteValue(const std::wstring& keyPath, const std::wstring& name);
// The key and the keys above it, where they are not there.
void OverlayRegKeyMade(const std::wstring& keyPath);
// The key shows the content of the real key (CanonicalRegKey) from now on.
void OverlayRegKeyCopied(const std::wstring& targetPath, const std::wstring& source);
void OverlayRegCopy(const std::wstring& sourcePath, const std::wstring& targetPath);
