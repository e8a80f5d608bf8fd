// Run records of other machines, accounts and launchers in the same folder. A run
// never acts on them; but when it is about to write newer data into a portable
// place that such a record still has local data for (a run cut short on another
// PC, the stick then started here), it tells that record first, in a note beside
// it ("<record>.newer"). Back on its own machine, that run then keeps its local
// data beside the newer data instead of writing it over (kStageOutdated).
#pragma once

#include <string>
#include <vector>

#include "platform/context.h"

// Reads the other records of the launcher folder into ctx.otherRecords.
void ReadOtherRecords(LauncherContext& ctx);

// Before data is written into the portable place (a PortableKey): every other
// record with data pending for it is told. False when one could not be told:
// then nothing may be written there in this run.
bool TellOthersOfNewerData(LauncherContext& ctx, const std::wstring& portableKey);

// The portable places that a note beside the record names as newer elsewhere;
// {L"*"} for every place when the note cannot be read whole. Empty without a note.
std::vector<std::wstring> PlacesNewerElsewhere(const std::wstring& recordPath);

// The note's file, beside the record it is for.
std::wstring NewerNotePath(const std::wstring& recordPath);
