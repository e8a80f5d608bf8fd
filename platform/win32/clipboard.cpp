// The clipboard's text.
#include <windows.h>

#include <cstring>

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

bool SetClipboardText(const std::wstring& text) {
  // The clipboard belongs to a window: a message-only one of our own, for the call.
  HWND owner =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (owner == nullptr) return false;
  bool done = false;
  if (OpenClipboard(owner)) {
    if (EmptyClipboard()) {
      const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
      HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
      if (void* chars = block ? GlobalLock(block) : nullptr) {
        std::memcpy(chars, text.c_str(), bytes);
        GlobalUnlock(block);
        // The clipboard owns the block once it has taken it.
        done = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
      }
      if (block && !done) GlobalFree(block);
    }
    CloseClipboard();
  }
  DestroyWindow(owner);
  return done;
}

}  // namespace os
