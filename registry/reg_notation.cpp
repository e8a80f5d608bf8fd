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

RegPath ParseRegPath(std::wstring_view path) {
  const size_t cut = path.find(L'\\');
  const std::wstring_view first = path.substr(0, cut);
  RegPath parsed;
  // The root names are ASCII: comparing without ASCII case is upper-casing both sides.
  for (const RootName& row : kRootNames) {
    if (EqualsIgnoringAsciiCase(first, row.longName) ||
        EqualsIgnoringAsciiCase(first, row.shortName)) {
      parsed.root = row.root;
      break;
    }
  }
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
  const std::wstring trimmed = RemoveTrailingBackslashes(path);
  return ParseRegPath(trimmed).root && Contains(trimmed, L"\\");
}

std::wstring LongRegKey(std::wstring_view path) {
  std::wstring key = RemoveTrailingBackslashes(path);
  const size_t cut = key.find(L'\\');
  const RegPath parsed = ParseRegPath(key);
  if (!parsed.root || cut == std::wstring::npos) return key;
  for (const RootName& row : kRootNames)
    if (row.root == *parsed.root) return std::wstring(row.longName) + key.substr(cut);
  return key;
}

std::wstring CanonicalRegKey(std::wstring_view path) { return LowerAscii(LongRegKey(path)); }

bool RegKeyWithin(std::wstring_view inner, std::wstring_view outer) {
  const std::wstring in = CanonicalRegKey(inner);
  const std::wstring out = CanonicalRegKey(outer);
  return in == out || StartsWith(in, out + L'\\');
}
