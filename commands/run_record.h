// The record of a run in progress. While a run has portable data in the places of
// wrap, backup and link items, "<launcher name>.<runner>.running" beside the
// launcher lists those items and how far their steps got; <runner> is derived
// from the machine and the account, so that each keeps its own record in a
// portable folder that travels between them. A run that ended without its AFTER
// walk leaves the file behind, and the next start on the same machine and account
// finishes what it lists before its own BEFORE walk. Nothing else is ever acted
// on: a backup name that no record of this launcher, machine and account names is
// someone else's, and its item is not set up.
//
// The file is written whole as a new file and put in place in one step (never
// rewritten in place), and read strictly (commands/record_file.h): a damaged record
// finishes nothing and is set aside for the user as "<record>.damaged". A run that
// cannot keep a record sets up no item at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/context.h"

// Stages, as written in the record.
// The local place holds the machine's data; a copy under the backup name is spare.
// (A local place found missing at this stage was set aside by a rename: the
// backup is the data then.)
inline constexpr std::wstring_view kStageSpare = L"spare";
// The local place holds nothing to keep: clear it and put the backup back.
inline constexpr std::wstring_view kStageToClear = L"to clear";
// The local place was cleared and the backup is on its way back: while the backup
// exists, the local place holds at most part of it; once it is gone, the local
// place holds the machine's data again.
inline constexpr std::wstring_view kStagePuttingBack = L"putting back";
// The application works on the local place: carry it back before clearing it.
inline constexpr std::wstring_view kStageInUse = L"in use";
// As "in use", left by a run that ended before its application had ended (nowait,
// quit, a cancelled message): the application may still run, so the next start
// leaves the item where it is and its own AFTER walk carries it back.
inline constexpr std::wstring_view kStageHeld = L"held";
// As "in use", but a later run elsewhere has written newer data into the portable
// place since: the local data is carried into a place beside it instead (the
// item's value names that place now), so that the newer data keeps its place.
inline constexpr std::wstring_view kStageOutdated = L"outdated";
// Finished; kept in memory only, so that a repeated key does nothing.
inline constexpr std::wstring_view kStageDone = L"done";

// RunItem::owner
inline constexpr int kEarlierRun = 0;  // left by an earlier run, not met yet
inline constexpr int kThisRun = 1;     // begun or taken over by this run
inline constexpr int kLeftOut = 2;     // an earlier run's, which this run leaves alone

struct RunRecord {
  Runner runner;
  std::wstring launcher;  // the launcher's file name
  std::vector<RunItem> items;
};

// Who runs, from the system (with names standing in for numbers it cannot give),
// and when this run started.
void IdentifyRunner(LauncherContext& ctx);

std::wstring RunRecordPath(const LauncherContext& ctx);

// The record's bytes for the items that are not finished, with every path inside
// the launcher folder written relative to it (the drive letter of a removable
// drive changes); and the record of such bytes. nullopt for anything FramedText
// would not have written, an unknown stage, a line that names no item, or two
// lines for the same place.
std::string RunRecordText(const LauncherContext& ctx, const RunRecord& record);
std::optional<RunRecord> ParseRunRecord(const LauncherContext& ctx, const std::string& bytes);

// A path inside the launcher folder relative to it, lowered; any other path lowered:
// the same portable place whatever letter its drive has today.
std::wstring PortableKey(const LauncherContext& ctx, const std::wstring& path);

// Before the BEFORE walk: reads this machine's and account's record, finishes its
// items except the held ones, and reads the records of others. Nothing for a
// further instance; nothing at all (and no record kept) while another launcher
// process keeps the same record.
void RecoverUnfinishedRun(LauncherContext& ctx);

// Adds an item of this run with its first stage and writes the record, before the
// item's first step. The item's index in ctx.runItems, or nullopt when the record
// cannot be written: then the item must not be set up.
std::optional<size_t> NoteItemBegun(LauncherContext& ctx, std::wstring_view stage,
                                    std::wstring_view key, std::wstring_view value);

// Moves the item to the stage and writes the record. False, with the item left at
// its stage, when the record cannot be written: a step that relies on the new
// stage must not run then, as a later start would go by the old one.
bool NoteItemStage(LauncherContext& ctx, size_t index, std::wstring_view stage);

// After the AFTER walk: removes the record, or keeps the items that are not
// finished (a carry-back that failed) for the next start.
void EndRunRecord(LauncherContext& ctx);

// At the way out: a run that ends before its application has ended marks its items
// held, so that the next start does not pull data away from that application.
void DetachRunRecord(LauncherContext& ctx);
