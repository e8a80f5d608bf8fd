#include "registry/register_dll.h"

#include <string>

#include "platform/paths.h"
#include "process/run_hidden.h"

void RegisterDll(const LauncherContext& ctx, std::wstring_view library, std::wstring_view option) {
  if (library.empty()) return;
  const std::wstring parameters = L" /s " + QuoteIfSpaced(ResolvePath(ctx, library));
  RunHidden(ctx, ctx.regsvr32Exe, option == L"unregister" ? L"/u" + parameters : parameters,
            kToolTimeoutMs);
}
