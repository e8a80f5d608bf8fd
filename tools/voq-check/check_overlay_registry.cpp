// The registry as the recorded changes would leave it: keys deleted, keys made,
// and keys copied (a copy, an import of an export) shown as the key they were
// copied from. What the tool writes into values is not followed: a value read
// shows the machine's, or the copied key's.
#include <map>
#include <set>
#include <utility>

#include "platform/text.h"
#include "registry/reg_notation.h"
#include "tools/voq-check/check_overlay.h"

namespace {

// Keys by CanonicalRegKey.
struct RegistryOverlay {
  std::set<std::wstring> gone;
  // A key made, and the real key whose content it shows ("" for an empty one).
  std::map<std::wstring, std::wstring> made;
  std::set<std::pair<std::wstring, std::wstring>> goneValues;  // key, lowered name
};
RegistryOverlay& Overlay() {
  static RegistryOverlay overlay;
  return overlay;
}

std::wstring RootName(os::RegRoot root) {
  switch (root) {
    case os::RegRoot::ClassesRoot:
      return L"HKEY_CLASSES_ROOT";
    case os::RegRoot::CurrentUser:
      return L"HKEY_CURRENT_USER";
    case os::RegRoot::LocalMachine:
      return L"HKEY_LOCAL_MACHINE";
    case os::RegRoot::Users:
      return L"HKEY_USERS";
    case os::RegRoot::CurrentConfig:
      return L"HKEY_CURRENT_CONFIG";
  }
  return L"";
}

std::wstring Canonical(os::RegRoot root, const std::wstring& subkey) {
  return CanonicalRegKey(subkey.empty() ? RootName(root) : RootName(root) + L"\\" + subkey);
}

std::wstring ParentKey(const std::wstring& key) {
  const size_t cut = key.rfind(L'\\');
  return cut == std::wstring::npos ? std::wstring() : key.substr(0, cut);
}

RegKeyView RealAt(const std::wstring& canonical) {
  const RegPath path = ParseRegPath(canonical);
  if (!path.root) return {RegKeyView::Missing, os::RegRoot::CurrentUser, L""};
  return {RegKeyView::Real, *path.root, path.subkey};
}

RegKeyView ViewOf(const std::wstring& key) {
  for (std::wstring level = key; !level.empty(); level = ParentKey(level)) {
    if (Overlay().gone.count(level)) return {RegKeyView::Missing, os::RegRoot::CurrentUser, L""};
    const auto made = Overlay().made.find(level);
    if (made == Overlay().made.end()) continue;
    if (made->second.empty())
      return {level == key ? RegKeyView::Empty : RegKeyView::Missing, os::RegRoot::CurrentUser,
              L""};
    return RealAt(made->second + key.substr(level.size()));
  }
  return RealAt(key);
}

bool There(const RegKeyView& view) {
  return view.kind == RegKeyView::Empty ||
         (view.kind == RegKeyView::Real &&
          os::RealQueryRegKeyCounts(view.root, view.subkey).outcome == os::RegOutcome::Ok);
}

void Make(const std::wstring& key, const std::wstring& source) {
  auto& overlay = Overlay();
  std::erase_if(overlay.made, [&](const auto& m) { return StartsWith(m.first, key + L"\\"); });
  std::erase_if(overlay.gone, [&](const std::wstring& g) { return StartsWith(g, key + L"\\"); });
  overlay.gone.erase(key);
  overlay.made[key] = source;
}

}  // namespace

void ForgetRegistryOverlay() { Overlay() = RegistryOverlay{}; }

RegKeyView OverlayRegKey(os::RegRoot root, const std::wstring& subkey) {
  return ViewOf(Canonical(root, subkey));
}

std::vector<std::wstring> OverlayRegMadeSubkeys(os::RegRoot root, const std::wstring& subkey) {
  const std::wstring key = Canonical(root, subkey) + L"\\";
  std::vector<std::wstring> names;
  for (const auto& [made, source] : Overlay().made)
    if (StartsWith(made, key) && made.find(L'\\', key.size()) == std::wstring::npos)
      names.push_back(made.substr(key.size()));
  return names;
}

std::optional<std::wstring> OverlayRegKeySource(const std::wstring& keyPath) {
  const RegKeyView view = ViewOf(CanonicalRegKey(keyPath));
  if (!There(view)) return std::nullopt;
  return view.kind == RegKeyView::Empty ? L"" : Canonical(view.root, view.subkey);
}

void OverlayRegDeleteKey(const std::wstring& keyPath) {
  const std::wstring key = CanonicalRegKey(keyPath);
  if (!There(ViewOf(key))) return;
  std::erase_if(Overlay().made,
                [&](const auto& m) { return m.first == key || StartsWith(m.first, key + L"\\"); });
  Overlay().gone.insert(key);
}

void OverlayRegDeleteValue(const std::wstring& keyPath, const std::wstring& name) {
  Overlay().goneValues.emplace(CanonicalRegKey(keyPath), LowerAscii(name));
}

void OverlayRegKeyMade(const std::wstring& keyPath) {
  // The tool makes the keys above it too.
  std::vector<std::wstring> missing;
  for (std::wstring key = CanonicalRegKey(keyPath); ParentKey(key) != L""; key = ParentKey(key))
    if (!There(ViewOf(key))) missing.push_back(key);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) Make(*it, L"");
}

void OverlayRegKeyCopied(const std::wstring& targetPath, const std::wstring& source) {
  const std::wstring target = CanonicalRegKey(targetPath);
  OverlayRegKeyMade(ParentKey(target));
  Make(target, source);
}

void OverlayRegCopy(const std::wstring& sourcePath, const std::wstring& targetPath) {
  if (const auto source = OverlayRegKeySource(sourcePath)) OverlayRegKeyCopied(targetPath, *source);
}

bool OverlayRegValueGone(os::RegRoot root, const std::wstring& subkey, const std::wstring& name) {
  return Overlay().goneValues.count({Canonical(root, subkey), LowerAscii(name)}) > 0;
}
