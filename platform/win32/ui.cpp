// Message boxes and the top-level window list.
#include <windows.h>

#include "platform/platform.h"

namespace os {

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned style) {
  return MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

std::vector<std::wstring> TopLevelWindowTitles() {
  std::vector<std::wstring> titles;
  // The desktop's child chain holds hidden windows too, unlike what the user sees.
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    const int length = GetWindowTextLengthW(window);
    std::wstring title(static_cast<size_t>(length) + 2, L'\0');
    const int got = GetWindowTextW(window, title.data(), length + 2);
    title.resize(got > 0 ? static_cast<size_t>(got) : 0);
    titles.push_back(title);
  }
  return titles;
}

}  // namespace os
