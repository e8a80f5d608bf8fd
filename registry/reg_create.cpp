#include "registry/reg_create.h"

#include <cstdint>

#include "platform/paths.h"
#include "platform/text.h"
#include "registry/reg_arguments.h"
#include "registry/reg_notation.h"
#include "registry/reg_read.h"

namespace {

// Without overwrite only an empty place takes a REG_SZ value. Read whole and with
// read access: a long text or another type is data, never "empty".
bool MayWriteWithoutOverwrite(const std::wstring& key, std::wstring_view name,
                              std::wstring_view type) {
  if (type != L"REG_SZ") return false;
  const os::RegData present = ReadRegValueData(key, name);
  if (present.outcome == os::RegOutcome::Missing) return true;
  return present.outcome == os::RegOutcome::Ok && present.type == os::kRegSz &&
         (present.bytes.size() < 2 || (present.bytes[0] == '\0' && present.bytes[1] == '\0'));
}

}  // namespace

void CreateRegKey(const LauncherContext& ctx, std::wstring_view keyPath) {
  const std::wstring key = RemoveTrailingBackslashes(keyPath);
  if (key.empty() || (ParseRegPath(key).root && !IsRegKeyPath(key))) return;
  if (IsRegKeyPath(key) && ReadRegKeyCounts(key).outcome != os::RegOutcome::Missing) return;
  RunHidden(ctx, ctx.regExe, L"ADD " + QuoteArgument(key) + L" /ve /f", kToolTimeoutMs);
}

bool CreateRegValue(const LauncherContext& ctx, std::wstring_view keyPath,
                    std::wstring_view valueName, std::wstring_view type, std::wstring_view data,
                    bool overwrite, std::wstring_view separator) {
  const std::wstring key = RemoveTrailingBackslashes(keyPath);
  if (key.empty()) return false;
  if (!overwrite && !MayWriteWithoutOverwrite(key, valueName, type)) return false;
  const bool text = type == L"REG_SZ" || type == L"REG_EXPAND_SZ";
  const std::wstring argument =
      text ? QuoteArgument(data) : RegArgument(UnsignedRegNumber(type, data));
  return AddRegValue(ctx, key, valueName, type, argument, separator, kToolTimeoutMs);
}

bool AddRegValue(const LauncherContext& ctx, std::wstring_view keyPath, std::wstring_view valueName,
                 std::wstring_view type, std::wstring_view dataArgument,
                 std::wstring_view separator, unsigned waitMs) {
  std::wstring parameters = L" ADD " + QuoteArgument(keyPath) + L" /v " + QuoteArgument(valueName) +
                            L" /t " + std::wstring(type) + L" /d " + std::wstring(dataArgument);
  if (!separator.empty()) parameters += L" /s " + RegArgument(separator);
  parameters += L" /f";
  return EndedWell(RunHidden(ctx, ctx.regExe, parameters, waitMs));
}

std::wstring UnsignedRegNumber(std::wstring_view type, std::wstring_view data) {
  const bool dword = type == L"REG_DWORD";
  if ((!dword && type != L"REG_QWORD") || data.size() < 2 || data[0] != L'-')
    return std::wstring(data);
  // The magnitude of the most negative number of the type: 2^31 or 2^63.
  const std::uint64_t limit = dword ? 0x80000000ULL : 0x8000000000000000ULL;
  std::uint64_t magnitude = 0;
  for (const wchar_t c : data.substr(1)) {
    if (c < L'0' || c > L'9' || magnitude > (limit - (c - L'0')) / 10) return std::wstring(data);
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  const std::uint64_t bits = dword ? (0x100000000ULL - magnitude) & 0xFFFFFFFFULL : 0 - magnitude;
  return DecimalText(bits);
}
