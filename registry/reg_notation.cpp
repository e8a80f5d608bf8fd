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

namespace {

// A key path's long form as two pieces, the root's long name and the rest from
// the backslash after it, trailing backslashes dropped; a path whose first name
// is no root, or that has no backslash, is all rest. Keys are compared in this
// form without a text being made: it runs for every section line of every
// registry file read.
struct LongKeyPieces {
  std::wstring_view root;
  std::wstring_view rest;
  size_t size() const { return root.size() + rest.size(); }
  wchar_t LowerAt(size_t i) const {
    const wchar_t c = i < root.size() ? root[i] : rest[i - root.size()];
    return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c;
  }
};

LongKeyPieces PiecesOf(std::wstring_view path) {
  path = WithoutTrailingBackslashes(path);
  const size_t cut = path.find(L'\\');
  if (cut == std::wstring_view::npos) return {{}, path};
  if (const RootName* row = RootNamed(path.substr(0, cut)))
    return {row->longName, path.substr(cut)};
  return {{}, path};
}

// a's long form starts with b's, ASCII case ignored.
bool StartsWithKey(const LongKeyPieces& a, const LongKeyPieces& b) {
  if (a.size() < b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i)
    if (a.LowerAt(i) != b.LowerAt(i)) return false;
  return true;
}

}  // namespace

std::wstring LongRegKey(std::wstring_view path) {
  const LongKeyPieces pieces = PiecesOf(path);
  std::wstring key;
  key.reserve(pieces.size());
  return key.append(pieces.root).append(pieces.rest);
}

std::wstring CanonicalRegKey(std::wstring_view path) {
  const LongKeyPieces pieces = PiecesOf(path);
  std::wstring key(pieces.size(), L'\0');
  for (size_t i = 0; i < key.size(); ++i) key[i] = pieces.LowerAt(i);
  return key;
}

bool SameRegKey(std::wstring_view a, std::wstring_view b) {
  const LongKeyPieces x = PiecesOf(a), y = PiecesOf(b);
  return x.size() == y.size() && StartsWithKey(x, y);
}

bool RegKeyWithin(std::wstring_view inner, std::wstring_view outer) {
  const LongKeyPieces in = PiecesOf(inner), out = PiecesOf(outer);
  return StartsWithKey(in, out) && (in.size() == out.size() || in.LowerAt(out.size()) == L'\\');
}
