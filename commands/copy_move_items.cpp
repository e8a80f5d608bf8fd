#include "commands/items.h"
#include "commands/protected_places.h"
#include "fileops/file_ops.h"
#include "platform/text.h"
#include "registry/reg_copy.h"
#include "values/prepare_value.h"

void CopyMoveItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                  int direction) {
  const std::wstring source = Field(value, 1);
  if (source.empty()) return;
  const std::wstring target = Field(value, 2);
  const std::wstring options = Field(value, 3);
  const bool move = Contains(options, L"move");
  const bool overwrite = !Contains(options, L"no overwrite");
  const bool reverse = direction == 1;
  // A move takes its source away and first clears its target: never a protected
  // place.
  if (move && ((type == L"DIR" && (IsProtectedFolder(ctx, source) ||
                                   IsProtectedFolder(ctx, ResolveFolderTarget(ctx, target)))) ||
               (type == L"REGKEY" && (IsProtectedKey(source) || IsProtectedKey(target)))))
    return;
  if (type == L"DIR")
    CopyOrMoveDirContents(ctx, source, target, Field(value, 4), move, overwrite, reverse);
  else if (type == L"FILE")
    CopyOrMoveFile(ctx, source, target, move, overwrite, reverse);
  else if (type == L"REGKEY")  // "no overwrite" means nothing to a key or value
    CopyOrMoveRegKey(ctx, source, target, move, reverse);
  else if (type == L"REGVAL")
    CopyOrMoveRegValue(ctx, source, target, move, reverse);
}
