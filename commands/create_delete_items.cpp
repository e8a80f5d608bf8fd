#include "commands/items.h"
#include "commands/protected_places.h"
#include "fileops/file_ops.h"
#include "platform/text.h"
#include "registry/reg_create.h"
#include "registry/reg_delete.h"
#include "values/prepare_value.h"

namespace {

// The type words a `+regvalue` may name; any other text, any letter case, is REG_SZ.
constexpr std::wstring_view kRegTypes[] = {L"REG_MULTI_SZ", L"REG_EXPAND_SZ", L"REG_DWORD",
                                           L"REG_QWORD", L"REG_BINARY"};

std::wstring RegTypeOf(std::wstring_view data, std::wstring_view written) {
  if (!data.empty())
    for (std::wstring_view type : kRegTypes)
      if (written == type) return std::wstring(type);
  return L"REG_SZ";
}

// Data is written as the tool would read it between quotes: C:\Tools\ means
// C:\Tools\, and so does C:\Tools\\ (written so for the tool, which takes a
// doubled backslash before the closing quote for one). A longer run of 2k
// backslashes stands for k.
std::wstring RegDataAsMeant(std::wstring_view data) {
  size_t run = 0;
  while (run < data.size() && data[data.size() - 1 - run] == L'\\') ++run;
  return std::wstring(data.substr(0, data.size() - run)) + std::wstring((run + 1) / 2, L'\\');
}

void CreateRegValueItem(LauncherContext& ctx, const std::wstring& value) {
  const std::wstring data = RegDataAsMeant(Field(value, 3));
  const std::wstring type = RegTypeOf(data, Field(value, 4));
  const std::wstring separator = type == L"REG_MULTI_SZ" ? Field(value, 5) : L"";
  CreateRegValue(ctx, Field(value, 1), Field(value, 2), type, data,
                 !Contains(Field(value, 6), L"no overwrite"), separator);
}

}  // namespace

void CreateItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type) {
  if (type == L"DIR")
    CreateDir(ctx, value);
  else if (type == L"FILE")
    FileCreate(ctx, Field(value, 1), Field(value, 2), Field(value, 3));
  else if (type == L"REGKEY")
    CreateRegKey(ctx, value);
  else if (type == L"REGVAL")
    CreateRegValueItem(ctx, value);
}

void DeleteItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type) {
  // A protected place, or all that one holds, is never deleted.
  if ((type == L"DIR" && (IsProtectedFolder(ctx, Field(value, 1)) ||
                          EmptiesAProtectedFolder(ctx, Field(value, 1)))) ||
      (type == L"FILE" && EmptiesAProtectedFolder(ctx, value)) ||
      (type == L"REGKEY" && IsProtectedKey(Field(value, 1))))
    return;
  if (type == L"DIR")
    DeleteDir(ctx, Field(value, 1), Field(value, 2));
  else if (type == L"FILE")
    DeleteFiles(ctx, value);  // not split: " :: " may be part of the name
  else if (type == L"REGKEY" && Contains(Field(value, 2), L"ifempty"))
    DeleteEmptyRegKey(ctx, Field(value, 1));
  else if (type == L"REGKEY")
    DeleteRegKey(ctx, Field(value, 1));
  else if (type == L"REGVAL")
    DeleteRegValue(ctx, Field(value, 1), Field(value, 2));
}
