// Folder listings, one-level folder changes and file copies for the tree copy and
// for the operations that cannot be left to the command interpreter.
#include <shlwapi.h>
#include <windows.h>

#include "platform/platform.h"

namespace os {

std::optional<std::vector<DirEntry>> ListFolder(const std::wstring& folder,
                                                const std::wstring& pattern) {
  std::wstring query = folder;
  if (query.empty() || query.back() != L'\\') query += L'\\';
  query += pattern;
  if (query.size() > kLongestPath) return std::nullopt;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(query.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    // "No match" is an answer only when the folder itself is there; a missing
    // folder may report the same error.
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    const bool isFolder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) && isFolder)
      return std::vector<DirEntry>{};
    return std::nullopt;
  }
  std::vector<DirEntry> entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    DirEntry entry;
    entry.name = name;
    entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.isHiddenOrSystem =
        (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    entries.push_back(entry);
  } while (FindNextFileW(find, &data));
  // Any other error cuts the list short (a share that drops, a drive pulled out
  // mid-way): what is missing from it must not count as absent.
  const bool whole = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  if (!whole) return std::nullopt;
  return entries;
}

bool CreateOneFolder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool CopyFileReplacing(const std::wstring& source, const std::wstring& target) {
  return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool FlushFile(const std::wstring& path) {
  // Qualified: the seam has functions of the same names as the wide Win32 ones.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  // FlushFileBuffers needs a handle with write access, which a read-only file
  // refuses while it is read-only.
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly && !::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
    return false;
  HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool flushed = false;
  if (handle != INVALID_HANDLE_VALUE) {
    flushed = ::FlushFileBuffers(handle) != FALSE;
    ::CloseHandle(handle);
  }
  if (readOnly) ::SetFileAttributesW(path.c_str(), attributes);
  return flushed;
}

bool SetNormalAttributes(const std::wstring& path) {
  return ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool MatchesSpec(const std::wstring& name, const std::wstring& pattern) {
  return PathMatchSpecW(name.c_str(), pattern.c_str()) != FALSE;
}

bool DeleteOneFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

bool RemoveOneFolder(const std::wstring& path) { return RemoveDirectoryW(path.c_str()) != FALSE; }

}  // namespace os
