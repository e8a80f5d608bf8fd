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
  if (os::FileState(folder) != -2) CreateDir(ctx, folder);
}

// The files that exports of the running walk have written; the list starts anew
// with each walk.
bool WrittenInThisWalk(const LauncherContext& ctx, const std::wstring& file) {
  if (ctx.regFilesPhase != ctx.phase) {
    ctx.regFilesPhase = ctx.phase;
    ctx.regFilesWritten.clear();
  }
  const std::wstring key = LowerAscii(file);
  return std::find(ctx.regFilesWritten.begin(), ctx.regFilesWritten.end(), key) !=
             ctx.regFilesWritten.end() &&
         os::FileState(file) >= 0;
}

void NoteWritten(const LauncherContext& ctx, const std::wstring& file) {
  if (!WrittenInThisWalk(ctx, file)) ctx.regFilesWritten.push_back(LowerAscii(file));
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
  // A file an earlier item of this walk wrote gets this key appended: the tool
  // writes a part file beside it, which is then added to it.
  const bool append = WrittenInThisWalk(ctx, file);
  const std::wstring written = append ? file + L".voq-part" : file;
  // Without the overwrite switch (older systems) the tool would ask about a file
  // that is there; the part file is never there.
  if (append) os::DeleteOneFile(written);
  const ToolRun run = RunHidden(
      ctx, ctx.regExe,
      L"EXPORT " + QuoteArgument(key) + L" " + QuoteArgument(written) + ctx.exportOverwriteSwitch,
      waitMs);
  std::string bytes;
  bool done = EndedWell(run) && ReadFileBytes(written, bytes) && RegFileHoldsKey(bytes, key);
  if (append) {
    done = done && AppendRegFile(file, bytes);
    os::DeleteOneFile(written);
  } else {
    // The tool does not flush what it writes, and the key it came from may be
    // deleted next: a power cut must not leave the only copy as zeros.
    done = done && os::FlushFile(file);
  }
  if (done) NoteWritten(ctx, file);
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
  if (data.outcome == os::RegOutcome::Missing) {
    // No stale export of a value that is gone, but never what this walk wrote.
    if (!WrittenInThisWalk(ctx, file)) DeleteFiles(ctx, file);
    return true;
  }
  if (data.outcome != os::RegOutcome::Ok) return false;
  const std::string bytes =
      RegValueFile(LongRegKey(split.keyPath), RegValueLine(split.valueName, data.type, data.bytes));
  const bool done =
      WrittenInThisWalk(ctx, file) ? AppendRegFile(file, bytes) : WriteFileAtomically(file, bytes);
  if (done) NoteWritten(ctx, file);
  return done;
}

bool ImportRegFile(const LauncherContext& ctx, std::wstring_view fileName, unsigned waitMs) {
  const std::wstring file = RegFilePath(ctx, fileName);
  if (os::FileState(file) < 0) return false;
  return EndedWell(RunHidden(ctx, ctx.regExe, L" IMPORT " + RegArgument(file), waitMs));
}

bool ImportRegFileFor(const LauncherContext& ctx, std::wstring_view fileName,
                      std::wstring_view keyPath, const std::wstring* valueName) {
  const std::wstring path = RegFilePath(ctx, fileName);
  if (os::FileState(path) == -1) return true;
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  const std::string part = RegFileSubset(bytes, keyPath, valueName);
  return part.empty() || ImportRegBytes(ctx, part, kToolTimeoutMs);
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
