// Registry reads: one open, one query or enumeration, one close per call.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/change_gate.h"

namespace os {

namespace {

HKEY RootHandle(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegRoot::Users:
      return HKEY_USERS;
    case RegRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

constexpr DWORD kNameCapacity = 255;

// The plain open call (RegOpenKeyW) asks for the most access the caller may have.
HKEY OpenForEnumeration(RegRoot root, const std::wstring& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootHandle(root), subkey.c_str(), 0, MAXIMUM_ALLOWED, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

namespace {

RegQuery QueryOpenKey(HKEY key, const std::wstring& name, unsigned bufferBytes) {
  RegQuery query;
  // The bytes go straight into the answer: no second buffer, no second copy.
  query.bytes.resize(bufferBytes);
  DWORD type = 0;
  DWORD size = bufferBytes;
  const LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(query.bytes.data()), &size);
  if (status == ERROR_SUCCESS) {
    query.outcome = RegQuery::Ok;
    query.type = type;
    query.bytes.resize(size);
  } else {
    query.outcome = status == ERROR_MORE_DATA ? RegQuery::TooLarge : RegQuery::Missing;
    query.bytes.clear();
  }
  return query;
}

// Reading a value needs the right to query it and nothing more: asking for full access made
// every HKLM read come back empty for a user without administrator rights.
HKEY OpenForQuery(RegRoot root, const std::wstring& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootHandle(root), subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

RegQuery QueryRegValue(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                       unsigned bufferBytes) {
  HKEY key = OpenForQuery(root, subkey);
  if (key == nullptr) return RegQuery{};
  RegQuery query = QueryOpenKey(key, name, bufferBytes);
  RegCloseKey(key);
  return query;
}

// Every registry call is a round trip to the system (under Wine, to its server):
// one open for many queries saves two trips per value.
std::vector<RegQuery> QueryRegValues(RegRoot root, const std::wstring& subkey,
                                     const std::vector<std::wstring>& names, unsigned bufferBytes) {
  std::vector<RegQuery> queries(names.size());
  HKEY key = OpenForQuery(root, subkey);
  if (key == nullptr) return queries;
  for (size_t i = 0; i < names.size(); ++i) queries[i] = QueryOpenKey(key, names[i], bufferBytes);
  RegCloseKey(key);
  return queries;
}

std::optional<std::wstring> RegEnumValueName(RegRoot root, const std::wstring& subkey,
                                             unsigned index) {
  HKEY key = OpenForEnumeration(root, subkey);
  if (key == nullptr) return std::nullopt;
  wchar_t name[kNameCapacity];
  DWORD length = kNameCapacity;
  const LSTATUS status =
      RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(name, length);
}

namespace {

RegOutcome OutcomeOf(LSTATUS status) {
  if (status == ERROR_SUCCESS) return RegOutcome::Ok;
  return status == ERROR_FILE_NOT_FOUND ? RegOutcome::Missing : RegOutcome::Failed;
}

constexpr DWORD kLongestKeyName = 255;

REGSAM ViewFlag(RegView view) {
  switch (view) {
    case RegView::Own:
      return 0;
    case RegView::Bits64:
      return KEY_WOW64_64KEY;
    case RegView::Bits32:
      return KEY_WOW64_32KEY;
  }
  return 0;
}

}  // namespace

RegData QueryRegData(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                     RegView view) {
  RegData data;
  HKEY key = nullptr;
  LSTATUS status =
      RegOpenKeyExW(RootHandle(root), subkey.c_str(), 0, KEY_QUERY_VALUE | ViewFlag(view), &key);
  if (status != ERROR_SUCCESS) {
    data.outcome = OutcomeOf(status);
    return data;
  }
  // The value may grow between the size query and the read: ask again until it fits.
  DWORD size = 256;
  for (;;) {
    data.bytes.resize(size);
    DWORD type = 0;
    status = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.bytes.data()), &size);
    if (status == ERROR_MORE_DATA) continue;
    data.type = type;
    break;
  }
  RegCloseKey(key);
  data.outcome = OutcomeOf(status);
  data.bytes.resize(status == ERROR_SUCCESS ? size : 0);
  return data;
}

RegSubkeys ListRegSubkeys(RegRoot root, const std::wstring& subkey, RegView view) {
  RegSubkeys list;
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(RootHandle(root), subkey.c_str(), 0,
                                 KEY_ENUMERATE_SUB_KEYS | ViewFlag(view), &key);
  for (DWORD index = 0; status == ERROR_SUCCESS; ++index) {
    wchar_t name[kLongestKeyName + 1];
    DWORD length = kLongestKeyName + 1;
    status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) list.names.emplace_back(name, length);
  }
  if (key != nullptr) RegCloseKey(key);
  list.outcome = status == ERROR_NO_MORE_ITEMS ? RegOutcome::Ok : OutcomeOf(status);
  if (list.outcome != RegOutcome::Ok) list.names.clear();
  return list;
}

bool FlushRegKey(RegRoot root, const std::wstring& subkey) {
  if (win32::GateRefuses(L"FlushRegKey", subkey, false)) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootHandle(root), subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const bool flushed = RegFlushKey(key) == ERROR_SUCCESS;
  RegCloseKey(key);
  return flushed;
}

RegKeyCounts QueryRegKeyCounts(RegRoot root, const std::wstring& subkey) {
  RegKeyCounts counts;
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(RootHandle(root), subkey.c_str(), 0, KEY_QUERY_VALUE, &key);
  if (status == ERROR_SUCCESS) {
    DWORD subkeys = 0;
    DWORD values = 0;
    status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    counts.subkeys = subkeys;
    counts.values = values;
  }
  counts.outcome = OutcomeOf(status);
  return counts;
}

}  // namespace os
