#include "commands/items.h"
#include "commands/wrap_steps.h"

namespace {

// The item key behind each item type, as a wrap item and as a backup item.
struct TypeKeys {
  std::wstring_view type;
  std::wstring_view wrap;
  std::wstring_view backup;
};
constexpr TypeKeys kTypeKeys[] = {
    {L"DIR", L"dir", L"(dir)"},
    {L"FILE", L"file", L"(file)"},
    {L"REGKEY", L"regkey", L"(regkey)"},
    {L"REGVAL", L"regvalue", L"(regvalue)"},
};

std::wstring_view ItemKey(std::wstring_view type, bool backup) {
  for (const TypeKeys& row : kTypeKeys)
    if (row.type == type) return backup ? row.backup : row.wrap;
  return L"";
}

// Both halves are the same steps for every item; the phase, not the section the
// key stands in, decides which half runs.
void RunHalf(LauncherContext& ctx, std::wstring_view key, const std::wstring& value,
             std::wstring_view phase) {
  if (phase == L"AFTER")
    PutBackItem(ctx, key, value);
  else
    SetUpItem(ctx, key, value);
}

}  // namespace

void WrapItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
              std::wstring_view phase) {
  RunHalf(ctx, ItemKey(type, false), value, phase);
}

// The same steps as a wrap item, without bringing in or carrying back: after the
// run the backup goes back over whatever the application left.
void BackupItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                std::wstring_view phase) {
  RunHalf(ctx, ItemKey(type, true), value, phase);
}

// A link is one more kind of item: set aside what stands at its place, put the
// link there, and put the machine's data back after the run.
void SymlinkItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view phase) {
  RunHalf(ctx, L"symlink", value, phase);
}
