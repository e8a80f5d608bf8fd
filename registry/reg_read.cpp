#include "registry/reg_read.h"

#include <cstdint>

#include "registry/reg_notation.h"

namespace {

// The read buffer: 255 UTF-16 characters. A REG_SZ of 254 characters and its
// terminator fit; anything longer reads as empty data.
constexpr unsigned kReadBufferBytes = 255 * sizeof(char16_t);

// Text up to the first zero character; an odd last byte is no character.
std::wstring TextOf(const std::string& bytes) {
  std::wstring text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == L'\0') break;
    text.push_back(unit);
  }
  return text;
}

// The data is read into a 32-bit variable that starts at zero: fewer bytes fill
// its low end, more do not fit and leave it zero.
std::wstring DwordTextOf(const std::string& bytes) {
  if (bytes.size() > sizeof(std::uint32_t)) return L"0";
  std::uint32_t value = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  return std::to_wstring(static_cast<std::int32_t>(value));
}

}  // namespace

std::wstring ReadRegValue(std::optional<os::RegRoot> root, std::wstring_view subkey,
                          std::wstring_view name) {
  if (!root) return L" :: REG_SZ";
  if (!subkey.empty() && subkey.front() == L'\\') subkey.remove_prefix(1);
  const os::RegQuery query =
      os::QueryRegValue(*root, std::wstring(subkey), std::wstring(name), kReadBufferBytes);
  if (query.outcome != os::RegQuery::Ok) return L" :: REG_SZ";
  switch (query.type) {
    case os::kRegSz:
      return TextOf(query.bytes) + L" :: REG_SZ";
    case os::kRegDword:
      return DwordTextOf(query.bytes) + L" :: REG_DWORD";
    default:
      return L" :: REG_SZ";
  }
}

std::optional<std::wstring> EnumRegValueName(std::wstring_view path, unsigned index) {
  const RegPath parsed = ParseRegPath(path);
  if (!parsed.root) return std::nullopt;
  return os::RegEnumValueName(*parsed.root, parsed.subkey, index);
}

std::optional<std::wstring> EnumRegSubkeyName(std::wstring_view path, unsigned index) {
  const RegPath parsed = ParseRegPath(path);
  if (!parsed.root) return std::nullopt;
  return os::RegEnumSubkeyName(*parsed.root, parsed.subkey, index);
}
