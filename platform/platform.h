// The launcher's one seam to the operating system. Everything outside platform/
// reaches Windows only through these functions; platform/win32/ implements them
// with Win32, and the native test suite links an in-memory implementation instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace os {

// ---- process and environment -------------------------------------------------

// COM on the main thread and the common controls, for the shell start and the
// requesters. Called once at start-up.
void InitialiseServices();

// Ends the process with the exit code; never returns.
[[noreturn]] void ExitProcessNow(int exitCode);

// Full path of the running executable.
std::wstring ModulePath();

// The launcher's own arguments as the system splits them (quotes removed),
// without the program name.
std::vector<std::wstring> CommandLineArguments();

// The user's temporary folder in its long form, with a trailing backslash.
std::wstring TempFolderLong();

std::optional<std::wstring> ReadEnv(const std::wstring& name);
bool WriteEnv(const std::wstring& name, const std::wstring& value);

// ExpandEnvironmentStringsW semantics: %name% matched without regard to case,
// unknown references left as written. nullopt when the expansion fails.
std::optional<std::wstring> ExpandEnv(const std::wstring& text);

bool SetCurrentFolder(const std::wstring& path);

// The system's version record. platformId: 1 for the 9x family, 2 for NT.
struct VersionRecord {
  bool ok = false;
  unsigned platformId = 0;
  unsigned major = 0;
  unsigned minor = 0;
  bool workstation = true;
};
VersionRecord QueryVersion();

// True when the service control manager opens with full access (0xF000F).
bool CanOpenServiceManagerFully();

// IsWow64Process looked up by name in KERNEL32.DLL; false when missing.
bool RunsUnderWow64();

// Lets the system take back as many of the process's pages as it can.
void ReleaseWorkingSet();

void Pause(unsigned milliseconds);

struct LocalTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};
LocalTime LocalClock();

// ---- files ---------------------------------------------------------------------

// Size of an existing file; -1 when nothing exists under the name; -2 for a
// folder. A name with wildcards is answered for its first match; a drive root
// ("C:" or "C:\") counts as a folder when the drive exists.
std::int64_t FileState(const std::wstring& path);

// An open file, opaque to the caller. Zero means "no file".
using FileRef = std::uintptr_t;

enum class OpenMode {
  ReadWriteShareRead,  // read and write, others may read
  ReadShareRead,       // read only, others may read
  ReadShareReadWrite,  // read only, others may read and write
};
FileRef OpenExistingFile(const std::wstring& path, OpenMode mode);
// Reads the whole file from its start. False on a read error.
bool ReadWholeFile(FileRef file, std::string& bytes);
// Replaces the whole content of an open file: write from the start, cut after.
bool RewriteFile(FileRef file, const std::string& bytes);
void CloseFile(FileRef file);
// Creates the file (replacing an existing one) and writes the bytes.
bool WriteNewFile(const std::wstring& path, const std::string& bytes);

// ---- processes -----------------------------------------------------------------

// Starts a command line hidden, with its three standard streams on fresh
// inheritable anonymous pipes, normal priority, in the given folder (the current
// one when empty), and waits at most timeoutMs. False when it could not start.
bool StartHiddenAndWait(const std::wstring& commandLine, const std::wstring& workdir,
                        unsigned timeoutMs);

// An open process, opaque to the caller. Zero means "none".
using ProcessRef = std::uintptr_t;

struct ShellStartRequest {
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int showCommand = 10;  // SW_SHOWDEFAULT
  bool wantProcess = true;
};
struct ShellStartResult {
  bool ok = false;
  ProcessRef process = 0;  // zero when not asked for, or the shell gave none
};
// ShellExecuteExW with verb "open", class "exefile", SEE_MASK_FLAG_DDEWAIT and,
// when wantProcess, SEE_MASK_NOCLOSEPROCESS.
ShellStartResult ShellStart(const ShellStartRequest& request);
// Tests the process with a zero time-out.
bool ProcessHasEnded(ProcessRef process);
void ReleaseProcess(ProcessRef process);

// ---- user interface ------------------------------------------------------------

// Style bits and answers, with the values Win32 gives them.
enum : unsigned {
  kBoxOk = 0x0,
  kBoxOkCancel = 0x1,
  kBoxYesNo = 0x4,
  kBoxIconStop = 0x10,
  kBoxIconQuestion = 0x20,
  kBoxIconWarning = 0x30,
  kBoxIconInformation = 0x40,
  kBoxTopmost = 0x40000,
};
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// A modal message box without owner window.
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned style);

// Titles of all top-level windows, hidden ones included.
std::vector<std::wstring> TopLevelWindowTitles();

}  // namespace os

// ---- folders and file copies -----------------------------------------------------
// Used by the tree copy and by the folder and file operations that cannot be left to
// the command interpreter. Names are as the system spells them; no call recurses.

namespace os {

struct DirEntry {
  std::wstring name;
  bool isFolder = false;
  bool isLink = false;  // a reparse point: symbolic link or junction
  bool isHiddenOrSystem = false;
};

// The entries of the folder whose names match the pattern (FindFirstFileW on
// folder + "\" + pattern, so a short 8.3 name can match too), in the system's
// order, without "." and "..". An existing folder without a match gives an empty
// list; nullopt when the folder cannot be listed (missing, a file, no access).
std::optional<std::vector<DirEntry>> ListFolder(const std::wstring& folder,
                                                const std::wstring& pattern);

// Creates one folder whose parent exists (CreateDirectoryW); false when it exists.
bool CreateOneFolder(const std::wstring& path);

// CopyFileW allowed to replace the target. Fails over a read-only or hidden target.
bool CopyFileReplacing(const std::wstring& source, const std::wstring& target);

// Clears read-only, hidden and system (FILE_ATTRIBUTE_NORMAL).
bool SetNormalAttributes(const std::wstring& path);

// PathMatchSpecW: "*.*" matches every name; ";" separates several patterns.
bool MatchesSpec(const std::wstring& name, const std::wstring& pattern);

// DeleteFileW: fails on a read-only file.
bool DeleteOneFile(const std::wstring& path);

// RemoveDirectoryW: only an empty folder, or a link to a folder (the link goes,
// what it points to stays).
bool RemoveOneFolder(const std::wstring& path);

}  // namespace os
