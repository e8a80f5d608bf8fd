#include "commands/key_table.h"

#include "commands/misc_commands.h"

namespace {

// Order matters: the first row whose key matches decides.
constexpr KeyRow kKeyTable[] = {
    {L"nowait", StoreNowait},
    {L"quit", Quit},
};

}  // namespace

std::span<const KeyRow> KeyTable() { return kKeyTable; }
