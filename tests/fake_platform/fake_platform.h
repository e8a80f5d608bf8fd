// An in-memory stand-in for the Windows platform, so that the launcher's logic
// runs and is checked natively. Tests arrange the world through Fake() and read
// back what the launcher did with it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/fake_platform/fake_checks.h"

// Thrown by os::ExitProcessNow so that a test can watch the launcher end.
struct FakeExit {
  int exitCode;
};

// Thrown at the entry of the change call numbered Fake().crashAt: the launcher's
// process dies there, and nothing of that call or after it happens.
struct FakeCrash {};

// What the change call numbered Fake().faultAt meets instead of success.
enum class FakeFault {
  None,
  Once,      // that call fails without effect (access denied, a tool that does not start)
  DiskFull,  // from that call on, every call that adds data fails
};

// One call that changes the disk or starts a tool, as counted.
struct FakeChange {
  std::wstring call;  // the platform function
  std::wstring path;  // lowered; empty for a tool start
  bool addsData = false;
};

struct FakeMessageBox {
  std::wstring text;
  std::wstring caption;
  unsigned style;
};

// One requester shown: kind "text", "file" or "dir", and what it was given.
struct FakeRequest {
  std::wstring kind;
  std::wstring title;
  std::wstring message;  // the label of the input window
  std::wstring initial;  // initial text, path or folder
  std::wstring filter;   // the open-file dialog's filter list
  bool masked = false;
};

struct FakeHiddenStart {
  std::wstring commandLine;
  std::wstring workdir;
  unsigned timeoutMs;
  // What the start reports; onHiddenStart may change them (a tool that outlives
  // its wait, or fails).
  bool ended = true;
  unsigned long exitCode = 0;
};

// A registry key of the fake: values in creation order, as the system lists them.
struct FakeRegValue {
  std::wstring name;
  unsigned type = 0;
  std::string bytes;
};
struct FakeRegKey {
  std::wstring name;  // last component, as first written
  std::vector<FakeRegValue> values;
  bool fullAccess = true;  // false: opens for reading only, as a key the user may not write
  bool readable = true;    // false: does not even open for reading (access denied)
};

struct FakeWorld {
  // Process and environment.
  std::wstring modulePath = L"C:\\P\\Tool.exe";
  std::vector<std::wstring> arguments;
  std::wstring tempFolder = L"C:\\Users\\me\\AppData\\Local\\Temp\\";
  std::map<std::wstring, std::wstring> env;  // keys lowered: names match without case
  std::wstring currentFolder = L"C:\\";
  os::VersionRecord version{true, 2, 6, 1, true};
  bool serviceManagerOpens = true;
  // A 64-bit launcher on 64-bit Windows, as shipped: never under WOW64.
  bool windows64 = true;
  bool wow64 = false;
  bool workingSetReleased = false;
  os::LocalTime clock;
  unsigned pausedMs = 0;

  // Files: contents keyed by lowered path; folders likewise.
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> folders;
  std::set<std::wstring> readOnlyFiles;  // open only in the read modes
  std::set<std::wstring> lockedFiles;    // do not open at all
  // Files another program holds as soon as they are there (no program can hold a
  // file before it exists): locked from the first change call that finds them.
  std::set<std::wstring> lockedOnceThere;
  std::set<std::wstring> unreadableFiles;  // open, but every read fails
  std::vector<os::OpenMode> openModes;     // every open attempt, in order
  bool expandFails = false;                // os::ExpandEnv reports failure
  std::set<std::wstring> hiddenFiles;      // hidden or system: skipped by DEL, block CopyFileW
  // Attributes beyond read-only and hidden (archive, system, compressed ...), by
  // lowered path; a file without an entry has the archive attribute.
  std::map<std::wstring, unsigned> otherAttributes;
  // Folders that are links: removing one removes only the link, and what is
  // stored below it (the target's contents) stays.
  std::set<std::wstring> linkFolders;
  // Short 8.3 names: a lowered full path of a short form, and the long path it
  // stands for.
  std::map<std::wstring, std::wstring> shortNames;
  // Lowered path prefixes of other volumes ("d:"): a rename across them fails.
  std::set<std::wstring> otherVolumes;
  // The drives that are there besides the other volumes; a name on any other
  // drive cannot be read (a drive letter that is gone).
  std::set<std::wstring> drives{L"c:", L"d:"};
  // Places the system cannot read (a folder that denies listing, a drive not ready,
  // a share not reconnected, a link that loops), by lowered path: the place and
  // every name below it answer "cannot be read", are neither listed nor opened,
  // and take no change.
  std::set<std::wstring> unreadablePlaces;
  // Folders whose listing fails part-way (FindNextFileW with an error other than
  // the end of the list); everything else about them answers as usual.
  std::set<std::wstring> partlyListedFolders;
  // Last write times of the files, by lowered path, in 100 ns ticks: every write
  // takes the file system's clock, which moves on 10 ms at each, even when it
  // writes the same bytes; a copy takes its source's time, a rename keeps it.
  std::map<std::wstring, std::uint64_t> writeTimes;
  std::uint64_t fileClock = 133'000'000'000'000'000;  // some day in 2022
  // How far each os::FileClock reading moves the clock on: an hour, as a user's
  // starts lie apart; 0 for starts back to back.
  std::uint64_t fileClockStep = 36'000'000'000;
  // Drives ("c:") that keep write times as FAT32 does, in steps of 2 s.
  std::set<std::wstring> coarseTimeDrives;
  // Files whose bytes are not on the disk yet (a copy not flushed): a power loss
  // leaves their names, as the file system's journal keeps them, with zeros for bytes.
  // A stand-in of a tool that writes a file (a registry export) marks it here too:
  // tools do not flush what they write.
  std::set<std::wstring> unflushed;

  // Every call that changes the disk or starts a tool, in order; crashAt and faultAt
  // count from 1 (0: none).
  std::vector<FakeChange> changes;
  int crashAt = 0;
  bool tearAtCrash = false;  // a WriteNewFile killed at crashAt leaves half its bytes
  int faultAt = 0;
  FakeFault fault = FakeFault::None;
  bool diskFull = false;  // stand-ins of tools that write honour it as well

  // Processes.
  std::vector<FakeHiddenStart> hiddenStarts;
  // Lets a test give a hidden start an effect (create a folder, ...) and its
  // outcome; returns whether it "started".
  std::function<bool(FakeHiddenStart&)> onHiddenStart;
  std::vector<os::ShellStartRequest> shellStarts;
  bool shellStartSucceeds = true;
  bool shellGivesProcess = true;
  int processPollsUntilEnd = 1;  // tests until the process counts as ended
  int processPolls = 0;
  std::function<void()> onProcessPoll;  // runs at every test of the process
  int processesReleased = 0;

  // User interface.
  std::vector<FakeMessageBox> boxes;
  std::deque<int> answers;  // popped per box; kAnswerOk when empty
  std::vector<std::wstring> windowTitles;
  std::function<void()> onTitlesRead;  // runs after every read of the titles
  // Requesters: each takes the next scripted answer; nullopt or none left is a cancel.
  std::vector<FakeRequest> requests;
  std::deque<std::optional<std::wstring>> requestAnswers;

  bool servicesInitialised = false;

  // Registry: keys by root and lowered path without leading or trailing backslash;
  // the root itself is the empty path. Subkeys are listed in name order.
  std::map<std::pair<os::RegRoot, std::wstring>, FakeRegKey> registry;
  // The system writes the registry out lazily: what a power loss leaves of it.
  // Taken when the registry tool first changes it, kept for each key that
  // os::FlushRegKey writes out, and let go while the application runs (the
  // system has written everything out by then); nullopt: nothing unwritten.
  std::optional<std::map<std::pair<os::RegRoot, std::wstring>, FakeRegKey>> registryOnDisk;
  int registryQueries = 0;  // value queries, whether or not they found anything
  // Each clock read takes the next of these while any are left, then `clock`.
  std::deque<os::LocalTime> clockReadings;
  int clockReads = 0;
  std::wstring clipboard;
  int clipboardReads = 0;

  // Miscellaneous commands (fake_misc.cpp): console, file dates, wallpaper, timer
  // resolution, waits for started programs, clipboard writes.
  bool consoleOpen = false;
  std::wstring consoleTitle;
  std::vector<std::wstring> consoleStarts;
  std::map<std::wstring, std::map<os::FileDate, os::LocalTime>> fileDates;  // by lowered path
  std::wstring wallpaper;
  std::vector<std::wstring> wallpaperSets;
  int timerRaises = 0;
  int processWaits = 0;
  int clipboardWrites = 0;
  FakeChecks checks;
};

// The world of the running test; reset with ResetFake() between tests.
FakeWorld& Fake();
void ResetFake();

// Helpers for arranging and inspecting the fake file system. A file added this way
// is on the disk (flushed).
void FakeAddFile(const std::wstring& path, const std::string& bytes);
void FakeAddFolder(const std::wstring& path);
bool FakeHasFile(const std::wstring& path);
std::string FakeFileBytes(const std::wstring& path);

// True when the place is at or below one of unreadablePlaces; for the stand-ins
// of the system's tools.
bool FakeUnreadable(const std::wstring& path);

// Counts one call that changes the disk (call: the platform function, key: the
// lowered path): throws FakeCrash at crashAt, and answers whether the call fails
// by the injected fault. For the fake's functions outside fake_platform.cpp.
bool FakeChangeFails(const wchar_t* call, const std::wstring& key, bool addsData);
// Gives the file (by lowered path) this write time, as its drive keeps it.
void FakeSetWriteTime(const std::wstring& key, std::uint64_t ticks);

// The launcher's process has ended, killed or not: the system closes the files
// it held open. A crash at crashAt and os::ExitProcessNow do this themselves.
void FakeProcessEnded();

// The power goes after a crash: every file not flushed keeps its name and loses its
// bytes, and the registry is as it was last written out.
void FakeLoseUnflushedData();

// Helpers for arranging the fake registry. Keys are created with their parents.
void FakeAddRegKey(os::RegRoot root, const std::wstring& key);
void FakeSetRegValue(os::RegRoot root, const std::wstring& key, const std::wstring& name,
                     unsigned type, const std::string& bytes);
// A REG_SZ value stored with its terminating zero, as the system stores one.
void FakeSetRegString(os::RegRoot root, const std::wstring& key, const std::wstring& name,
                      const std::wstring& text);
void FakeSetRegDword(os::RegRoot root, const std::wstring& key, const std::wstring& name,
                     std::uint32_t value);
