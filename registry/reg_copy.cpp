#include "registry/reg_copy.h"

#include <cstdint>
#include <string>

#include "fileops/direct_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "process/run_hidden.h"
#include "registry/reg_arguments.h"
#include "registry/reg_create.h"
#include "registry/reg_delete.h"
#include "registry/reg_file_format.h"
#include "registry/reg_files.h"
#include "registry/reg_flush.h"
#include "registry/reg_notation.h"
#include "registry/reg_read.h"

namespace {

bool SameValue(const ValuePath& a, const ValuePath& b) {
  return SameRegKey(a.keyPath, b.keyPath) && EqualsIgnoringAsciiCase(a.valueName, b.valueName);
}

// Texts the quoted form holds, and DWORDs, go on reg.exe's command line as the
// tool takes them: the text as it is, the number unsigned.
bool AddPlainValue(const LauncherContext& ctx, std::wstring_view key, std::wstring_view name,
                   const os::RegData& data) {
  if (data.type == os::kRegSz) {
    std::wstring text;
    for (size_t i = 0; i + 3 < data.bytes.size(); i += 2)
      text += static_cast<wchar_t>(static_cast<unsigned char>(data.bytes[i]) |
                                   static_cast<unsigned char>(data.bytes[i + 1]) << 8);
    return AddRegValue(ctx, key, name, L"REG_SZ", RegArgument(text), L"", kToolEndBoundMs);
  }
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(data.bytes[i]);
  return AddRegValue(ctx, key, name, L"REG_DWORD", DecimalText(number), L"", kToolEndBoundMs);
}

// Anything else: a registry file of the one value, imported.
bool ImportValue(const LauncherContext& ctx, std::wstring_view key, std::wstring_view name,
                 const os::RegData& data) {
  return ImportRegBytes(ctx,
                        RegValueFile(LongRegKey(key), RegValueLine(name, data.type, data.bytes)),
                        kToolEndBoundMs);
}

}  // namespace

bool CopyRegKey(const LauncherContext& ctx, std::wstring_view source, std::wstring_view target,
                unsigned waitMs) {
  if (!IsRegKeyPath(source) || !IsRegKeyPath(target) || RegKeyWithin(target, source)) return false;
  if (DeletionMayReach(ctx, RegPlace(target, nullptr))) return false;
  if (ReadRegKeyCounts(source).outcome == os::RegOutcome::Missing) return false;
  const ToolRun run = RunHidden(
      ctx, ctx.regExe, L"COPY " + QuoteArgument(source) + L" " + QuoteArgument(target) + L" /s /f",
      waitMs);
  return EndedWell(run) && ReadRegKeyCounts(target).outcome == os::RegOutcome::Ok &&
         FlushRegKeyPath(target);
}

bool CopyRegValue(const LauncherContext& ctx, std::wstring_view sourceKey,
                  std::wstring_view sourceName, std::wstring_view targetKey,
                  std::wstring_view targetName) {
  const std::wstring name(targetName);
  if (DeletionMayReach(ctx, RegPlace(targetKey, &name))) return false;
  const os::RegData data = ReadRegValueData(sourceKey, sourceName);
  if (data.outcome != os::RegOutcome::Ok) return false;
  const bool plain = (data.type == os::kRegSz && IsPlainRegText(data.bytes)) ||
                     (data.type == os::kRegDword && data.bytes.size() == 4);
  if (!(plain ? AddPlainValue(ctx, targetKey, targetName, data)
              : ImportValue(ctx, targetKey, targetName, data)))
    return false;
  const os::RegData copy = ReadRegValueData(targetKey, targetName);
  return copy.outcome == os::RegOutcome::Ok && copy.type == data.type && copy.bytes == data.bytes &&
         FlushRegKeyPath(targetKey);
}

void CopyOrMoveRegKey(const LauncherContext& ctx, std::wstring_view source,
                      std::wstring_view target, bool move, bool reverse) {
  std::wstring from = RemoveTrailingBackslashes(source);
  std::wstring to = RemoveTrailingBackslashes(target);
  if (!IsRegKeyPath(from) || !IsRegKeyPath(to)) return;
  if (reverse) std::swap(from, to);
  // One key in two notations, or one inside the other: a move would delete the
  // data it is about to copy.
  if (RegKeyWithin(to, from) || (move && RegKeyWithin(from, to))) return;
  // The target goes first, so that the copy does not merge into old data; only
  // once it is gone does the copy start.
  if (move && !RemoveRegKey(ctx, to, kToolEndBoundMs)) return;
  if (CopyRegKey(ctx, from, to, kToolEndBoundMs) && move) RemoveRegKey(ctx, from, kToolTimeoutMs);
}

void CopyOrMoveRegValue(const LauncherContext& ctx, std::wstring_view source,
                        std::wstring_view target, bool move, bool reverse) {
  ValuePath from = SplitValuePath(RemoveTrailingBackslashes(source));
  ValuePath to = SplitValuePath(RemoveTrailingBackslashes(target));
  if (!IsRegKeyPath(from.keyPath) || !IsRegKeyPath(to.keyPath) || from.valueName.empty() ||
      to.valueName.empty() || SameValue(from, to))
    return;
  if (reverse) std::swap(from, to);
  if (move && !DeleteRegValue(ctx, to.keyPath, to.valueName, kToolEndBoundMs)) return;
  if (CopyRegValue(ctx, from.keyPath, from.valueName, to.keyPath, to.valueName) && move)
    DeleteRegValue(ctx, from.keyPath, from.valueName);
}
