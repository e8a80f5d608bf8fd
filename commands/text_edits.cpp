#include "commands/text_edits.h"

#include "fileops/text_edits.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "values/prepare_value.h"

namespace {

// A value that ends with the separator and nothing after it ("file :: find :: ")
// has lost the separator's last blank to trimming, so " ::" sticks to the find
// text. Only that tail goes: a "::" inside the find text is part of it.
std::wstring FindText(std::wstring find, const std::wstring& replacement) {
  if (!replacement.empty() || !EndsWith(find, L"::")) return find;
  find.resize(find.size() - 2);
  while (!find.empty() && find.back() == L' ') find.pop_back();
  return find;
}

}  // namespace

void ReplaceInFile(LauncherContext& ctx, const std::wstring& value) {
  const std::wstring replacement = Field(value, 3);
  const std::wstring find = FindText(Field(value, 2), replacement);
  ReplaceTextInFile(ResolvePath(ctx, Field(value, 1)), find, replacement);
}

void ReplaceLineCommand(LauncherContext& ctx, const std::wstring& value) {
  ReplaceLineInFile(ResolvePath(ctx, Field(value, 1)), Field(value, 2), Field(value, 3));
}
