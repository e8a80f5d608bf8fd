#include "commands/items.h"
#include "commands/wrap_steps.h"

namespace {

std::wstring_view BackupKey(std::wstring_view type) {
  if (type == L"DIR") return L"(dir)";
  if (type == L"FILE") return L"(file)";
  if (type == L"REGKEY") return L"(regkey)";
  if (type == L"REGVAL") return L"(regvalue)";
  return L"";
}

}  // namespace

void BackupItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                std::wstring_view phase) {
  // The same steps as a wrap item, without bringing in or carrying back: after the
  // run the backup goes back over whatever the application left.
  if (phase == L"AFTER")
    PutBackItem(ctx, BackupKey(type), value);
  else
    SetUpItem(ctx, BackupKey(type), value);
}
