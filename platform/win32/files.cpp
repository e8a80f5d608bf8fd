// File queries and whole-file reads and writes.
#include <windows.h>

#include <algorithm>

#include "platform/platform.h"
#include "platform/win32/change_gate.h"

namespace os {

namespace {

bool IsDriveRoot(const std::wstring& path) {
  // "C:" or "C:\": FindFirstFileW finds nothing for these, yet they name a folder.
  return (path.size() == 2 || (path.size() == 3 && path[2] == L'\\')) && path[1] == L':';
}

// Only these say that nothing is there. Access denied, a sharing violation, a
// drive not ready (ERROR_NOT_READY), a drive letter that is gone
// (ERROR_INVALID_DRIVE), a share not reconnected (ERROR_BAD_NETPATH,
// ERROR_BAD_NET_NAME) and the rest say nothing about what is there.
bool IsAbsence(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The volume of an absolute path, "C:\" or "\\server\share\"; empty for other forms.
std::wstring VolumeRoot(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return path.substr(0, 3);
  if (path.rfind(L"\\\\", 0) != 0) return L"";
  const size_t server = path.find(L'\\', 2);
  if (server == std::wstring::npos) return L"";
  const size_t share = path.find(L'\\', server + 1);
  return share == std::wstring::npos ? path + L"\\" : path.substr(0, share + 1);
}

// A drive letter that is gone, or a share that has not reconnected, may also say
// "path not found": absence is an answer only on a volume that is there.
bool VolumeIsThere(const std::wstring& path) {
  const std::wstring root = VolumeRoot(path);
  return root.empty() || GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE AsHandle(FileRef file) { return reinterpret_cast<HANDLE>(file); }

bool RewindFile(HANDLE handle) {
  LARGE_INTEGER start{};
  return SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) != FALSE;
}

bool WriteAll(HANDLE handle, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
    DWORD done = 0;
    if (!WriteFile(handle, bytes.data() + written, chunk, &done, nullptr) || done == 0)
      return false;
    written += done;
  }
  return true;
}

}  // namespace

std::int64_t FileState(const std::wstring& path) {
  if (path.size() > kLongestPath) return kStateUnreadable;
  if (IsDriveRoot(path)) {
    const std::wstring root = path.substr(0, 2) + L"\\";
    if (GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES) return kStateFolder;
    return IsAbsence(GetLastError()) ? kStateMissing : kStateUnreadable;
  }
  // A trailing backslash makes FindFirstFileW look inside the folder and find
  // nothing; the name still asks about the folder itself.
  std::wstring query = path;
  const bool namesFolder = !query.empty() && query.back() == L'\\';
  while (!query.empty() && query.back() == L'\\') query.pop_back();
  if (query.empty()) return kStateMissing;

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(query.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool wildcard = query.find_first_of(L"*?") != std::wstring::npos;
    if (!IsAbsence(error) && !(wildcard && error == ERROR_NO_MORE_FILES)) return kStateUnreadable;
    return VolumeIsThere(query) ? kStateMissing : kStateUnreadable;
  }
  FindClose(search);
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kStateFolder;
  if (namesFolder) return kStateMissing;
  return (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

FileRef OpenExistingFile(const std::wstring& path, OpenMode mode) {
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ;
  switch (mode) {
    case OpenMode::ReadWriteShareRead:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    case OpenMode::ReadShareRead:
      break;
    case OpenMode::ReadShareReadWrite:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
  }
  HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileRef>(handle);
}

bool ReadWholeFile(FileRef file, std::string& bytes) {
  bytes.clear();
  HANDLE handle = AsHandle(file);
  if (file == 0 || !RewindFile(handle)) return false;
  char chunk[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle, chunk, sizeof(chunk), &got, nullptr)) return false;
    if (got == 0) return true;
    bytes.append(chunk, got);
  }
}

bool RewriteFile(FileRef file, const std::string& bytes) {
  HANDLE handle = AsHandle(file);
  if (win32::GateRefuses(L"RewriteFile", L"", true) || file == 0 || !RewindFile(handle))
    return false;
  return WriteAll(handle, bytes) && SetEndOfFile(handle) != FALSE &&
         FlushFileBuffers(handle) != FALSE;
}

void CloseFile(FileRef file) {
  if (file != 0) CloseHandle(AsHandle(file));
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
  if (win32::GateRefuses(L"WriteNewFile", path, true)) return false;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  // Flushed before anything may rely on it: the caller may next replace the old
  // file with it, or delete the only other copy of its data.
  const bool written = WriteAll(handle, bytes) && FlushFileBuffers(handle) != FALSE;
  return CloseHandle(handle) != FALSE && written;
}

bool MoveFileOrFolder(const std::wstring& source, const std::wstring& target) {
  // No MOVEFILE_COPY_ALLOWED: across volumes the caller copies itself, with the
  // checks a copy needs.
  if (win32::GateRefuses(L"MoveFileOrFolder", source, false)) return false;
  return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool ReplaceFileWith(const std::wstring& newFile, const std::wstring& target) {
  if (win32::GateRefuses(L"ReplaceFileWith", newFile, false)) return false;
  return MoveFileExW(newFile.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

std::optional<unsigned> FileAttributes(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool SetFileAttributes(const std::wstring& path, unsigned attributes) {
  if (win32::GateRefuses(L"SetFileAttributes", path, false)) return false;
  return ::SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

}  // namespace os
