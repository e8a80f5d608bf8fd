#include "registry/reg_files.h"

#include <algorithm>

#include "fileops/atomic_write.h"
#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_arguments.h"
#include "registry/reg_file_format.h"
#include "registry/reg_notation.h"
#include "registry/reg_read.h"

namespace {

constexpr std::wstring_view kDefaultRegFile = L"settings.reg";

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  const os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
  if (file == 0) return false;
  const bool read = os::ReadWholeFile(file, bytes);
  os::CloseFile(file);
  return read;
}

void CreateParentFolder(const LauncherContext& ctx, const std::wstring& file) {
  const std::wstring folder = ParentFolder(ctx, file);
  if (os::FileState(folder) != os::kStateFolder) CreateDir(ctx, folder);
}

// Puts an item's part (empty: none) into the registry file in place of what the
// file held of the item, written in one step and flushed; the file goes when
// nothing else is left in it. False when the file could not be read or written,
// or is no registry file that the other items' parts could be kept in: then it
// stays as it is.
bool PutItemPart(const LauncherContext& ctx, const std::wstring& file, const std::string& part,
                 std::wstring_view keyPath, const std::wstring* valueName) {
  std::string bytes;
  if (os::FileState(file) != os::kStateMissing && !ReadFileBytes(file, bytes)) return false;
  const auto updated = RegFileWithPart(bytes, part, keyPath, valueName);
  if (!updated) return false;
  if (*updated == bytes && os::FileState(file) >= 0) return true;
  if (!updated->empty()) return WriteFileAtomically(file, *updated);
  return DeleteFiles(ctx, file) && os::FileState(file) == os::kStateMissing;
}

// The file as it is with the registry file appended, written in one step.
bool AppendRegFile(const std::wstring& target, const std::string& appendBytes) {
  std::string bytes;
  if (!ReadFileBytes(target, bytes)) return false;
  bytes += RegAppendBytes(bytes, appendBytes);
  return WriteFileAtomically(target, bytes);
}

}  // namespace

std::wstring RegFilePath(const LauncherContext& ctx, std::wstring_view name) {
  std::wstring file(name);
  if (file.empty() || EndsWithBackslash(file)) file += kDefaultRegFile;
  return ResolvePath(ctx, file);
}

void RegExport(const LauncherContext& ctx, std::wstring_view registryPath,
               std::wstring_view fileName) {
  if (EndsWithBackslash(registryPath))
    ExportRegKey(ctx, registryPath, fileName);
  else
    ExportRegValue(ctx, registryPath, fileName);
}

bool ExportRegKey(const LauncherContext& ctx, std::wstring_view keyPath, std::wstring_view fileName,
                  unsigned waitMs) {
  // "HKCU\Software\App\" on the command line would swallow its closing quote.
  const std::wstring key = RemoveTrailingBackslashes(keyPath);
  if (key.empty()) return false;
  const std::wstring file = RegFilePath(ctx, fileName);
  CreateParentFolder(ctx, file);
  if (ReadRegKeyCounts(key).outcome == os::RegOutcome::Missing) return false;
  // The tool writes a part file beside the registry file, which then takes the
  // part in place of its own of this key: items sharing the file keep theirs,
  // whichever of them export in this run. Without the overwrite switch (older
  // systems) the tool would ask about a file that is there; the part file never is.
  const std::wstring part = file + L".voq-part";
  os::DeleteOneFile(part);
  const ToolRun run = RunHidden(
      ctx, ctx.regExe,
      L"EXPORT " + QuoteArgument(key) + L" " + QuoteArgument(part) + ctx.exportOverwriteSwitch,
      waitMs);
  std::string bytes;
  const bool done = EndedWell(run) && ReadFileBytes(part, bytes) && RegFileHoldsKey(bytes, key) &&
                    PutItemPart(ctx, file, bytes, key, nullptr);
  os::DeleteOneFile(part);
  return done;
}

bool ExportRegValue(const LauncherContext& ctx, std::wstring_view valuePath,
                    std::wstring_view fileName) {
  const std::wstring path = RemoveTrailingBackslashes(valuePath);
  if (path.empty()) return false;
  const std::wstring file = RegFilePath(ctx, fileName);
  CreateParentFolder(ctx, file);
  const ValuePath split = SplitValuePath(path);
  const os::RegData data = ReadRegValueData(split.keyPath, split.valueName);
  // A value that is gone leaves no stale export, but other items' data stays.
  if (data.outcome == os::RegOutcome::Missing)
    return PutItemPart(ctx, file, {}, split.keyPath, &split.valueName);
  if (data.outcome != os::RegOutcome::Ok) return false;
  return PutItemPart(
      ctx, file,
      RegValueFile(LongRegKey(split.keyPath), RegValueLine(split.valueName, data.type, data.bytes)),
      split.keyPath, &split.valueName);
}

bool ImportRegFile(const LauncherContext& ctx, std::wstring_view fileName, unsigned waitMs) {
  const std::wstring file = RegFilePath(ctx, fileName);
  if (os::FileState(file) < 0) return false;
  return EndedWell(RunHidden(ctx, ctx.regExe, L" IMPORT " + RegArgument(file), waitMs));
}

bool ImportRegFileFor(const LauncherContext& ctx, std::wstring_view fileName,
                      std::wstring_view keyPath, const std::wstring* valueName) {
  const std::wstring path = RegFilePath(ctx, fileName);
  if (os::FileState(path) == os::kStateMissing) return true;
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  const auto part = RegFileSubset(bytes, keyPath, valueName);
  // A file the registry editor would not read may hold the item's data all the
  // same: the item is not used for the run, and nothing is carried over the file.
  if (!part) return false;
  // Waited for until it ends: an item whose import did not end is given up for
  // the run, and a tool still writing would mix the part into the machine's data.
  return part->empty() || ImportRegBytes(ctx, *part, kToolEndBoundMs);
}

bool ImportRegBytes(const LauncherContext& ctx, const std::string& bytes, unsigned waitMs) {
  const std::wstring file = os::TempFolderLong() + ctx.launcherName + L"-import.reg";
  if (!os::WriteNewFile(file, bytes)) return false;
  const bool imported = ImportRegFile(ctx, file, waitMs);
  os::DeleteOneFile(file);
  return imported;
}

void MergeRegFiles(const LauncherContext& ctx, std::wstring_view targetFile,
                   std::wstring_view appendFile) {
  const std::wstring target = ResolvePath(ctx, targetFile);
  const std::wstring appended = ResolvePath(ctx, appendFile);
  if (os::FileState(target) < 0 || os::FileState(appended) < 0) return;
  if (SamePath(target, appended)) return;  // into itself: it would be deleted
  std::string bytes;
  if (!ReadFileBytes(appended, bytes)) return;
  // The appended file goes only once the target holds all of it.
  if (AppendRegFile(target, bytes)) os::DeleteOneFile(appended);
}
