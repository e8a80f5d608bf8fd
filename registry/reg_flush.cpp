#include "registry/reg_flush.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "registry/reg_notation.h"

bool FlushRegKeyPath(std::wstring_view keyPath) {
  if (!IsRegKeyPath(keyPath)) return false;
  const RegPath parsed = ParseRegPath(RemoveTrailingBackslashes(keyPath));
  return os::FlushRegKey(*parsed.root, parsed.subkey);
}

bool FlushParentRegKey(std::wstring_view keyPath) {
  if (!IsRegKeyPath(keyPath)) return false;
  const RegPath parsed = ParseRegPath(RemoveTrailingBackslashes(keyPath));
  const size_t cut = parsed.subkey.find_last_of(L'\\');
  return os::FlushRegKey(*parsed.root,
                         cut == std::wstring::npos ? std::wstring() : parsed.subkey.substr(0, cut));
}
