#include "registry/reg_read.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/paths.h"
#include "platform/text.h"
#include "registry/reg_notation.h"

namespace {

// The read buffer: 255 UTF-16 characters. A REG_SZ of 254 characters and its
// terminator fit; anything longer reads as empty data.
constexpr unsigned kReadBufferBytes = 255 * sizeof(char16_t);

constexpr std::wstring_view kSzLabel = L" :: REG_SZ";
constexpr std::wstring_view kDwordLabel = L" :: REG_DWORD";
constexpr std::wstring_view kSeparator = L" :: ";

// The data is read into a 32-bit variable that starts at zero: fewer bytes fill
// its low end, more do not fit and leave it zero.
std::wstring DwordTextOf(const std::string& bytes) {
  if (bytes.size() > sizeof(std::uint32_t)) return L"0";
  std::uint32_t value = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  // Shown as a signed decimal number. std::to_chars rather than std::to_wstring,
  // whose printf would add some 20 KB to the shipped image.
  char digits[16];
  char* const end =
      std::to_chars(digits, digits + sizeof digits, static_cast<std::int32_t>(value)).ptr;
  return std::wstring(digits, end);
}

struct Data {
  std::wstring text;
  bool dword = false;
};

Data DataOf(const os::RegQuery& query) {
  if (query.outcome != os::RegQuery::Ok) return Data{};
  if (query.type == os::kRegSz) return Data{Utf16LeUnits(query.bytes), false};
  if (query.type == os::kRegDword) return Data{DwordTextOf(query.bytes), true};
  return Data{};
}

std::wstring ResultText(Data data) {
  data.text += data.dword ? kDwordLabel : kSzLabel;
  return std::move(data.text);
}

// Field 1 of the result text, without building it: the data up to its first
// separator, or up to a " ::" that ends it (the label's blank completes one).
std::wstring FirstField(Data data) {
  size_t cut = data.text.find(kSeparator);
  if (cut == std::wstring::npos && data.text.ends_with(L" ::")) cut = data.text.size() - 3;
  if (cut != std::wstring::npos) data.text.resize(cut);
  return std::move(data.text);
}

std::wstring_view WithoutLeadingBackslash(std::wstring_view subkey) {
  if (!subkey.empty() && subkey.front() == L'\\') subkey.remove_prefix(1);
  return subkey;
}

std::vector<os::RegQuery> QueryAll(os::RegRoot root, std::wstring_view subkey,
                                   const std::vector<std::wstring>& names) {
  return os::QueryRegValues(root, std::wstring(WithoutLeadingBackslash(subkey)), names,
                            kReadBufferBytes);
}

}  // namespace

std::wstring ReadRegValue(std::optional<os::RegRoot> root, std::wstring_view subkey,
                          std::wstring_view name) {
  if (!root) return std::wstring(kSzLabel);
  return ResultText(DataOf(os::QueryRegValue(*root, std::wstring(WithoutLeadingBackslash(subkey)),
                                             std::wstring(name), kReadBufferBytes)));
}

std::vector<std::wstring> ReadRegValues(std::optional<os::RegRoot> root, std::wstring_view subkey,
                                        const std::vector<std::wstring>& names) {
  if (!root) return std::vector<std::wstring>(names.size(), std::wstring(kSzLabel));
  std::vector<std::wstring> results;
  results.reserve(names.size());
  for (const os::RegQuery& query : QueryAll(*root, subkey, names))
    results.push_back(ResultText(DataOf(query)));
  return results;
}

std::vector<std::wstring> ReadRegData(std::optional<os::RegRoot> root, std::wstring_view subkey,
                                      const std::vector<std::wstring>& names) {
  if (!root) return std::vector<std::wstring>(names.size());
  std::vector<std::wstring> results;
  results.reserve(names.size());
  for (const os::RegQuery& query : QueryAll(*root, subkey, names))
    results.push_back(FirstField(DataOf(query)));
  return results;
}

std::optional<std::wstring> EnumRegValueName(std::wstring_view path, unsigned index) {
  const RegPath parsed = ParseRegPath(path);
  if (!parsed.root) return std::nullopt;
  return os::RegEnumValueName(*parsed.root, parsed.subkey, index);
}

std::optional<std::wstring> EnumRegSubkeyName(std::wstring_view path, unsigned index) {
  const RegPath parsed = ParseRegPath(path);
  if (!parsed.root) return std::nullopt;
  const os::RegSubkeys list = os::ListRegSubkeys(*parsed.root, parsed.subkey);
  // Named through a buffer of 255 characters, the terminator included.
  if (index >= list.names.size() || list.names[index].size() >= 255) return std::nullopt;
  return list.names[index];
}

os::RegData ReadRegValueData(std::wstring_view keyPath, std::wstring_view name) {
  if (!IsRegKeyPath(keyPath)) return os::RegData{};
  const RegPath parsed = ParseRegPath(RemoveTrailingBackslashes(keyPath));
  return os::QueryRegData(*parsed.root, parsed.subkey, std::wstring(name));
}

os::RegKeyCounts ReadRegKeyCounts(std::wstring_view keyPath) {
  if (!IsRegKeyPath(keyPath)) return os::RegKeyCounts{};
  const RegPath parsed = ParseRegPath(RemoveTrailingBackslashes(keyPath));
  return os::QueryRegKeyCounts(*parsed.root, parsed.subkey);
}
