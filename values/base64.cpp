#include "values/base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of one character, or -1 when it is none of the alphabet's.
int SextetOf(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return c - L'A';
  if (c >= L'a' && c <= L'z') return c - L'a' + 26;
  if (c >= L'0' && c <= L'9') return c - L'0' + 52;
  if (c == L'+' || c == L'-') return 62;
  if (c == L'/' || c == L'_') return 63;
  return -1;
}

}  // namespace

std::wstring EncodeBase64(std::string_view bytes) {
  std::wstring out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
    out.push_back(static_cast<wchar_t>(kAlphabet[(group >> 18) & 63]));
    out.push_back(static_cast<wchar_t>(kAlphabet[(group >> 12) & 63]));
    out.push_back(left > 1 ? static_cast<wchar_t>(kAlphabet[(group >> 6) & 63]) : L'=');
    out.push_back(left > 2 ? static_cast<wchar_t>(kAlphabet[group & 63]) : L'=');
  }
  return out;
}

std::optional<std::string> DecodeBase64(std::wstring_view text) {
  std::wstring significant;
  significant.reserve(text.size());
  for (wchar_t c : text)
    if (c != L'\t' && c != L'\r' && c != L'\n') significant.push_back(c);

  std::string out;
  out.reserve(significant.size() / 4 * 3);
  for (size_t start = 0; significant.size() - start >= 4; start += 4) {
    unsigned group = 0;
    int sextets = 0;
    for (; sextets < 4; ++sextets) {
      const wchar_t c = significant[start + static_cast<size_t>(sextets)];
      if (c == L'=') break;
      const int value = SextetOf(c);
      if (value < 0) return std::nullopt;
      group |= static_cast<unsigned>(value) << (18 - 6 * sextets);
    }
    // Two sextets make one whole byte, three make two, four make three.
    const int whole = sextets * 6 / 8;
    for (int k = 0; k < whole; ++k)
      out.push_back(static_cast<char>((group >> (16 - 8 * k)) & 0xFF));
  }
  return out;
}
