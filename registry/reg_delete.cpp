#include "registry/reg_delete.h"

#include <string>

#include "fileops/direct_ops.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "registry/reg_arguments.h"
#include "registry/reg_flush.h"
#include "registry/reg_notation.h"
#include "registry/reg_read.h"

namespace {

// The key above: cut after the last backslash or slash, trailing backslashes removed.
std::wstring ParentKey(std::wstring_view key) {
  const std::wstring trimmed = RemoveTrailingBackslashes(key);
  const size_t cut = trimmed.find_last_of(L"\\/");
  return RemoveTrailingBackslashes(cut == std::wstring::npos
                                       ? std::wstring_view()
                                       : std::wstring_view(trimmed).substr(0, cut + 1));
}

// The parent clean-up stays below these, compared in exactly this letter case.
bool BelowSoftware(std::wstring_view key) {
  static constexpr std::wstring_view kSoftwareKeys[] = {
      L"HKCU\\Software\\", L"HKEY_CURRENT_USER\\Software\\", L"HKLM\\SOFTWARE\\",
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\"};
  for (std::wstring_view software : kSoftwareKeys)
    if (Contains(key, software)) return true;
  return false;
}

// A tool still running when its wait ended may yet delete whatever comes to the
// place: nothing is copied there for the rest of the run (reg_copy.h).
bool Removed(const LauncherContext& ctx, const std::wstring& place, const ToolRun& run) {
  if (run.started && !run.ended) ctx.deletionsNotEnded.push_back(place);
  return EndedWell(run);
}

}  // namespace

std::wstring RegPlace(std::wstring_view keyPath, const std::wstring* valueName) {
  const std::wstring key = CanonicalRegKey(RemoveTrailingBackslashes(keyPath));
  return valueName ? key + L"\\" + LowerAscii(*valueName) : key;
}

bool DeleteRegValue(const LauncherContext& ctx, std::wstring_view keyPath,
                    std::wstring_view valueName, unsigned waitMs) {
  if (keyPath.empty() || valueName.empty()) return false;
  const std::wstring key = RemoveTrailingBackslashes(keyPath);
  // Gone in memory may not be gone on the disk yet (a run killed after the tool):
  // written out all the same, where there is a key to write.
  if (ReadRegValueData(key, valueName).outcome == os::RegOutcome::Missing) {
    FlushRegKeyPath(key);
    return true;
  }
  const std::wstring name(valueName);
  const std::wstring place = RegPlace(key, &name);
  if (DeletionMayReach(ctx, place)) return false;  // the tool still at work there
  const std::wstring parameters =
      L" DELETE " + QuoteArgument(key) + L" /v " + QuoteArgument(valueName) + L" /f";
  return Removed(ctx, place, RunHidden(ctx, ctx.regExe, parameters, waitMs)) &&
         FlushRegKeyPath(key);
}

bool RemoveRegKey(const LauncherContext& ctx, std::wstring_view keyPath, unsigned waitMs) {
  const std::wstring key = RemoveTrailingBackslashes(keyPath);
  if (key.empty() || (ParseRegPath(key).root && !IsRegKeyPath(key))) return false;
  if (ReadRegKeyCounts(key).outcome == os::RegOutcome::Missing) {
    FlushParentRegKey(key);
    return true;
  }
  const std::wstring place = RegPlace(key, nullptr);
  if (DeletionMayReach(ctx, place)) return false;  // the tool still at work there
  return Removed(ctx, place,
                 RunHidden(ctx, ctx.regExe, L"DELETE " + RegArgument(key) + L" /f", waitMs)) &&
         FlushParentRegKey(key);
}

void DeleteRegKey(const LauncherContext& ctx, std::wstring_view keyPath, bool parentCleanUp,
                  bool skipDelete) {
  if (!skipDelete) RemoveRegKey(ctx, keyPath, kToolTimeoutMs);
  if (!parentCleanUp || !Contains(keyPath, L"\\Software\\")) return;
  for (std::wstring key = ParentKey(keyPath); BelowSoftware(key); key = ParentKey(key))
    DeleteEmptyRegKey(ctx, key);
}

void DeleteEmptyRegKey(const LauncherContext& ctx, std::wstring_view keyPath) {
  if (keyPath.empty()) return;
  const std::wstring key = ExpandRootNames(keyPath);
  const os::RegKeyCounts counts = ReadRegKeyCounts(key);
  if (counts.outcome != os::RegOutcome::Ok || counts.subkeys != 0) return;
  unsigned values = counts.values;
  if (values == 1) {
    // The default value alone does not make the key worth keeping.
    const os::RegOutcome defaultValue = ReadRegValueData(key, L"").outcome;
    if (defaultValue == os::RegOutcome::Failed) return;
    if (defaultValue == os::RegOutcome::Ok) values = 0;
  }
  if (values == 0) DeleteRegKey(ctx, key);
}
