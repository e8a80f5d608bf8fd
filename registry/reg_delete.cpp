#include "registry/reg_delete.h"

#include <string>

#include "platform/paths.h"
#include "process/run_hidden.h"

void DeleteRegValue(const LauncherContext& ctx, std::wstring_view keyPath,
                    std::wstring_view valueName) {
  if (keyPath.empty() || valueName.empty()) return;
  const std::wstring parameters =
      L" DELETE \"" + std::wstring(keyPath) + L"\" /v \"" + std::wstring(valueName) + L"\" /f";
  RunHidden(ctx, ctx.regExe, parameters, kToolTimeoutMs);
}

void DeleteRegKey(const LauncherContext& ctx, std::wstring_view keyPath) {
  RunHidden(ctx, ctx.regExe, L"DELETE " + QuoteIfSpaced(keyPath) + L" /f", kToolTimeoutMs);
}
