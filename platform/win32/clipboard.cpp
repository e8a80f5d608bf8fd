// The clipboard's text.
#include <windows.h>

#include "platform/platform.h"

namespace os {

std::wstring ClipboardText() {
  // Another program may hold the clipboard open; then there is simply no text.
  if (!OpenClipboard(nullptr)) return std::wstring();
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      // A block without terminator ends at its size, never past it.
      const SIZE_T capacity = GlobalSize(data) / sizeof(wchar_t);
      SIZE_T length = 0;
      while (length < capacity && chars[length] != L'\0') ++length;
      text.assign(chars, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace os
