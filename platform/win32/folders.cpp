// Folder listings, one-level folder changes and file copies for the tree copy and
// for the operations that cannot be left to the command interpreter.
#include <shlwapi.h>
#include <string.h>
#include <windows.h>

#include <vector>

#include "platform/platform.h"
#include "platform/win32/change_gate.h"

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
    if (!entry.isFolder) {
      entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      entry.lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
    }
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
  if (win32::GateRefuses(L"CreateOneFolder", path, true)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool CopyFileReplacing(const std::wstring& source, const std::wstring& target) {
  if (win32::GateRefuses(L"CopyFileReplacing", source, true)) return false;
  return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

namespace {

// Fills the buffer as far as the file goes; false on a read error.
bool ReadBlock(HANDLE file, char* buffer, DWORD size, DWORD& got) {
  got = 0;
  while (got < size) {
    DWORD part = 0;
    if (!ReadFile(file, buffer + got, size - got, &part, nullptr)) return false;
    if (part == 0) return true;
    got += part;
  }
  return true;
}

}  // namespace

bool SameFileBytes(const std::wstring& first, const std::wstring& second) {
  HANDLE files[2];
  const std::wstring* paths[2] = {&first, &second};
  for (int i = 0; i < 2; ++i)
    files[i] = ::CreateFileW(paths[i]->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  bool same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE;
  // On the heap: a static buffer would take its 128 KB in the shipped image.
  constexpr DWORD kBlock = 64 * 1024;
  std::vector<char> blocks(same ? 2 * kBlock : 0);
  while (same) {
    DWORD got[2] = {0, 0};
    same = ReadBlock(files[0], blocks.data(), kBlock, got[0]) &&
           ReadBlock(files[1], blocks.data() + kBlock, kBlock, got[1]) && got[0] == got[1] &&
           memcmp(blocks.data(), blocks.data() + kBlock, got[0]) == 0;
    if (got[0] == 0) break;
  }
  for (HANDLE file : files)
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return same;
}

bool FlushFile(const std::wstring& path) {
  if (win32::GateRefuses(L"FlushFile", path, false)) return false;
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
  if (win32::GateRefuses(L"SetNormalAttributes", path, false)) return false;
  return ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool MatchesSpec(const std::wstring& name, const std::wstring& pattern) {
  return PathMatchSpecW(name.c_str(), pattern.c_str()) != FALSE;
}

bool DeleteOneFile(const std::wstring& path) {
  return !win32::GateRefuses(L"DeleteOneFile", path, false) && DeleteFileW(path.c_str()) != FALSE;
}

bool RemoveOneFolder(const std::wstring& path) {
  return !win32::GateRefuses(L"RemoveOneFolder", path, false) &&
         RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace os
