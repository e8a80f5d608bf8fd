// A stand-in for reg.exe in the in-memory world: splits its command line as the C
// runtime does, and carries out ADD, DELETE, COPY, EXPORT and IMPORT on the fake
// registry and fake files, with the exit codes the real tool gives (0 done, 1
// failed). Its IMPORT reads registry files with a parser of its own, so that what
// the launcher writes is checked by something other than itself. Install it with
// Fake().onHiddenStart = FakeRunTools, which also runs the command interpreter.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/text.h"
#include "registry/reg_file_format.h"
#include "registry/reg_notation.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/fake_platform/fake_platform.h"
#include "tests/fake_platform/reg_text_reader.h"

namespace fake_reg_detail {

using Place = std::pair<os::RegRoot, std::wstring>;

inline std::optional<Place> PlaceOf(const std::wstring& key) {
  const RegPath parsed = ParseRegPath(key);
  if (!parsed.root || !Contains(key, L"\\")) return std::nullopt;
  return Place{*parsed.root, LowerAscii(RemoveTrailingBackslashes(parsed.subkey))};
}

inline bool Writable(const Place& place) {
  auto it = Fake().registry.find(place);
  return it == Fake().registry.end() || (it->second.fullAccess && it->second.readable);
}

// The keys of the tree below place, itself first.
inline std::vector<Place> Tree(const Place& place) {
  std::vector<Place> keys;
  for (const auto& [at, key] : Fake().registry)
    if (at.first == place.first &&
        (at.second == place.second || StartsWith(at.second, place.second + L"\\")))
      keys.push_back(at);
  return keys;
}

// ADD's /t and /d as the bytes the tool stores; nullopt where it refuses the data.
inline std::optional<std::pair<unsigned, std::string>> AddData(const std::wstring& type,
                                                               const std::wstring& data,
                                                               const std::wstring& separator) {
  if (type == L"REG_SZ" || type == L"REG_EXPAND_SZ")
    return std::pair{type == L"REG_SZ" ? os::kRegSz : os::kRegExpandSz,
                     Utf16(data + std::wstring(1, L'\0'))};
  if (type == L"REG_DWORD" || type == L"REG_QWORD") {
    const bool dword = type == L"REG_DWORD";
    const auto value = Number(data, dword ? 0xFFFFFFFFULL : ~0ULL);
    if (!value) return std::nullopt;
    std::string bytes;
    for (int i = 0; i < (dword ? 4 : 8); ++i) bytes += static_cast<char>(*value >> (8 * i));
    return std::pair{dword ? os::kRegDword : os::kRegQword, bytes};
  }
  if (type == L"REG_BINARY") {
    const auto bytes = HexBytes(data);
    if (!bytes) return std::nullopt;
    return std::pair{os::kRegBinary, *bytes};
  }
  if (type == L"REG_MULTI_SZ") {
    const std::wstring cut = separator.empty() ? L"\\0" : separator;
    std::wstring strings;
    for (size_t start = 0;;) {
      const size_t end = data.find(cut, start);
      const std::wstring part = data.substr(start, end - start);
      if (part.empty() && end != std::wstring::npos) return std::nullopt;  // as Wine's tool
      strings += part + std::wstring(1, L'\0');
      if (end == std::wstring::npos) break;
      start = end + cut.size();
    }
    return std::pair{os::kRegMultiSz, Utf16(strings + std::wstring(1, L'\0'))};
  }
  return std::nullopt;
}

inline int Add(const std::vector<std::wstring>& args) {
  std::map<std::wstring, std::wstring> options;
  bool defaultValue = false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == L"/ve")
      defaultValue = true;
    else if (args[i] == L"/f")
      continue;
    else if (i + 1 < args.size())
      options[args[i]] = args[i + 1], ++i;
  }
  const auto place = PlaceOf(args[1]);
  if (!place || !Writable(*place)) return 1;
  const auto data =
      AddData(options.count(L"/t") ? options[L"/t"] : L"REG_SZ", options[L"/d"], options[L"/s"]);
  if (!data) return 1;
  FakeSetRegValue(place->first, RemoveTrailingBackslashes(ParseRegPath(args[1]).subkey),
                  defaultValue ? L"" : options[L"/v"], data->first, data->second);
  return 0;
}

inline int Delete(const std::vector<std::wstring>& args) {
  const auto place = PlaceOf(args[1]);
  if (!place && ParseRegPath(RemoveTrailingBackslashes(args[1])).root)
    ADD_FAILURE() << "reg.exe would delete a whole root: " << Utf8FromWide(args[1]);
  if (!place) return 1;
  if (!Fake().registry.count(*place)) return 1;
  if (args.size() > 3 && args[2] == L"/v") {
    if (!Writable(*place)) return 1;
    auto& values = Fake().registry[*place].values;
    return std::erase_if(
               values,
               [&](const FakeRegValue& v) { return EqualsIgnoringAsciiCase(v.name, args[3]); }) > 0
               ? 0
               : 1;
  }
  const std::vector<Place> tree = Tree(*place);
  for (const Place& key : tree)
    if (!Writable(key)) return 1;
  for (const Place& key : tree) Fake().registry.erase(key);
  return 0;
}

inline int Copy(const std::vector<std::wstring>& args) {
  const auto from = PlaceOf(args[1]);
  const auto to = PlaceOf(args[2]);
  if (!from || !to || !Fake().registry.count(*from)) return 1;
  const std::wstring target = RemoveTrailingBackslashes(ParseRegPath(args[2]).subkey);
  for (const Place& key : Tree(*from)) {
    const FakeRegKey source = Fake().registry[key];
    const std::wstring below = key.second.substr(from->second.size());
    FakeAddRegKey(to->first, target + below);
    for (const FakeRegValue& value : source.values)
      FakeSetRegValue(to->first, target + below, value.name, value.type, value.bytes);
  }
  return 0;
}

inline bool FileWritable(const std::wstring& path) {
  const std::wstring key = LowerAscii(path);
  const std::wstring folder = key.substr(0, key.find_last_of(L'\\'));
  return (Fake().folders.count(folder) || folder.size() == 2) && !Fake().lockedFiles.count(key) &&
         !Fake().readOnlyFiles.count(key);
}

inline int Export(const std::vector<std::wstring>& args) {
  const auto place = PlaceOf(args[1]);
  if (!place || !Fake().registry.count(*place) || args.size() < 3) return 1;
  const bool overwrite = args.size() > 3 && args[3] == L"/y";
  if ((FakeHasFile(args[2]) && !overwrite) || !FileWritable(args[2])) return 1;
  // The tool names each key by its path as given, then the names below it.
  std::wstring text = std::wstring(kRegHeaderUnicode) + L"\r\n\r\n";
  const std::wstring top = LongRegKey(args[1]);
  for (const Place& key : Tree(*place)) {
    std::wstring below;  // the names below the exported key, as stored
    for (size_t cut = key.second.find(L'\\', place->second.size()); cut != std::wstring::npos;
         cut = key.second.find(L'\\', cut + 1)) {
      const size_t end = key.second.find(L'\\', cut + 1);
      below += L"\\" + Fake().registry[{key.first, key.second.substr(0, end)}].name;
    }
    text += L"[" + top + below + L"]\r\n";
    for (const FakeRegValue& value : Fake().registry[key].values)
      text += RegValueLine(value.name, value.type, value.bytes) + L"\r\n";
    text += L"\r\n";
  }
  // The tool writes over the file and does not flush; a full disk leaves it cut
  // short, with the tool failing.
  const bool full = Fake().diskFull;
  FakeAddFile(args[2], full ? std::string() : "\xFF\xFE" + Utf16(text));
  Fake().unflushed.insert(LowerAscii(args[2]));
  return full ? 1 : 0;
}

inline int Import(const std::vector<std::wstring>& args) {
  if (args.size() < 2 || !FakeHasFile(args[1])) return 1;
  const RegEntries read = ReadRegEntries(ReadRegFileText(FakeFileBytes(args[1])).text);
  for (const RegEntry& entry : read.entries) {
    const auto place = PlaceOf(entry.key);
    if (!place) return 1;
    if (entry.value)
      FakeSetRegValue(place->first, ParseRegPath(entry.key).subkey, entry.value->name,
                      entry.value->type, entry.value->bytes);
    else
      FakeAddRegKey(place->first, ParseRegPath(entry.key).subkey);
  }
  return read.whole ? 0 : 1;
}

}  // namespace fake_reg_detail

inline bool FakeRegTool(FakeHiddenStart& start) {
  using namespace fake_reg_detail;
  const std::vector<std::wstring> args = SplitArguments(start.commandLine);
  std::vector<std::wstring> rest(args.begin() + 1, args.end());
  if (rest.size() < 2) {
    start.exitCode = 1;
    return true;
  }
  const std::wstring& verb = rest[0];
  // What the tool changes stays in memory until the system writes it out.
  if (verb != L"EXPORT" && !Fake().registryOnDisk) Fake().registryOnDisk = Fake().registry;
  start.exitCode = verb == L"ADD"      ? Add(rest)
                   : verb == L"DELETE" ? Delete(rest)
                   : verb == L"COPY"   ? Copy(rest)
                   : verb == L"EXPORT" ? Export(rest)
                   : verb == L"IMPORT" ? Import(rest)
                                       : 1;
  return true;
}

// reg.exe to the stand-in above, the command interpreter to FakeInterpret; any
// other tool only "starts".
inline bool FakeRunTools(FakeHiddenStart& start) {
  if (StartsWith(start.commandLine, L"\"C:\\Windows\\system32\\reg.exe\""))
    return FakeRegTool(start);
  return FakeInterpret(start);
}
