// What voq-check's recording layer hands the report: every call of the launcher's
// code that would have changed the machine or asked the user, in order, instead of
// being made. The layer (recording_seam.cpp) is the platform seam the check links
// in place of the real one; it reads through to the real one below it and keeps
// what it recorded visible to later reads (check_overlay.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ChangeKind {
  WriteFile,      // path, bytes
  RewriteFile,    // path, bytes
  MoveFile,       // path to target (a file)
  MoveFolder,     // path to target (a folder tree)
  ReplaceFile,    // path put in the place of target
  CopyFile,       // path to target
  CreateFolder,   // path
  DeleteFile,     // path
  RemoveFolder,   // path (empty, or a link)
  SetAttributes,  // path, text: the attributes in hex
  SetDate,        // path
  MakeLink,       // path to target
  RunTool,        // text: the command line
  StartProgram,   // path, text: its parameters, target: its folder
  Message,        // text, answer
  Ask,            // text: what is asked
  SetEnv,         // path: the name, text: the value
  SetClipboard,
  SetWallpaper,
  OpenConsole,
};

inline constexpr wchar_t kAsksYesNo[] = L"Yes";
inline constexpr wchar_t kAsksPassword[] = L"a password: ";  // how an Ask's text begins
inline constexpr wchar_t kAsksOkCancel[] = L"OK";

struct RecordedChange {
  ChangeKind kind = ChangeKind::WriteFile;
  std::wstring path;
  std::wstring target;
  std::wstring text;
  // What the change takes with it, measured through the recording view just
  // before it: files and bytes of a file or of a folder tree.
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  bool succeeds = true;  // what the launcher is told
};

// The changes so far, in order.
const std::vector<RecordedChange>& RecordedChanges();
// A new check: no changes, nothing laid over the machine.
void ForgetRecordedChanges();

// The check's launcher: the recording layer answers its path as the running
// program's, and the arguments as the launcher's own.
void SetCheckedLauncher(const std::wstring& path, const std::vector<std::wstring>& arguments);

// Called once when the launcher's code ends the process, with its exit code; what
// it returns is the check's own exit code. The process then ends for real.
void SetEndOfRun(int (*endOfRun)(int launcherExitCode));

// The application may change what it finds at the place: from now on every file
// there counts as changed (a carry-back that skips unchanged files takes it).
void AssumeChangedByTheApplication(const std::wstring& place);

// Files and bytes under the place now, as the recording view sees it: a file is
// one; nullopt when nothing is there.
struct PlaceSize {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};
std::optional<PlaceSize> MeasurePlace(const std::wstring& path);

// The file's bytes and the name's state (os::FileState) as the machine holds
// them now, whatever the check recorded.
std::optional<std::string> MachineFileBytes(const std::wstring& path);
std::int64_t MachineFileState(const std::wstring& path);

// A tool's command line split into its arguments: the command interpreter's
// ("cmd.exe /c VERB ...") by its quotes alone, any other as the C runtime splits
// it (backslashes escape quotes).
std::vector<std::wstring> ToolWords(const std::wstring& commandLine);
std::vector<std::wstring> SplitToolCommandLine(const std::wstring& line, bool escapes);

// The names whose state the changes so far would make differ from what the
// machine holds now (a file's bytes count), with both states as text: "missing",
// "a folder", "a file of N bytes". In path order.
struct PlaceDifference {
  std::wstring path;
  std::wstring now;
  std::wstring then;
};
std::vector<PlaceDifference> PlaceDifferences();
