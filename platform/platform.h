// The launcher's one seam to the operating system. Everything outside platform/
// reaches Windows only through these functions; platform/win32/ implements them
// with Win32, and the native test suite links an in-memory implementation instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The Win32 headers make some names macros for their wide forms; the seam's own
// functions keep their names in the files that include both.
#ifdef SetFileAttributes
#undef SetFileAttributes
#endif

// A build that sits below voq-check's recording layer names its functions apart.
#ifdef VOQ_REAL_SEAM
#include "platform/real_seam_names.h"
#endif

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

// True on 64-bit Windows: always for a 64-bit process, which runs nowhere else,
// and for a 32-bit one when it runs under WOW64.
bool WindowsIs64Bit();

// Lets the system take back as many of the process's pages as it can.
void ReleaseWorkingSet();

void Pause(unsigned milliseconds);

struct LocalTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};
LocalTime LocalClock();

// The system's time in the ticks of DirEntry::lastWrite (GetSystemTimeAsFileTime).
// A file written after a reading gets a write time no earlier than the reading,
// less its volume's grain (FAT32 keeps 2 s).
std::uint64_t FileClock();

// ---- files ---------------------------------------------------------------------

// What FileState answers besides the size (>= 0) of an existing file.
enum : std::int64_t {
  kStateMissing = -1,  // nothing exists under the name
  kStateFolder = -2,   // a folder
  // The system cannot tell: access denied, a drive not ready or gone, a share not
  // reconnected, a link that loops, a name longer than kLongestPath. Never to be
  // taken for absence: whatever may be there must not be replaced or set up anew.
  kStateUnreadable = -3,
};

// The longest path the system looks up: the launcher does not declare itself
// aware of long paths, so Windows refuses longer ones (FileState: unreadable;
// ListFolder: nullopt), whatever Wine would do with them.
constexpr std::size_t kLongestPath = 259;

// What is under the name. Missing only when the system says that nothing is there
// (file or path not found) on a volume that is there; a name with wildcards is
// answered for its first match, and no match is missing. A drive root ("C:" or
// "C:\") counts as a folder when the drive exists. Trailing dots and blanks of the
// last component are dropped, as the system drops them.
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
// Replaces the whole content of an open file: write from the start, cut after,
// flushed to the disk before it returns.
bool RewriteFile(FileRef file, const std::string& bytes);
void CloseFile(FileRef file);
// Creates the file (replacing an existing one) and writes the bytes, flushed to
// the disk before it returns.
bool WriteNewFile(const std::wstring& path, const std::string& bytes);

// Renames a file or a whole folder tree in one step (MoveFileExW without copying,
// write through): only within one volume, never over an existing target. False
// when the system refuses (another drive, a file held open inside, ...).
bool MoveFileOrFolder(const std::wstring& source, const std::wstring& target);

// Puts the file newFile in the place of target in one step, replacing it
// (MoveFileExW, replace existing, write through). Fails over a read-only target.
bool ReplaceFileWith(const std::wstring& newFile, const std::wstring& target);

// File attributes, with the numbers Win32 gives them.
enum : unsigned {
  kAttrReadOnly = 0x1,
  kAttrHidden = 0x2,
  kAttrSystem = 0x4,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,
  kAttrCompressed = 0x800,
};
// GetFileAttributesW; nullopt when nothing exists under the name.
std::optional<unsigned> FileAttributes(const std::wstring& path);
// SetFileAttributesW: the set replaces the old one.
bool SetFileAttributes(const std::wstring& path, unsigned attributes);

// ---- processes -----------------------------------------------------------------

struct HiddenRun {
  bool started = false;
  bool ended = false;          // ended within the wait
  unsigned long exitCode = 0;  // when ended
};
// Starts a command line hidden, with its three standard streams on the null
// device (inheritable handles, so a tool can never block on text nobody reads),
// normal priority, in the given folder (the current one when empty), and waits at
// most timeoutMs. A tool still running then is left running.
HiddenRun StartHiddenAndWait(const std::wstring& commandLine, const std::wstring& workdir,
                             unsigned timeoutMs);

// An open process, opaque to the caller. Zero means "none".
using ProcessRef = std::uintptr_t;

struct ShellStartRequest {
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int showCommand = 10;  // SW_SHOWDEFAULT
  bool wantProcess = true;
  // False: the file's default action (no verb, no class), so that a document or
  // a batch file is opened with the program associated with it.
  bool asProgram = true;
};
struct ShellStartResult {
  bool ok = false;
  ProcessRef process = 0;  // zero when not asked for, or the shell gave none
};
// ShellExecuteExW with verb "open", class "exefile" (unless asProgram is off),
// SEE_MASK_FLAG_DDEWAIT and, when wantProcess, SEE_MASK_NOCLOSEPROCESS.
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
  std::uint64_t size = 0;  // of a file
  // Of a file: its last write time, in 100 ns ticks since 1601 (UTC). Every write
  // gives a new one, even of the same bytes; a copy (CopyFileReplacing) and a
  // rename keep the source's. A volume may keep it coarser (FAT32: 2 s).
  std::uint64_t lastWrite = 0;
};

// The coarsest grain in which a volume keeps write times: FAT32's 2 s.
inline constexpr std::uint64_t kCoarsestWriteTimeGrain = 20'000'000;

// The entries of the folder whose names match the pattern (FindFirstFileW on
// folder + "\" + pattern, so a short 8.3 name can match too), in the system's
// order, without "." and "..". An existing folder without a match gives an empty
// list; nullopt when the folder cannot be listed (missing, a file, no access), and
// when the listing fails part-way: a list cut short is never handed out as whole.
std::optional<std::vector<DirEntry>> ListFolder(const std::wstring& folder,
                                                const std::wstring& pattern);

// Creates one folder whose parent exists (CreateDirectoryW); false when it exists.
bool CreateOneFolder(const std::wstring& path);

// CopyFileW allowed to replace the target. Fails over a read-only or hidden target.
// The copy is not flushed: until FlushFile, a power cut or a pulled drive may
// leave the target's name with none of its bytes.
bool CopyFileReplacing(const std::wstring& source, const std::wstring& target);

// Whether the two files hold the same bytes: read in blocks, never whole in memory,
// each opened as a reader that lets others read. False when either cannot be
// opened or read.
bool SameFileBytes(const std::wstring& first, const std::wstring& second);

// FlushFileBuffers on the file, so that its bytes are on the disk when it returns.
// A read-only file is flushed too (its attribute is cleared for the flush and put
// back). Copies are flushed before anything relies on them: before their source
// is removed, or before the run record says that the copy is whole.
bool FlushFile(const std::wstring& path);

// Gives the file the system's time now (FileClock) as its last write time,
// written through to the disk (SetFileTime on a handle opened for
// FILE_WRITE_ATTRIBUTES with FILE_FLAG_WRITE_THROUGH). Attributes and sharing do
// not stand in its way (read-only, held open); false for a missing file or a folder.
bool StampWriteTime(const std::wstring& path);

// Clears read-only, hidden and system (FILE_ATTRIBUTE_NORMAL).
bool SetNormalAttributes(const std::wstring& path);

// PathMatchSpecW: "*.*" matches every name; ";" separates several patterns.
bool MatchesSpec(const std::wstring& name, const std::wstring& pattern);

// DeleteFileW: fails on a read-only file.
bool DeleteOneFile(const std::wstring& path);

// RemoveDirectoryW: only an empty folder, or a link to a folder (the link goes,
// what it points to stays).
bool RemoveOneFolder(const std::wstring& path);

// GetLongPathNameW: the path with the long name of each component (a short 8.3
// name such as "PROGRA~1" gives "Program Files"); nullopt when the place does not
// exist or cannot be read.
std::optional<std::wstring> LongPathName(const std::wstring& path);

// The text in capitals as Windows compares file and registry names: each
// character by itself, none made longer ("ä" gives "Ä", "ß" stays "ß"). Taken by
// value: a caller done with its text hands it over to be changed in place.
std::wstring UpperCaseForNames(std::wstring text);

}  // namespace os

// ---- registry reads and clipboard ------------------------------------------------
// The raw reads only: what a value's data means (buffer limits, types, labels) is
// decided by the portable registry code, so that it is the same with every platform.

namespace os {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Registry value types, with the numbers Win32 gives them.
enum : unsigned {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
  kRegQword = 11,
};

struct RegQuery {
  enum Outcome { Missing, TooLarge, Ok };
  Outcome outcome = Missing;  // Missing: no such key or value, or the key cannot be read
  unsigned type = 0;          // set when Ok
  std::string bytes;          // the data as stored, when Ok
};

// Opens the key below the root for querying (read access is enough) and queries the
// value (empty name: the default value) into a buffer of bufferBytes bytes.
// TooLarge when the data does not fit.
RegQuery QueryRegValue(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                       unsigned bufferBytes);
// The same for several values of one key: one open, then one query per name, in
// order, each answered as QueryRegValue answers it.
std::vector<RegQuery> QueryRegValues(RegRoot root, const std::wstring& subkey,
                                     const std::vector<std::wstring>& names, unsigned bufferBytes);

// The name of the value at the zero-based index of the key opened with default
// access, through a name buffer of 255 characters (terminator included). nullopt
// past the end, for a missing key, or for a name that does not fit.
std::optional<std::wstring> RegEnumValueName(RegRoot root, const std::wstring& subkey,
                                             unsigned index);

// ---- registry reads with read access: the registry items, the Java check -------
// Opened with the one read right each needs, so that keys the user may read but
// not write are read too. Missing only when the system says the key or value does
// not exist (ERROR_FILE_NOT_FOUND); any other failure is Failed, never taken for
// absence.
enum class RegOutcome { Ok, Missing, Failed };

struct RegData {
  RegOutcome outcome = RegOutcome::Failed;
  unsigned type = 0;  // when Ok
  std::string bytes;  // the data as stored, whole, when Ok
};
// Which registry a read sees on 64-bit Windows: the process's own view (the
// 64-bit one for the launcher), or the 64-bit or the 32-bit view by name
// (KEY_WOW64_64KEY, KEY_WOW64_32KEY). What 32-bit programs keep under
// HKLM\Software\X is HKLM\Software\WOW6432Node\X in the 64-bit view. 32-bit
// Windows has one registry and ignores the choice.
enum class RegView { Own, Bits64, Bits32 };

// RegOpenKeyExW with KEY_QUERY_VALUE, then RegQueryValueExW with a buffer grown
// to the data's size: any type, any length. Empty name: the default value.
RegData QueryRegData(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                     RegView view = RegView::Own);

struct RegSubkeys {
  RegOutcome outcome = RegOutcome::Failed;
  std::vector<std::wstring> names;  // when Ok: every subkey, in the system's order
};
// RegOpenKeyExW with KEY_ENUMERATE_SUB_KEYS, then RegEnumKeyExW to the end, with
// room for the longest name a key may have (255 characters).
RegSubkeys ListRegSubkeys(RegRoot root, const std::wstring& subkey, RegView view = RegView::Own);

struct RegKeyCounts {
  RegOutcome outcome = RegOutcome::Failed;
  unsigned subkeys = 0;  // when Ok
  unsigned values = 0;   // when Ok; the default value counts when it is set
};
// RegOpenKeyExW with KEY_QUERY_VALUE, then RegQueryInfoKeyW: the key's own
// counts, which no name of any length can hide.
RegKeyCounts QueryRegKeyCounts(RegRoot root, const std::wstring& subkey);

// RegFlushKey: the changes to the key (and, as the system does it, to the rest of
// its hive) are on the disk when it returns. The system writes the registry out
// lazily, so a power cut may lose recent changes: a copy that others rely on is
// flushed first. An empty subkey flushes the root. False when the key cannot be
// opened or written out.
bool FlushRegKey(RegRoot root, const std::wstring& subkey);

// The clipboard's text in Unicode text format, up to its terminating zero; empty
// when it holds none or cannot be opened.
std::wstring ClipboardText();

}  // namespace os

// ---- requesters ------------------------------------------------------------------
// The windows that ask the user for a text, a file or a folder. Each is modal; the
// window that owns it, if any, is disabled while it is shown. nullopt: cancelled.

namespace os {

// A small window of 300 by 130 pixels, centred, with the title as caption and a
// close box, the message as a one-line label, a one-line edit field holding the
// initial text with the caret at its end, and an "OK" button. Enter or the button
// answers the field's text; Escape or the close box cancels. When masked, the
// field shows a placeholder for every character typed.
std::optional<std::wstring> AskText(const std::wstring& title, const std::wstring& message,
                                    const std::wstring& initialText, bool masked);

// The system's open-file dialog. filter: descriptions and patterns, all separated
// by "|" ("Text|*.txt|All|*.*"), the first pair selected. initialPath: its folder
// part is the starting folder, its last component the proposed file name. The
// answer is a full path of at most 260 characters; only paths whose folder exists
// are accepted, and the current folder stays as it was.
std::optional<std::wstring> AskFile(const std::wstring& title, const std::wstring& filter,
                                    const std::wstring& initialPath);

// The system's folder browser, starting at initialFolder. The path as the system
// gives it (a drive root keeps its backslash).
std::optional<std::wstring> AskFolder(const std::wstring& title, const std::wstring& initialFolder);

// ---- ANSI code page ----------------------------------------------------------------
// The system's ANSI code page (CP_ACP), which scrambled values and passwords are
// encoded in and files without a mark are read in. A character the code page
// lacks becomes the default character "?" or a look-alike (Windows writes "A" for
// "\u0100"): a text is held exactly when it comes back from its bytes.

std::string AnsiFromWide(const std::wstring& text);
std::wstring WideFromAnsi(std::string_view bytes);

}  // namespace os

// ---- consoles, file dates, desktop, timer and clipboard -----------------------------
// What the miscellaneous commands of BEFORE and AFTER need (batch, run, date,
// systemrefresh, delay, clip).

namespace os {

// Gives the launcher a console window when it has none (AllocConsole; the console
// stays for the rest of the process) and sets its title (SetConsoleTitleW).
bool OpenConsole(const std::wstring& title);

// CreateProcessW of the program with its quoted path as the whole command line,
// inherited handles, no creation flags, and the launcher's own environment, folder
// and start-up information: a batch file runs in the launcher's console. Not
// waited for.
bool StartInConsole(const std::wstring& program);

// Waits for the process to end, without a time limit (WaitForSingleObject).
void WaitForProcessEnd(ProcessRef process);

enum class FileDate { Modified, Created, Accessed };
// Sets one date of a file to a local date and time, to the second
// (TzSpecificLocalTimeToSystemTime, SetFileTime on a handle opened for
// FILE_WRITE_ATTRIBUTES). False when the date cannot be set, or names no moment
// the system can hold.
bool SetFileDate(const std::wstring& path, FileDate which, const LocalTime& when);

// The desktop wallpaper's path (SystemParametersInfoW, SPI_GETDESKWALLPAPER, 260
// characters); empty when there is none.
std::wstring DesktopWallpaper();
// Sets it, announcing the change to every window (SPI_SETDESKWALLPAPER,
// SPIF_SENDWININICHANGE).
bool SetDesktopWallpaper(const std::wstring& path);

// Raises the system timer resolution to 1 ms (timeBeginPeriod) for the rest of
// the process, so that pauses last what they say; calls after the first do nothing.
void RaiseTimerResolution();

// Empties the clipboard and puts the text on it as Unicode text (CF_UNICODETEXT).
bool SetClipboardText(const std::wstring& text);

}  // namespace os

// ---- requirement checks, single instance and elevation ---------------------------

namespace os {

// GetWindowsDirectoryW: the system's own Windows folder, without trailing backslash;
// unlike the "windir" variable it cannot be set by whoever starts the launcher.
std::wstring WindowsDirectory();

// InternetGetConnectedState: whether the system reports any connection.
bool InternetConnected();

struct CapturedRun {
  bool started = false;
  std::string output;  // standard output, as the program wrote it
};
// Starts the command line hidden, with its standard output on a pipe that is read
// until the program has ended and closed it, or timeoutMs have passed (a program
// still running then is left running). No working directory is given.
CapturedRun RunCapturingOutput(const std::wstring& commandLine, unsigned timeoutMs);

// A named mutex, opaque to the caller. Zero means "none".
using MutexRef = std::uintptr_t;
struct MutexTake {
  MutexRef mutex = 0;    // zero when the creation failed
  bool existed = false;  // the name was taken already (ERROR_ALREADY_EXISTS)
};
// CreateMutexW, initially owned, in the session's local namespace; a name that
// begins with "Global\" is seen by every session. A name the process holds
// already answers existed, as the system does.
MutexTake CreateOwnedMutex(const std::wstring& name);
// ReleaseMutex and CloseHandle: the name is free once no process holds it.
void ReleaseOwnedMutex(MutexRef mutex);

// Starts the program without waiting, with "program" parameters as its command
// line, in the folder (none when empty). A start the system refuses (a program
// whose manifest asks for administrator rights) is made through the shell's
// default verb instead, which shows the elevation prompt; the shell start uses the
// program's own folder when none is given. False when both fail.
bool StartProgram(const std::wstring& program, const std::wstring& parameters,
                  const std::wstring& folder);

// Who runs the launcher, as the run record tells machines and accounts apart: the
// machine's MachineGuid (HKLM\SOFTWARE\Microsoft\Cryptography, 64-bit view), the
// user's SID as text ("S-1-5-21-..."), and the computer and user names a person
// knows them by. Each is empty when the system cannot give it.
struct RunnerNames {
  std::wstring machineGuid;
  std::wstring userSid;
  std::wstring computerName;
  std::wstring userName;
};
RunnerNames QueryRunner();

// CreateSymbolicLinkW, for link or target paths that the command interpreter's
// mklink cannot take. The result says little: check the link itself.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool folder);

}  // namespace os
