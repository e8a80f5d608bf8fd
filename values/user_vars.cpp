#include "values/user_vars.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"

namespace {

// Whether the text holds "{name}", found without making that text: every value
// is looked through for every slot, and most hold no reference at all.
bool HoldsReference(std::wstring_view text, std::wstring_view name) {
  for (size_t at = text.find(L'{'); at != std::wstring_view::npos; at = text.find(L'{', at + 1)) {
    const std::wstring_view after = text.substr(at + 1);
    if (after.starts_with(name) && after.substr(name.size()).starts_with(L'}')) return true;
  }
  return false;
}

// Definitions, not distinct names: a redefinition uses up a store too.
constexpr int kUserVarStoreLimit = 100;

// Replaces every occurrence unless the result would pass kUserTextLimit; false
// (and the text unchanged) then.
bool ReplaceAllWithinLimit(std::wstring& text, std::wstring_view from, std::wstring_view to) {
  if (from.empty()) return true;
  size_t count = 0;
  for (size_t hit = text.find(from); hit != std::wstring::npos;
       hit = text.find(from, hit + from.size()))
    ++count;
  if (count == 0) return true;
  if (to.size() > from.size() &&
      (to.size() - from.size()) > (kUserTextLimit - std::min(text.size(), kUserTextLimit)) / count)
    return false;
  text = ReplaceAll(text, from, to);
  return true;
}

struct PromptMacro {
  std::wstring_view macro;
  PromptKind kind;
};
constexpr PromptMacro kPromptMacros[] = {{L"{USERTEXT}", PromptKind::Text},
                                         {L"{USERFILE}", PromptKind::File},
                                         {L"{USERDIR}", PromptKind::Dir}};

// The value while its prompts are answered: answers are kept apart from the text
// around them, so that an answer holding a prompt macro is never asked again.
struct Piece {
  std::wstring text;
  bool answer = false;
};

std::wstring Joined(const std::vector<Piece>& pieces) {
  size_t size = 0;
  for (const Piece& piece : pieces) size += piece.text.size();
  std::wstring out;
  out.reserve(size);
  for (const Piece& piece : pieces) out += piece.text;
  return out;
}

// "Enter parameter for key "name":" and its kin.
std::wstring ForKey(std::wstring_view lead, std::wstring_view keyName) {
  std::wstring text;
  text.reserve(lead.size() + keyName.size() + 3);
  return text.append(lead).append(L"\"").append(keyName).append(L"\":");
}

std::wstring OrDefault(std::wstring setting, std::wstring fallback) {
  return setting.empty() ? std::move(fallback) : std::move(setting);
}

// Field 1 of a slot, without copying it.
std::wstring_view NameOf(std::wstring_view slot) {
  return slot.substr(0, slot.find(kFieldSeparator));
}

// NameOf(slot) == name, for a name without a separator (as NameOf gives), looking
// no further into the slot than a separator right after the name reaches: every
// slot is compared on each store and lookup, and slots hold long values.
bool Named(std::wstring_view slot, std::wstring_view name) {
  // Most slots differ from the first character: told apart without looking for a separator.
  return slot.starts_with(name) &&
         NameOf(slot.substr(0, name.size() + kFieldSeparator.size())) == name;
}

}  // namespace

void StoreUserVar(LauncherContext& ctx, std::wstring_view text) {
  if (ctx.userVarStores >= kUserVarStoreLimit) return;
  const std::wstring name(NameOf(text));
  // Every earlier slot of the name takes the new text, so all of them agree;
  // the text itself lands in the next free slot. An empty slot has the empty
  // name, so a text with an empty name fills the empty slots as well.
  for (std::wstring& slot : ctx.userVars)
    if (Named(slot, name)) slot = text;
  ctx.userVars[static_cast<std::size_t>(ctx.userVarStores)] = text;
  ++ctx.userVarStores;
}

std::wstring LookupUserVar(const LauncherContext& ctx, std::wstring_view name) {
  if (name.find(kFieldSeparator) != std::wstring_view::npos) return std::wstring();
  for (const std::wstring& slot : ctx.userVars) {
    if (slot.empty() || !Named(slot, name)) continue;
    const std::size_t valueStart = name.size() + kFieldSeparator.size();
    return valueStart < slot.size() ? slot.substr(valueStart) : std::wstring();
  }
  return std::wstring();
}

std::wstring SubstituteUserVars(const LauncherContext& ctx, std::wstring_view text) {
  std::wstring out(text);
  // Slot order: a value may refer to a later slot and still be resolved in this pass.
  // A slot whose replacement would pass the limit leaves its references as written.
  for (const std::wstring& slot : ctx.userVars) {
    if (slot.empty()) continue;
    const std::wstring_view text(slot);
    const size_t nameEnd = text.find(kFieldSeparator);
    const std::wstring_view name = text.substr(0, nameEnd);
    if (!HoldsReference(out, name)) continue;
    const std::wstring reference = L"{" + std::wstring(name) + L"}";
    // Field 2, without copying a long slot.
    std::wstring_view value;
    if (nameEnd != std::wstring_view::npos) {
      value = text.substr(nameEnd + kFieldSeparator.size());
      value = value.substr(0, value.find(kFieldSeparator));
    }
    ReplaceAllWithinLimit(out, reference, OrEmptyMark(value));
  }
  return out;
}

std::wstring ResolvePrompts(LauncherContext& ctx, std::wstring_view value,
                            std::wstring_view keyName) {
  std::vector<Piece> pieces{Piece{std::wstring(value), false}};
  for (const PromptMacro& prompt : kPromptMacros) {
    for (size_t i = 0; i < pieces.size(); ++i) {
      if (pieces[i].answer) continue;
      const size_t hit = pieces[i].text.find(prompt.macro);
      if (hit == std::wstring::npos) continue;
      std::wstring answer(OrEmptyMark(AskUser(ctx, Joined(pieces), keyName, prompt.kind)));
      std::wstring after = pieces[i].text.substr(hit + prompt.macro.size());
      pieces[i].text.resize(hit);
      pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    {Piece{std::move(answer), true}, Piece{std::move(after), false}});
      ++i;  // on to the text after the answer
    }
  }
  return pieces.size() == 1 ? std::move(pieces[0].text) : Joined(pieces);
}

std::wstring AskUser(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                     PromptKind kind) {
  std::wstring answer;
  switch (kind) {
    case PromptKind::Text: {
      const std::wstring message = OrDefault(LookupUserVar(ctx, L"USERTEXT_MESSAGE"),
                                             ForKey(L"Enter parameter for key ", keyName));
      const std::wstring title = OrDefault(LookupUserVar(ctx, L"USERTEXT_TITLE"), ctx.launcherName);
      answer = os::AskText(title, message, LookupUserVar(ctx, L"USERTEXT_DEFAULT"), false)
                   .value_or(std::wstring());
      break;
    }
    case PromptKind::File: {
      const std::wstring title = OrDefault(LookupUserVar(ctx, L"USERFILE_TITLE"),
                                           ForKey(L"Select file for key ", keyName));
      answer = os::AskFile(title, LookupUserVar(ctx, L"USERFILE_PATTERN"),
                           LookupUserVar(ctx, L"USERFILE_DEFAULT"))
                   .value_or(std::wstring());
      break;
    }
    case PromptKind::Dir: {
      const std::wstring title = OrDefault(LookupUserVar(ctx, L"USERDIR_TITLE"),
                                           ForKey(L"Select directory for key ", keyName));
      answer =
          os::AskFolder(title, LookupUserVar(ctx, L"USERDIR_DEFAULT")).value_or(std::wstring());
      while (!answer.empty() && answer.back() == L'\\') answer.pop_back();
      break;
    }
  }
  if (keyName == L"uservar")
    StoreUserVar(ctx, Field(value, 1) + std::wstring(kFieldSeparator) + answer);
  return answer;
}

void StringReplaceVar(LauncherContext& ctx, const std::wstring& value) {
  // Without its fourth field the key names no variable; storing under the empty
  // name would fill every free slot.
  const std::wstring name = Field(value, 4);
  if (name.empty()) return;
  std::wstring result = Field(value, 1);
  // An empty find, or a result past the limit, leaves the source as it is.
  ReplaceAllWithinLimit(result, Field(value, 2), Field(value, 3));
  StoreUserVar(ctx, name + std::wstring(kFieldSeparator) + result);
}
