// The record of a run in progress. While a run has portable data in the places of
// wrap and backup items, "<launcher name>.running" beside the configuration file
// lists those items and how far their steps got, one UTF-8 line each:
//     stage :: key :: value
// The running launcher holds the file open so that no other launcher writes it or
// takes it for the trace of a run that died. A run that ended without its AFTER
// walk leaves the file behind, and the next start finishes what it lists before its
// own BEFORE walk. Where no record can be kept (a read-only portable folder), an
// existing backup name is the only trace of an unfinished run.
#pragma once

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
// Finished; kept in memory only, so that a repeated key does nothing.
inline constexpr std::wstring_view kStageDone = L"done";

// RunItem::owner
inline constexpr int kEarlierRun = 0;     // left by an earlier run, not met yet
inline constexpr int kThisRun = 1;        // begun or taken over by this run
inline constexpr int kOtherLauncher = 2;  // listed by a launcher that is running now

std::wstring RunRecordPath(const LauncherContext& ctx);

// The record's text for the items that are not finished and not another
// launcher's, and the items of a record's text (lines that name no item of a wrap
// or backup key at a known stage are skipped), each with the owner given.
std::string RunRecordText(const std::vector<RunItem>& items);
std::vector<RunItem> ParseRunRecord(const LauncherContext& ctx, const std::string& bytes,
                                    int owner);

// Before the BEFORE walk: reads the record an earlier run left, and finishes its
// items and those whose backup name exists, except the held ones. Nothing for a
// further instance; nothing but reading while another launcher holds the record.
void RecoverUnfinishedRun(LauncherContext& ctx);

// Adds an item of this run with its first stage and writes the record before the
// item's first step. Returns the item's index in ctx.runItems.
size_t NoteItemBegun(LauncherContext& ctx, std::wstring_view stage, std::wstring_view key,
                     std::wstring_view value);

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
