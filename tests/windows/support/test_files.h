// Files and folders for the Windows tests: temporary folders that clean up after
// themselves, whole-file reads and writes, UTF-8 at the edges.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace testing_win {

// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();

// A fresh folder under the user's temporary folder (or under base, which ends
// with a backslash); removed with its contents when the value goes out of scope.
// path ends with a backslash.
struct ScopedFolder {
  std::wstring path;
  explicit ScopedFolder(const std::wstring& stem, const std::wstring& base = L"");
  ~ScopedFolder();
  ScopedFolder(const ScopedFolder&) = delete;
  ScopedFolder& operator=(const ScopedFolder&) = delete;
};

// Removes the folder (no trailing backslash) and all it holds; a folder link is
// removed as itself, never followed.
void RemoveTree(const std::wstring& folder);

bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
bool CopyOver(const std::wstring& from, const std::wstring& to);
bool MakeFolders(const std::wstring& path);

// A Linux symbolic link at link to target (both Windows paths; the target may be
// the link itself), made by the Linux tool: Wine's own CreateSymbolicLinkW makes
// none. True once the link is there.
bool MakeLinuxLink(const std::wstring& link, const std::wstring& target);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

// Polls the condition every 20 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// Milliseconds since an arbitrary start, for measuring durations.
long long NowMs();

}  // namespace testing_win
