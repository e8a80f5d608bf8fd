#include "values/user_vars.h"

#include "values/prepare_value.h"
#include "values/text.h"

namespace {

// Definitions, not distinct names: a redefinition uses up a store too.
constexpr int kUserVarStoreLimit = 100;

}  // namespace

void StoreUserVar(LauncherContext& ctx, std::wstring_view text) {
  if (ctx.userVarStores >= kUserVarStoreLimit) return;
  const std::wstring name = Field(text, 1);
  // Every earlier slot of the name takes the new text, so all of them agree;
  // the text itself lands in the next free slot. An empty slot has the empty
  // name, so a text with an empty name fills the empty slots as well.
  for (std::wstring& slot : ctx.userVars)
    if (Field(slot, 1) == name) slot = text;
  ctx.userVars[static_cast<std::size_t>(ctx.userVarStores)] = text;
  ++ctx.userVarStores;
}

std::wstring LookupUserVar(const LauncherContext& ctx, std::wstring_view name) {
  for (const std::wstring& slot : ctx.userVars) {
    if (slot.empty() || Field(slot, 1) != name) continue;
    const std::size_t valueStart = name.size() + kFieldSeparator.size();
    return valueStart < slot.size() ? slot.substr(valueStart) : std::wstring();
  }
  return std::wstring();
}

std::wstring SubstituteUserVars(const LauncherContext& ctx, std::wstring_view text) {
  std::wstring out(text);
  // Slot order: a value may refer to a later slot and still be resolved in this pass.
  for (const std::wstring& slot : ctx.userVars) {
    if (slot.empty()) continue;
    const std::wstring reference = L"{" + Field(slot, 1) + L"}";
    if (out.find(reference) == std::wstring::npos) continue;
    out = ReplaceAll(out, reference, Field(slot, 2));
  }
  return out;
}

std::wstring ResolvePrompts(LauncherContext&, std::wstring_view value, std::wstring_view) {
  // The prompts behind {USERTEXT}, {USERFILE} and {USERDIR} arrive with the prompt windows.
  return std::wstring(value);
}
