#include "commands/items.h"
#include "fileops/file_ops.h"
#include "values/prepare_value.h"

void CreateItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type) {
  if (type == L"DIR")
    CreateDir(ctx, value);
  else if (type == L"FILE")
    FileCreate(ctx, Field(value, 1), Field(value, 2), Field(value, 3));
}

void DeleteItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type) {
  if (type == L"DIR")
    DeleteDir(ctx, Field(value, 1), Field(value, 2));
  else if (type == L"FILE")
    DeleteFiles(ctx, value);  // not split: " :: " may be part of the name
}
