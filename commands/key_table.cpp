#include "commands/key_table.h"

#include "commands/file_stamps.h"
#include "commands/items.h"
#include "commands/misc_commands.h"
#include "commands/start_commands.h"
#include "commands/text_edits.h"
#include "registry/reg_files.h"
#include "registry/register_dll.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

using Ctx = LauncherContext;
using Value = const std::wstring&;

// Order matters: the first row whose key matches decides. Wrap and backup items
// act on the phase, not on the section the key stands in.
constexpr KeyRow kKeyTable[] = {
    {L"dir", [](Ctx& c, Value v) { WrapItem(c, v, L"DIR", c.phase); }, 2},
    {L"file", [](Ctx& c, Value v) { WrapItem(c, v, L"FILE", c.phase); }, 2},
    {L"regkey", [](Ctx& c, Value v) { WrapItem(c, v, L"REGKEY", c.phase); }, 2},
    {L"regvalue", [](Ctx& c, Value v) { WrapItem(c, v, L"REGVAL", c.phase); }, 2},
    {L"(dir)", [](Ctx& c, Value v) { BackupItem(c, v, L"DIR", c.phase); }, 1},
    {L"(file)", [](Ctx& c, Value v) { BackupItem(c, v, L"FILE", c.phase); }, 1},
    {L"(regkey)", [](Ctx& c, Value v) { BackupItem(c, v, L"REGKEY", c.phase); }, 1},
    {L"(regvalue)", [](Ctx& c, Value v) { BackupItem(c, v, L"REGVAL", c.phase); }, 1},
    {L"->dir", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"DIR", 0); }, 2},
    {L"->file", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"FILE", 0); }, 2},
    {L"->regkey", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"REGKEY", 0); }, 2},
    {L"->regvalue", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"REGVAL", 0); }, 2},
    {L"<-dir", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"DIR", 1); }, 2},
    {L"<-file", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"FILE", 1); }, 2},
    {L"<-regkey", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"REGKEY", 1); }, 2},
    {L"<-regvalue", [](Ctx& c, Value v) { CopyMoveItem(c, v, L"REGVAL", 1); }, 2},
    {L"-dir", [](Ctx& c, Value v) { DeleteItem(c, v, L"DIR"); }, 1},
    {L"-file", [](Ctx& c, Value v) { DeleteItem(c, v, L"FILE"); }, 1},
    {L"-regkey", [](Ctx& c, Value v) { DeleteItem(c, v, L"REGKEY"); }, 1},
    {L"-regvalue", [](Ctx& c, Value v) { DeleteItem(c, v, L"REGVAL"); }, 1},
    {L"+dir", [](Ctx& c, Value v) { CreateItem(c, v, L"DIR"); }, 1},
    {L"+file", [](Ctx& c, Value v) { CreateItem(c, v, L"FILE"); }, 1},
    {L"+regkey", [](Ctx& c, Value v) { CreateItem(c, v, L"REGKEY"); }, 1},
    {L"+regvalue", [](Ctx& c, Value v) { CreateItem(c, v, L"REGVAL"); }, 1},
    {L"envvar", EnvVarCommand},
    {L"iniread", [](Ctx& c, Value v) { IniEdit(c, v, 0); }},
    {L"iniwrite", [](Ctx& c, Value v) { IniEdit(c, v, 1); }, 1},
    {L"delay", DelayCommand},
    {L"nowait", StoreNowait},
    {L"quit", Quit},
    {L"attributes", AttributesCommand, 1},
    {L"date", DateCommand, 1},
    {L"replace", ReplaceInFile, 1},
    {L"replaceline", ReplaceLineCommand, 1},
    {L"regmerge", [](Ctx& c, Value v) { MergeRegFiles(c, Field(v, 1), Field(v, 2)); }, 2},
    {L"systemrefresh", SystemRefreshCommand},
    {L"killprocess", KillProcessCommand},
    {L"message", MessageCommand},
    {L"regdll", [](Ctx& c, Value v) { RegisterDll(c, Field(v, 1), Field(v, 2)); }, 1},
    {L"regexport", [](Ctx& c, Value v) { RegExport(c, Field(v, 1), Field(v, 2)); }, 2},
    {L"regimport", [](Ctx& c, Value v) { ImportRegFile(c, v); }, 1},
    {L"batch", BatchCommand},
    {L"run", RunCommand},
    {L"clip", ClipCommand},
    {L"symlink", [](Ctx& c, Value v) { SymlinkItem(c, v, c.phase); }, 2},
    {L"stringreplace", StringReplaceVar},
};

}  // namespace

std::span<const KeyRow> KeyTable() { return kKeyTable; }
