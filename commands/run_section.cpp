#include "commands/run_section.h"

#include <string>

#include "commands/key_table.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

// The suffix under which architecture-bound keys are active on this system.
std::wstring ActiveSuffix(const LauncherContext& ctx, std::wstring_view key) {
  if (EndsWith(key, L"X86") && ctx.is64Bit != 1) return L"X86";
  if (EndsWith(key, L"X64") && ctx.is64Bit == 1 && !ctx.application64Path.empty()) return L"X64";
  return L"";
}

void ReportUnknownKey(const LauncherContext& ctx, std::wstring_view key) {
  os::ShowMessageBox(L"Unknown key \"" + std::wstring(key) + L"\"", ctx.launcherName,
                     os::kBoxOk | os::kBoxIconInformation | os::kBoxTopmost);
}

// A place that lost a name to an empty expansion names no place (or its parent
// and all it holds): the key does nothing rather than act on something else.
bool LostAPlace(const KeyRow& row, std::wstring_view marked) {
  for (int field = 1; field <= row.placeFields; ++field)
    if (LostANameToAnEmptyExpansion(Field(marked, field))) return true;
  return false;
}

}  // namespace

void DispatchKey(LauncherContext& ctx, std::wstring_view, std::wstring_view key,
                 std::wstring marked) {
  marked = SubstituteUserVars(ctx, marked);
  const std::wstring value = WithoutEmptyMarks(marked);
  if (value.empty()) return;

  const std::wstring suffix = ActiveSuffix(ctx, key);
  for (const KeyRow& row : KeyTable()) {
    if (key == std::wstring(row.key) + suffix) {
      if (!LostAPlace(row, marked)) row.operation(ctx, value);
      return;
    }
  }
  // User variables were stored while the file was read.
  if (key == L"uservar" + suffix) return;
  // An architecture-bound key that is not active here is skipped without a word.
  if (EndsWith(key, L"X64") || EndsWith(key, L"X86")) return;
  ReportUnknownKey(ctx, key);
}

void RunSection(LauncherContext& ctx, std::wstring_view section) {
  // Index walk: an operation may not add entries, but keep the walk safe if one did.
  // A further instance runs none.
  for (size_t i = 0; ctx.additionalInstance != 1 && i < ctx.commands.size(); ++i) {
    const CommandEntry entry = ctx.commands[i];
    if (entry.label != section) continue;
    if (ctx.watch) ctx.watch(ctx, SequencePoint::EntryRun, &entry);
    std::wstring value = entry.value;
    if (section == L"AFTER") value = ResolvePrompts(ctx, value, entry.key);
    DispatchKey(ctx, entry.label, entry.key, value);
  }
  if (ctx.watch) ctx.watch(ctx, SequencePoint::WalkEnded, nullptr);
}
