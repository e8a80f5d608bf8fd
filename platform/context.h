// Every launcher-wide value in one record, and the launcher's one way out. Start-up
// fills the record; the other areas read it and change only the values they own.
// It lies on the floor so that every area can reach it without reaching up.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct CommandEntry {
  std::wstring label;  // "GENERAL", "BEFORE", "AFTER", "RESTORE" or "DEFAULTRESTORE"
  std::wstring key;
  std::wstring value;
};

// A wrap or backup item in progress, as the run record keeps it (commands/run_record.h).
struct RunItem {
  std::wstring stage;  // how far its steps got
  std::wstring since;  // "yyyymmddhhmmss": when the run that began it started
  std::wstring key;    // "dir", "(file)", "regkey", "symlink", ...
  std::wstring value;  // as dispatched
  int owner = 0;       // kEarlierRun, kThisRun or kLeftOut
  // Not recorded: os::FileClock before this run brought the data in (0: it did
  // not). A later start cannot know what happened to the local data since.
  std::uint64_t broughtInAt = 0;
};

// Who runs the launcher. A run record is acted on only by the machine and account
// that made it: a portable folder travels, and another machine has the same paths
// with other data behind them.
struct Runner {
  std::wstring machine;   // the machine's own number, or "name:" and its name
  std::wstring account;   // the user's SID, or "name:" and the user name
  std::wstring computer;  // the names a person knows them by
  std::wstring user;
};

// The run record of another machine, account or launcher in the launcher folder:
// never acted on, but told when this run writes newer data into a portable place
// it still has data for (commands/other_records.h).
struct OtherRecord {
  std::wstring path;
  std::vector<std::wstring> pending;  // portable places of its items in use
  std::vector<std::wstring> told;     // of those, the ones its note names by now
};

// Where the main sequence is when it tells ctx.watch.
enum class SequencePoint { KeyRead, KeyPrepared, FileRead, EntryRun, WalkEnded };

inline constexpr int kListLimit = 100;  // highest slot index of the lists
inline constexpr int kListSlots = kListLimit + 1;

struct LauncherContext {
  int exitCode = 0;

  // Start-up.
  std::wstring launcherPath;
  std::wstring launcherFolder;  // with trailing backslash
  std::wstring launcherName;    // caption of every message box
  std::wstring launcherParameters;
  // The arguments as given, without the marker of an elevated restart.
  std::vector<std::wstring> launcherArguments;
  int restartedElevated = 0;  // started by the elevation helper
  std::wstring windowsFolder;
  std::wstring regExe;
  std::wstring regsvr32Exe;
  std::wstring taskkillExe;
  std::wstring rundll32Exe;
  std::wstring commandInterpreter;
  std::wstring helperCopyPath;
  int isAdministrator = 0;
  int is64Bit = 0;
  std::wstring exportOverwriteSwitch;
  std::wstring legacySystem;  // "1" on XP and older
  std::wstring phase;         // "BEFORE", then "AFTER" once the application has ended
  int restoreFlag = 0;
  int listLimit = 0;

  // Configuration file and command list.
  std::wstring configFilePath;
  std::vector<CommandEntry> commands;
  std::vector<CommandEntry> automaticEntries;

  // GENERAL keys.
  std::wstring applicationPath;
  std::wstring application64Path;
  std::wstring showMode;
  std::wstring commandLineValue;
  std::wstring appWorkingDir;
  std::wstring multipleValue;
  std::wstring waitWindowText;
  std::wstring nowaitValue;
  int additionalInstance = 0;
  std::uintptr_t instanceMutex = 0;  // the launcher name, held while this run lasts

  // User variables: slot texts "name :: value", and the count of stores made.
  std::array<std::wstring, kListSlots> userVars;
  int userVarStores = 0;

  // Key stream of the password lock, kept once the user has given it.
  std::wstring rememberedKeyStream;

  // Run record: who runs, when this run started, whether it can keep a record
  // (without one no item is set up), the wrap and backup items in progress, the
  // records of others in the launcher folder, and the places this run holds.
  Runner runner;
  std::wstring runStarted;
  int runRecordUsable = 0;
  std::vector<RunItem> runItems;
  std::vector<OtherRecord> otherRecords;
  std::vector<std::wstring> heldPlaces;
  // The folders no item, deletion or move takes whole (commands/protected_places.h),
  // as identities.
  std::vector<std::wstring> protectedFolders;
  // Places of BEFORE items that this run did not set up: their automatic AFTER
  // half has nothing to finish.
  std::vector<std::wstring> placesNotSetUp;

  // Places whose deletion tool was still running when its wait ended: it may yet
  // delete whatever comes there, so nothing is copied or moved into them for the
  // rest of the run. Noted by the file deletions, which are handed the record as
  // const; nothing else of it changes there.
  mutable std::vector<std::wstring> deletionsNotEnded;

  // Runs first in EndLauncher: whatever the run must still note before the process
  // goes (the run record marks items that the application may still use).
  void (*beforeEnd)(LauncherContext& ctx) = nullptr;

  // Told of every key as the file is read (as written, then once its value is
  // prepared), once it is all read, and of every entry as a walk reaches it and
  // when the walk has ended (entry null then), so that voq-check can say which
  // key did what. The launcher leaves it unset.
  void (*watch)(const LauncherContext& ctx, SequencePoint point,
                const CommandEntry* entry) = nullptr;
};

// Releases what is held and ends the process with ctx.exitCode. Every way out of
// the launcher goes through here.
[[noreturn]] void EndLauncher(LauncherContext& ctx);
