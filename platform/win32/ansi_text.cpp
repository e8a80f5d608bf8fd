// Conversions through the system's ANSI code page. Kept apart from the windows so
// that the scramble tool links them alone.
#include <windows.h>

#include <climits>

#include "platform/platform.h"

namespace os {

std::string AnsiFromWide(const std::wstring& text) {
  if (text.empty() || text.size() > INT_MAX) return std::string();
  const int length = static_cast<int>(text.size());
  const int needed =
      WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string bytes(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), needed, nullptr, nullptr);
  return bytes;
}

std::wstring WideFromAnsi(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
  return text;
}

}  // namespace os
