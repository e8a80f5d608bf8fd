#include "commands/items.h"
#include "commands/wrap_steps.h"

namespace {

std::wstring_view WrapKey(std::wstring_view type) {
  if (type == L"DIR") return L"dir";
  if (type == L"FILE") return L"file";
  if (type == L"REGKEY") return L"regkey";
  if (type == L"REGVAL") return L"regvalue";
  return L"";
}

}  // namespace

void WrapItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
              std::wstring_view phase) {
  if (phase == L"AFTER")
    PutBackItem(ctx, WrapKey(type), value);
  else
    SetUpItem(ctx, WrapKey(type), value);
}
