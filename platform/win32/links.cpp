// Symbolic links made through the file API.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/change_gate.h"

namespace os {

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool folder) {
  if (win32::GateRefuses(L"MakeSymbolicLink", link, true)) return false;
  // Windows 10 in developer mode makes links without elevation when asked to;
  // older systems refuse the flag as an invalid parameter.
  constexpr DWORD kAllowUnprivileged = 0x2;
  const DWORD kind = folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), kind | kAllowUnprivileged)) return true;
  if (GetLastError() != ERROR_INVALID_PARAMETER) return false;
  return CreateSymbolicLinkW(link.c_str(), target.c_str(), kind) != FALSE;
}

}  // namespace os
