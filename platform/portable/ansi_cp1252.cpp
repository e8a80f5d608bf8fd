// The ANSI code page of builds that run without Windows (the in-memory platform of
// the native tests, the native scramble tool): Windows-1252, the code page of
// Western European Windows systems. Bytes the code page leaves undefined map to
// the control characters of the same number, as MultiByteToWideChar does.
#include <array>

#include "platform/platform.h"

namespace {

// U+0080 to U+009F as Windows-1252 places them; 0 where the byte is undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Every byte's character, looked up: whole files are read through here.
constexpr auto kWideOfByte = [] {
  std::array<char16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte)
    table[byte] = byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0
                      ? kHighControls[byte - 0x80]
                      : static_cast<char16_t>(byte);
  return table;
}();

wchar_t WideOf(unsigned char byte) { return static_cast<wchar_t>(kWideOfByte[byte]); }

char ByteOf(wchar_t c) {
  const auto code = static_cast<unsigned long>(c);
  // ASCII, the bulk of any text, and Latin-1 above the C1 range are themselves.
  if (code < 0x80 || (code >= 0xA0 && code < 0x100)) return static_cast<char>(code);
  for (unsigned k = 0; k < 32; ++k)
    if (kHighControls[k] != 0 && kHighControls[k] == code) return static_cast<char>(0x80 + k);
  if (code < 0x100 && WideOf(static_cast<unsigned char>(code)) == c) return static_cast<char>(code);
  return '?';
}

}  // namespace

namespace os {

// Both write into strings sized in advance: whole files pass through here.
std::string AnsiFromWide(const std::wstring& text) {
  std::string bytes(text.size(), '\0');
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // One character outside the basic plane is one default character, as on Windows.
    const bool pair = sizeof(wchar_t) == 2 && text[i] >= 0xD800 && text[i] <= 0xDBFF &&
                      i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    bytes[out++] = ByteOf(text[i]);
    if (pair) ++i;
  }
  bytes.resize(out);
  return bytes;
}

std::wstring WideFromAnsi(std::string_view bytes) {
  std::wstring text(bytes.size(), L'\0');
  wchar_t* const put = text.data();
  const char* const at = bytes.data();
  for (size_t i = 0; i < bytes.size(); ++i) put[i] = WideOf(static_cast<unsigned char>(at[i]));
  return text;
}

}  // namespace os
