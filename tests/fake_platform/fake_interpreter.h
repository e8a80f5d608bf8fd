// A stand-in for the command interpreter in the in-memory world: carries out the
// MKDIR, DEL and RMDIR command lines that the file operations send, so that tests
// see their effect. Install it with Fake().onHiddenStart = FakeInterpret.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/paths.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"

namespace fake_interpreter_detail {

inline void RemoveTree(const std::wstring& key) {
  auto& w = Fake();
  std::erase_if(w.unflushed,
                [&](const std::wstring& name) { return StartsWith(name, key + L"\\"); });
  std::erase_if(w.writeTimes,
                [&](const auto& time) { return StartsWith(time.first, key + L"\\"); });
  for (auto it = w.files.begin(); it != w.files.end();)
    it = StartsWith(it->first, key + L"\\") ? w.files.erase(it) : std::next(it);
  for (auto it = w.folders.begin(); it != w.folders.end();)
    it = StartsWith(*it, key + L"\\") ? w.folders.erase(it) : std::next(it);
  w.folders.erase(key);
}

inline bool HoldsAnything(const std::wstring& key) {
  for (const auto& [name, bytes] : Fake().files)
    if (StartsWith(name, key + L"\\")) return true;
  for (const auto& name : Fake().folders)
    if (StartsWith(name, key + L"\\")) return true;
  return false;
}

}  // namespace fake_interpreter_detail

// Other command lines (registry tool, ...) only "start". A locked file is neither
// deleted nor lets its folder go, as on Windows.
inline bool FakeInterpret(const FakeHiddenStart& start) {
  using namespace fake_interpreter_detail;
  const std::wstring prefix = L"\"C:\\Windows\\system32\\cmd.exe\" /c ";
  if (!StartsWith(start.commandLine, prefix)) return true;
  std::wstring rest = start.commandLine.substr(prefix.size());
  const std::wstring verb = rest.substr(0, rest.find(L' '));
  rest = rest.substr(verb.size() + 1);
  std::wstring path;
  if (!rest.empty() && rest.front() == L'"') {
    const size_t close = rest.find(L'"', 1);
    path = rest.substr(1, close - 1);
    rest = rest.substr(close + 1);
  } else {
    path = rest.substr(0, rest.find(L' '));
    rest = rest.substr(path.size());
  }
  const std::wstring key = LowerAscii(path);
  auto& w = Fake();
  auto locked = [&](const std::wstring& under) {
    for (const auto& name : w.lockedFiles)
      if (name == under || StartsWith(name, under + L"\\")) return true;
    return false;
  };
  // Nothing can be made or removed where the system cannot read.
  if (FakeUnreadable(key)) return true;
  if (verb == L"MKDIR") {
    // No folder is made on a drive that is not there.
    if (w.diskFull ||
        (key.size() > 1 && key[1] == L':' && os::FileState(key.substr(0, 2)) != os::kStateFolder))
      return true;
    for (size_t cut = key.find(L'\\');; cut = key.find(L'\\', cut + 1)) {
      const std::wstring level = key.substr(0, cut);
      if (w.files.count(level)) break;
      if (level.back() != L':') w.folders.insert(level);
      if (cut == std::wstring::npos) break;
    }
  } else if (verb == L"DEL" && rest == L" /F /Q") {
    const std::wstring parent = key.substr(0, key.find_last_of(L'\\'));
    const auto entries = os::ListFolder(parent, key.substr(parent.size() + 1));
    for (const os::DirEntry& e : entries.value_or(std::vector<os::DirEntry>{})) {
      const std::wstring name = parent + L"\\" + LowerAscii(e.name);
      if (e.isFolder || e.isHiddenOrSystem || locked(name)) continue;
      w.files.erase(name);
      w.writeTimes.erase(name);
      w.readOnlyFiles.erase(name);
      w.unflushed.erase(name);
    }
  } else if (verb == L"RMDIR" && rest == L" /S /Q") {
    if (!w.folders.count(key)) return true;
    if (!locked(key)) {
      RemoveTree(key);
      return true;
    }
    // Everything that is not locked goes; the locked files and their folders stay.
    for (auto it = w.files.begin(); it != w.files.end();)
      it = StartsWith(it->first, key + L"\\") && !locked(it->first) ? w.files.erase(it)
                                                                    : std::next(it);
  } else if (verb == L"RMDIR" && rest == L" /Q") {
    if (w.folders.count(key) && !HoldsAnything(key)) w.folders.erase(key);
  } else {
    ADD_FAILURE() << "unknown command: " << Utf8FromWide(start.commandLine);
  }
  return true;
}

// A deletion that outlives its wait: the first deletion of the place (RMDIR or DEL
// of the command interpreter, reg.exe DELETE; one that starts while `when` holds)
// reports that it has not ended, and does its work only once the next tool has
// done its own (in this launcher start or a later one), taking whatever is there
// by then. Every command line goes to `tools`.
inline std::function<bool(FakeHiddenStart&)> FakeDeletionOutlivingItsWait(
    const std::wstring& place, std::function<bool(FakeHiddenStart&)> tools = FakeInterpret,
    std::function<bool()> when = [] { return true; }) {
  const std::wstring named = L" " + LowerAscii(QuoteIfSpaced(place)) + L" /";
  return [named, tools, when, slow = false,
          pending = std::optional<FakeHiddenStart>()](FakeHiddenStart& start) mutable {
    const std::optional<FakeHiddenStart> finishing = std::exchange(pending, std::nullopt);
    const std::wstring line = LowerAscii(start.commandLine);
    const bool deletes = Contains(line, L"/c rmdir ") || Contains(line, L"/c del ") ||
                         Contains(line, L"reg.exe\" delete ");
    bool started = true;
    if (!slow && deletes && Contains(line, named) && when()) {
      slow = true;
      pending = start;
      start.ended = false;
    } else {
      started = tools(start);
    }
    if (finishing) {
      FakeHiddenStart late = *finishing;
      tools(late);
    }
    return started;
  };
}
