// The gate of platform/change_gate.h, as the calls of platform/win32 ask it.
#pragma once

#include "platform/change_gate.h"

namespace win32 {

extern os::ChangeGate g_changeGate;

inline bool GateRefuses(const wchar_t* call, const std::wstring& path, bool addsData) {
  return g_changeGate != nullptr && !g_changeGate(call, path, addsData);
}

}  // namespace win32
