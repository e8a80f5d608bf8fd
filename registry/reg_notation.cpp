#include "registry/reg_notation.h"

#include "platform/paths.h"
#include "platform/text.h"

namespace {

struct RootName {
  std::wstring_view longName;
  std::wstring_view shortName;
  os::RegRoot root;
};

// Also the order in which ExpandRootNames rewrites the short forms.
constexpr RootName kRootNames[] = {
    {L"HKEY_CLASSES_ROOT", L"HKCR", os::RegRoot::ClassesRoot},
    {L"HKEY_CURRENT_USER", L"HKCU", os::RegRoot::CurrentUser},
    {L"HKEY_LOCAL_MACHINE", L"HKLM", os::RegRoot::LocalMachine},
    {L"HKEY_USERS", L"HKU", os::RegRoot::Users},
    {L"HKEY_CURRENT_CONFIG", L"HKCC", os::RegRoot::CurrentConfig},
};

}  // namespace

namespace {

// The root a path's first name stands for, long or short; null for none.
const RootName* RootNamed(std::wstring_view first) {
  // Every root name starts with "HK": most other names are told apart at once.
  if (first.size() < 3 || (first[0] != L'H' && first[0] != L'h') ||
      (first[1] != L'K' && first[1] != L'k'))
    return nullptr;
  // The root names are ASCII: comparing without ASCII case is upper-casing both sides.
  // Only names of the same length are compared: this runs for every key compared.
  for (const RootName& row : kRootNames)
    for (const std::wstring_view name : {row.longName, row.shortName})
      if (first.size() == name.size() && EqualsIgnoringAsciiCase(first, name)) return &row;
  return nullptr;
}

}  // namespace

RegPath ParseRegPath(std::wstring_view path) {
  const size_t cut = path.find(L'\\');
  RegPath parsed;
  if (const RootName* row = RootNamed(path.substr(0, cut))) parsed.root = row->root;
  parsed.subkey = std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
  return parsed;
}

std::wstring ExpandRootNames(std::wstring_view text) {
  std::wstring out(text);
  for (const RootName& row : kRootNames) {
    if (!Contains(out, row.shortName)) continue;
    out = ReplaceAll(out, std::wstring(row.shortName) + L'\\', std::wstring(row.longName) + L'\\');
  }
  return out;
}

ValuePath SplitValuePath(std::wstring_view path) {
  const size_t cut = path.rfind(L'\\');
  if (cut == std::wstring_view::npos) return ValuePath{std::wstring(), std::wstring(path)};
  return ValuePath{std::wstring(path.substr(0, cut)), std::wstring(path.substr(cut + 1))};
}

bool IsRegKeyPath(std::wstring_view path) {
  const std::wstring_view trimmed = WithoutTrailingBackslashes(path);
  const size_t cut = trimmed.find(L'\\');
  return cut != std::wstring_view::npos && RootNamed(trimmed.substr(0, cut)) != nullptr;
}

RegKeyPieces RegKeyPiecesOf(std::wstring_view path) {
  path = WithoutTrailingBackslashes(path);
  const size_t cut = path.find(L'\\');
  if (cut == std::wstring_view::npos) return {{}, path};
  if (const RootName* row = RootNamed(path.substr(0, cut)))
    return {row->longName, path.substr(cut)};
  return {{}, path};
}

namespace {

// a's long form starts with b's, ASCII case ignored.
bool StartsWithKey(const RegKeyPieces& a, const RegKeyPieces& b) {
  if (a.size() < b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i)
    if (a.LowerAt(i) != b.LowerAt(i)) return false;
  return true;
}

}  // namespace

std::wstring LongRegKey(std::wstring_view path) {
  const RegKeyPieces pieces = RegKeyPiecesOf(path);
  std::wstring key;
  key.reserve(pieces.size());
  return key.append(pieces.root).append(pieces.rest);
}

std::wstring CanonicalRegKey(std::wstring_view path) {
  const RegKeyPieces pieces = RegKeyPiecesOf(path);
  std::wstring key(pieces.size(), L'\0');
  for (size_t i = 0; i < key.size(); ++i) key[i] = pieces.LowerAt(i);
  return key;
}

bool SameRegKey(std::wstring_view a, const RegKeyPieces& b) {
  const RegKeyPieces x = RegKeyPiecesOf(a);
  return x.size() == b.size() && StartsWithKey(x, b);
}

bool SameRegKey(std::wstring_view a, std::wstring_view b) {
  return SameRegKey(a, RegKeyPiecesOf(b));
}

bool RegKeyWithin(std::wstring_view inner, const RegKeyPieces& outer) {
  const RegKeyPieces in = RegKeyPiecesOf(inner);
  return StartsWithKey(in, outer) &&
         (in.size() == outer.size() || in.LowerAt(outer.size()) == L'\\');
}

bool RegKeyWithin(std::wstring_view inner, std::wstring_view outer) {
  return RegKeyWithin(inner, RegKeyPiecesOf(outer));
}
