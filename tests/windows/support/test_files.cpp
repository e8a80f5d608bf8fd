#include "tests/windows/support/test_files.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/text.h"

namespace testing_win {

std::wstring ProgramFolder() {
  wchar_t buffer[32768];
  const std::wstring self(buffer, GetModuleFileNameW(nullptr, buffer, 32768));
  return self.substr(0, self.find_last_of(L'\\') + 1);
}

ScopedFolder::ScopedFolder(const std::wstring& stem, const std::wstring& under) {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH + 1];
  const std::wstring base =
      under.empty() ? std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) : under;
  // The process id keeps parallel test programs apart; the counter, the cases.
  for (;;) {
    path = base + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"\\";
    if (CreateDirectoryW(path.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

// Removes a tree without ever descending into a link: a folder link is removed
// as itself (or left), so a link that points back into its own tree cannot send
// the clean-up round in circles.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = folder + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      const bool isLink = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
      if (isFolder && !isLink)
        RemoveTree(full);
      else if (isFolder)
        RemoveDirectoryW(full.c_str());
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

ScopedFolder::~ScopedFolder() { RemoveTree(path.substr(0, path.size() - 1)); }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  return ok;
}

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[16384];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyOver(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool MakeFolders(const std::wstring& path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path), error);
  return !error;
}

bool MakeLinuxLink(const std::wstring& link, const std::wstring& target) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return false;
  char* from = unixName(target.c_str());
  char* to = unixName(link.c_str());
  if (from == nullptr || to == nullptr) return false;
  std::wstring line = L"ln -s \"" + Wide(from) + L"\" \"" + Wide(to) + L"\"";
  HeapFree(GetProcessHeap(), 0, from);
  HeapFree(GetProcessHeap(), 0, to);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("ln did not start: error %lu\n", GetLastError());
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // The handle of a Linux program started by Wine may signal before the program
  // has ended, so the link is awaited itself (a link to itself answers with
  // another error than "not found"). Never a second ln: with a folder link
  // there, it would make a link inside the linked folder pointing back at it.
  for (int waited = 0; waited < 10000; waited += 50) {
    if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES ||
        GetLastError() != ERROR_FILE_NOT_FOUND)
      return true;
    Sleep(50);
  }
  std::printf("no link 10 s after ln\n");
  return false;
}

// The launcher's own conversions, so that tests read files as the launcher does.
std::string Utf8(const std::wstring& text) { return Utf8FromWide(text); }

std::wstring Wide(const std::string& utf8) { return WideFromUtf8(utf8); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

long long NowMs() {
  // The tick count moves in steps of several milliseconds under Wine.
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace testing_win
