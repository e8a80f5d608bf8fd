// `regdll`: a library registered or unregistered by regsvr32.exe, silently.
#pragma once

#include <string_view>

#include "platform/context.h"

// The option "unregister" (exactly) unregisters; any other registers.
void RegisterDll(const LauncherContext& ctx, std::wstring_view library, std::wstring_view option);
