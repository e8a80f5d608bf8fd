#include "fileops/direct_ops.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "process/run_hidden.h"

namespace {

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  return EndsWithBackslash(folder) ? folder + name : folder + L"\\" + name;
}

// Folder part and last component of a path, split at its last backslash.
struct Split {
  std::wstring folder;
  std::wstring name;
};
std::optional<Split> SplitLast(const std::wstring& path) {
  const std::wstring trimmed = RemoveTrailingBackslashes(path);
  const size_t cut = trimmed.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut + 1 == trimmed.size()) return std::nullopt;
  return Split{trimmed.substr(0, cut), trimmed.substr(cut + 1)};
}

void RemoveTree(const std::wstring& folder) {
  const auto entries = os::ListFolder(folder, L"*");
  if (!entries) return;
  for (const os::DirEntry& entry : *entries) {
    const std::wstring path = Join(folder, entry.name);
    if (entry.isFolder && !entry.isLink) {
      RemoveTree(path);
    } else if (entry.isFolder) {
      os::RemoveOneFolder(path);
    } else {
      os::SetNormalAttributes(path);
      os::DeleteOneFile(path);
    }
  }
  os::SetNormalAttributes(folder);
  os::RemoveOneFolder(folder);
}

std::wstring Comparable(std::wstring_view path) {
  std::wstring text = LowerAscii(path);
  std::replace(text.begin(), text.end(), L'/', L'\\');
  text.resize(WithoutTrailingBackslashes(text).size());
  return text;
}

}  // namespace

bool InterpreterCanTake(std::wstring_view path) {
  size_t quotes = 0;
  for (const wchar_t c : path) {
    if (c == L'%' || c == L'!' || c < 0x20) return false;
    if (c == L'"') ++quotes;
  }
  if (quotes == 0) return true;
  const std::wstring trimmed = TrimSpaces(path);
  return quotes == 2 && trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"';
}

bool RunInterpreter(const LauncherContext& ctx, std::wstring_view parameters, unsigned timeoutMs) {
  const ToolRun run = RunHidden(ctx, ctx.commandInterpreter, parameters, timeoutMs);
  // A tool that did not start is not running either.
  return !run.started || run.ended;
}

bool RunDeletion(const LauncherContext& ctx, const std::wstring& place,
                 std::wstring_view parameters) {
  // The tool still at work there gets no second one, which would wait as long again.
  if (DeletionMayReach(ctx, place)) return false;
  if (RunInterpreter(ctx, parameters, kToolEndBoundMs)) return true;
  // A pattern's matches are not known here: the folder that holds them is noted.
  ctx.deletionsNotEnded.push_back(HasWildcard(place) ? place.substr(0, place.find_last_of(L'\\'))
                                                     : place);
  return false;
}

bool DeletionMayReach(const LauncherContext& ctx, std::wstring_view place) {
  for (const std::wstring& deleting : ctx.deletionsNotEnded)
    if (IsWithin(place, deleting) || IsWithin(deleting, place)) return true;
  return false;
}

bool CopyFileOver(const std::wstring& source, const std::wstring& target) {
  if (os::CopyFileReplacing(source, target)) return true;
  // Queried only once the copy is refused, not for every file.
  constexpr unsigned kProtecting = os::kAttrReadOnly | os::kAttrHidden | os::kAttrSystem;
  const auto before = os::FileAttributes(target);
  if (!before || (*before & os::kAttrDirectory) || (*before & kProtecting) == 0) return false;
  if (!os::SetNormalAttributes(target)) return false;
  if (!os::CopyFileReplacing(source, target)) {
    os::SetFileAttributes(target, *before);  // the old file as it was
    return false;
  }
  // The copy's own attributes (CopyFileW gives it the source's), and the target's.
  const unsigned copied = os::FileAttributes(target).value_or(0) & ~os::kAttrNormal;
  os::SetFileAttributes(target, copied | (*before & kProtecting));
  return true;
}

void CreateFolderLevels(const std::wstring& path) {
  const std::wstring full = RemoveTrailingBackslashes(path);
  for (size_t cut = full.find(L'\\');; cut = full.find(L'\\', cut + 1)) {
    const std::wstring level = full.substr(0, cut);
    // "C:" and the empty text before a leading backslash are not folders to create.
    if (!level.empty() && level.back() != L':' && os::FileState(level) != os::kStateFolder &&
        !os::CreateOneFolder(level))
      return;
    if (cut == std::wstring::npos) return;
  }
}

void DeleteFilesDirectly(const std::wstring& path) {
  const auto split = SplitLast(path);
  if (!split) return;
  const auto entries = os::ListFolder(split->folder, split->name);
  if (!entries) return;
  for (const os::DirEntry& entry : *entries) {
    if (entry.isFolder || entry.isHiddenOrSystem) continue;
    const std::wstring file = Join(split->folder, entry.name);
    os::SetNormalAttributes(file);
    os::DeleteOneFile(file);
  }
}

void RemoveFolderDirectly(const std::wstring& path, bool onlyWhenEmpty) {
  const auto split = SplitLast(path);
  if (!split) return;
  // The entry itself, to tell a link from a real folder before going inside.
  const auto self = os::ListFolder(split->folder, split->name);
  if (!self || self->empty() || !self->front().isFolder) return;
  const std::wstring folder = Join(split->folder, self->front().name);
  if (onlyWhenEmpty || self->front().isLink)
    os::RemoveOneFolder(folder);
  else
    RemoveTree(folder);
}

bool SamePath(std::wstring_view a, std::wstring_view b) { return Comparable(a) == Comparable(b); }

bool IsWithin(std::wstring_view inner, std::wstring_view outer) {
  const std::wstring in = Comparable(inner);
  const std::wstring out = Comparable(outer);
  return in == out || (StartsWith(in, out) && in.size() > out.size() && in[out.size()] == L'\\');
}

bool HasWildcard(std::wstring_view path) { return path.find_first_of(L"*?") != path.npos; }

bool IsDriveRoot(std::wstring_view path) {
  const std::wstring trimmed = RemoveTrailingBackslashes(TrimSpaces(path));
  return trimmed.size() == 2 && trimmed[1] == L':';
}
