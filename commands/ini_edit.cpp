#include <string>

#include "commands/text_edits.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/ini_document.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

constexpr std::wstring_view kRemoveSection = L"--";

bool HasKeyNamedExactly(IniDocument& doc, const std::wstring& key) {
  if (!IniFirstKey(doc)) return false;
  while (IniNextKey(doc))
    if (IniKeyName(doc) == key) return true;
  return false;
}

}  // namespace

void IniEdit(LauncherContext& ctx, const std::wstring& value, int mode) {
  if (value.empty()) return;
  const std::wstring section = Field(value, 2);
  const std::wstring key = Field(value, 3);
  const std::wstring fourth = Field(value, 4);  // iniread: the variable; iniwrite: the value

  const std::wstring path = ResolvePath(ctx, Field(value, 1));
  // Created empty, missing folders too, for iniread as well.
  if (os::FileState(path) == -1) FileCreate(ctx, path, L"", L"");
  IniDocument doc = IniOpen(path);

  if (mode == 1 && StartsWith(section, kRemoveSection)) {
    // Only the marker goes: "--Old--Name" removes the section "Old--Name".
    IniRemoveSection(doc, std::wstring_view(section).substr(kRemoveSection.size()));
    IniClose(doc);
    return;
  }
  if (!section.empty()) IniSelectSection(doc, section);

  if (mode == 0) {
    const std::wstring read = IniReadKey(doc, key, L"");
    // A scrambled value read here is decoded like one of the configuration file.
    StoreUserVar(ctx, fourth + std::wstring(kFieldSeparator) + PrepareValue(ctx, read, L"", L""));
  } else {
    // "no overwrite" compares names with their letter case, unlike the ini file's
    // own matching: a key written "size" does not keep "Size" from being written.
    const bool keep = Contains(Field(value, 5), L"no overwrite") && HasKeyNamedExactly(doc, key);
    if (!keep && !fourth.empty()) IniWriteKey(doc, key, fourth);
    if (!keep && fourth.empty()) IniRemoveKey(doc, key);
  }
  IniClose(doc);
}
