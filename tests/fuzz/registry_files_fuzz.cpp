// Fuzz target: what the launcher puts on reg.exe's command line and into registry
// files, on arbitrary texts and bytes. Each property is one a user's registry
// data depends on: an argument reaches the tool as written, a value line reads
// back as the value it was written from, appending one registry file to another
// adds exactly the appended file's entries, whatever either holds, an item's
// part of a shared file is stable, and keys compare as their canonical texts do.
//
// Run long by hand with scripts/fuzz.sh registry_files; CI runs it briefly.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "registry/reg_arguments.h"
#include "registry/reg_file_format.h"
#include "registry/reg_notation.h"
#include "tests/fake_platform/reg_text_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Two bytes per UTF-16 unit, as the registry stores texts.
std::wstring UnitsOf(std::string_view bytes) {
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return text;
}

// Characters past U+FFFF as their two UTF-16 units (wchar_t may hold them whole).
std::wstring Utf16Units(std::wstring text) {
  // Most texts hold none: kept as they are, without a copy.
  if (std::all_of(text.begin(), text.end(),
                  [](wchar_t c) { return static_cast<std::uint32_t>(c) <= 0xFFFF; }))
    return text;
  std::wstring units;
  for (const wchar_t c : text) {
    const auto cp = static_cast<std::uint32_t>(c);
    if (cp <= 0xFFFF) {
      units += c;
      continue;
    }
    units += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
    units += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
  return units;
}

void CheckArguments(const std::wstring& text) {
  for (const std::wstring& sent : {QuoteArgument(text), RegArgument(text)}) {
    std::wstring line;
    line.reserve(sent.size() + 7);
    line.append(L"reg ").append(sent).append(L" /f");
    const std::vector<std::wstring> args = fake_reg_detail::SplitArguments(line);
    FUZZ_CHECK(args.size() == 3 && args[0] == L"reg" && args[1] == text && args[2] == L"/f");
  }
}

// Names come from a configuration line: no line break or zero character in them.
void CheckValueLine(std::wstring name, unsigned type, std::string_view bytes) {
  std::erase_if(name, [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\0'; });
  const std::wstring line = RegValueLine(name, type, bytes);
  size_t at = 0;
  std::wstring joined;
  std::wstring_view read;
  FUZZ_CHECK(fake_reg_detail::NextRegLine(line, at, joined, read));
  const auto value = fake_reg_detail::ParseValueLine(read);
  FUZZ_CHECK(value.has_value());
  FUZZ_CHECK(value->name == name && value->type == type && value->bytes == bytes);
  FUZZ_CHECK(!fake_reg_detail::NextRegLine(line, at, joined, read));  // one line
}

void CheckAppend(std::string_view target, std::string_view appended) {
  const std::string added = RegAppendBytes(target, appended);
  if (!target.starts_with("\xFF\xFE")) return;
  // Into a UTF-16LE file: the appended text without its header lines, whole.
  const RegFileText read = ReadRegFileText(appended);
  const std::wstring_view header =
      read.format == RegTextFormat::Utf16Le ? kRegHeaderUnicode : kRegHeaderAnsi;
  const std::wstring expected =
      ReplaceAll(read.text, std::wstring(header) + L"\r\n\r\n", L"") + L"\r\n";
  FUZZ_CHECK(added.size() % 2 == 0);
  FUZZ_CHECK(UnitsOf(added) == Utf16Units(expected));
}

// An item's part of a file is a registry file whose own part for the item is
// itself.
void CheckSubset(std::string_view bytes) {
  const std::wstring value = L"v";
  for (const std::wstring* name : {static_cast<const std::wstring*>(nullptr), &value}) {
    const auto part = RegFileSubset(bytes, L"HKCU\\Software\\App", name);
    if (part && !part->empty())
      FUZZ_CHECK(RegFileSubset(*part, L"HKCU\\Software\\App", name) == part);
  }
}

std::wstring TextOf(std::string_view bytes) { return ReadRegFileText(bytes).text; }

std::wstring HeaderLineOf(std::string_view bytes) {
  const std::wstring text = TextOf(bytes);
  return TrimBlanks(text.substr(0, text.find_first_of(L"\r\n")));
}

// What the file brings into the registry, read by the reg.exe stand-in's own
// parser (in the older form, texts in hex form converted as the tool converts
// them); nullopt when it cannot read it to its end.
std::optional<std::vector<fake_reg_detail::RegEntry>> EntriesOf(
    const std::optional<std::string>& bytes) {
  if (!bytes) return std::nullopt;
  if (bytes->empty()) return std::vector<fake_reg_detail::RegEntry>{};
  fake_reg_detail::RegEntries read = fake_reg_detail::ReadRegEntries(TextOf(*bytes));
  if (!read.whole) return std::nullopt;
  // Names as UTF-16 units, as Windows holds them: where wchar_t is 32 bits, a
  // character past U+FFFF is one wchar_t read from a UTF-8 file and two read from a
  // UTF-16LE file, the same name.
  for (fake_reg_detail::RegEntry& entry : read.entries) {
    entry.key = Utf16Units(std::move(entry.key));
    if (entry.value) entry.value->name = Utf16Units(std::move(entry.value->name));
  }
  return std::move(read.entries);
}

// An export (a file of the item's part only; none: the part taken out) put into
// a shared file: the file's part for the item brings in what the export brings
// in, putting it in again changes nothing, and another item's part brings in what
// it did, whichever header each has. The file is left alone only when it is no
// registry file, or its older form cannot be brought into the current one.
void CheckPartReplaced(std::string_view file, std::string_view exported) {
  const std::wstring key = L"HKCU\\Software\\App";
  const std::wstring other = L"HKCU\\Software\\Other";
  const std::wstring value = L"v";
  const auto kept = EntriesOf(RegFileSubset(file, other, nullptr));
  for (const std::wstring* name : {static_cast<const std::wstring*>(nullptr), &value}) {
    const auto part = RegFileSubset(exported, key, name);
    if (!part) continue;
    const auto updated = RegFileWithPart(file, *part, key, name);
    if (!updated) {
      FUZZ_CHECK(!RegFileSubset(file, key, name) ||
                 (!part->empty() && HeaderLineOf(file) != HeaderLineOf(*part)));
      continue;
    }
    if (const auto brought = EntriesOf(part))
      FUZZ_CHECK(EntriesOf(RegFileSubset(*updated, key, name)) == brought);
    FUZZ_CHECK(RegFileWithPart(*updated, *part, key, name) == updated);
    if (kept) FUZZ_CHECK(EntriesOf(RegFileSubset(*updated, other, nullptr)) == kept);
  }
}

void CheckExportedKey(const std::wstring& subkey) {
  const std::wstring key = L"HKCU\\" + subkey;
  // Key names hold no zero character, and a configuration line no line break.
  if (!IsRegKeyPath(key) ||
      subkey.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring::npos)
    return;
  FUZZ_CHECK(RegFileHoldsKey(RegValueFile(LongRegKey(key), L"@=\"\""), key));
}

// Keys compared in place agree with their canonical texts.
void CheckKeyComparison(std::wstring_view a, std::wstring_view b) {
  const std::wstring x = CanonicalRegKey(a), y = CanonicalRegKey(b);
  FUZZ_CHECK(SameRegKey(a, b) == (x == y));
  FUZZ_CHECK(RegKeyWithin(a, b) ==
             (x == y || (x.starts_with(y) && x.size() > y.size() && x[y.size()] == L'\\')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::wstring text = UnitsOf(bytes);
  CheckArguments(text);
  if (bytes.size() >= 4) {
    const unsigned type =
        static_cast<unsigned char>(bytes[0]) % 12 | (bytes[1] == '\xFF' ? 0xFFFF0000u : 0u);
    const size_t nameUnits = static_cast<unsigned char>(bytes[2]) % 8;
    const std::string_view rest = bytes.substr(3);
    const std::wstring name = UnitsOf(rest.substr(0, std::min(rest.size(), 2 * nameUnits)));
    CheckValueLine(name, type, rest.substr(std::min(rest.size(), 2 * nameUnits)));
  }
  const size_t half = bytes.size() / 2;
  CheckAppend(bytes.substr(0, half), bytes.substr(half));
  CheckAppend("\xFF\xFE", bytes);
  RegFileHoldsKey(bytes, L"HKCU\\Software\\App");
  CheckSubset(bytes);
  CheckPartReplaced(bytes.substr(0, half), bytes.substr(half));
  CheckPartReplaced(bytes, RegValueFile(L"HKEY_CURRENT_USER\\Software\\App",
                                        RegValueLine(L"v", 1, bytes.substr(0, half))));
  CheckExportedKey(text);
  CheckKeyComparison(std::wstring_view(text).substr(0, text.size() / 2),
                     std::wstring_view(text).substr(text.size() / 2));
  CheckKeyComparison(text, L"hkcu\\Software\\App\\");
  return 0;
}
