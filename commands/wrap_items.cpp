#include "commands/items.h"
#include "commands/wrap_steps.h"

void WrapItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
              std::wstring_view phase) {
  const std::wstring_view key = type == L"DIR" ? L"dir" : type == L"FILE" ? L"file" : L"";
  if (key.empty()) return;
  if (phase == L"AFTER")
    PutBackItem(ctx, key, value);
  else
    SetUpItem(ctx, key, value);
}
