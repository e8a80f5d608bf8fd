#include "platform/text.h"

#include <bit>
#include <charconv>
#include <cstring>

namespace {

bool IsSpace(wchar_t c) { return c == L' '; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

template <typename Pred>
std::wstring_view TrimWith(std::wstring_view text, Pred pred) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && pred(text[begin])) ++begin;
  while (end > begin && pred(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

wchar_t LowerAsciiChar(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c + (L'a' - L'A') : c; }

void AppendUtf16(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

}  // namespace

std::wstring TrimSpaces(std::wstring_view text) { return std::wstring(TrimWith(text, IsSpace)); }
std::wstring_view TrimSpacesView(std::wstring_view text) { return TrimWith(text, IsSpace); }
std::wstring TrimBlanks(std::wstring_view text) { return std::wstring(TrimWith(text, IsBlank)); }
std::wstring_view TrimBlanksView(std::wstring_view text) { return TrimWith(text, IsBlank); }

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool Contains(std::wstring_view text, std::wstring_view part) {
  return text.find(part) != std::wstring_view::npos;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
  if (from.empty()) return std::wstring(text);
  std::wstring out;
  out.reserve(text.size());  // most replacements keep the size or shrink it
  size_t pos = 0;
  for (size_t hit; (hit = text.find(from, pos)) != std::wstring_view::npos;
       pos = hit + from.size()) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(text.substr(pos));
  return out;
}

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring out(text);
  for (auto& c : out) c = LowerAsciiChar(c);
  return out;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  const wchar_t* x = a.data();
  const wchar_t* y = b.data();
  for (size_t i = 0; i < a.size(); ++i)
    if (x[i] != y[i] && LowerAsciiChar(x[i]) != LowerAsciiChar(y[i])) return false;
  return true;
}

std::wstring WideFromUtf8(std::string_view bytes) {
  // Never more UTF-16 units than bytes: written in place, cut to length at the end.
  std::wstring out(bytes.size(), L'\0');
  wchar_t* const put = out.data();
  size_t n = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {  // ASCII, the bulk of any file
      put[n++] = static_cast<wchar_t>(b0);
      ++i;
      continue;
    }
    int length = (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    char32_t cp = length == 2 ? (b0 & 0x1F) : length == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    bool ok = length > 0;
    for (int k = 1; ok && k < length; ++k) {
      const auto b = i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
      if ((b & 0xC0) != 0x80) {
        ok = false;
        length = k;  // resume at the byte that broke the sequence
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed too.
    static constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
      ok = false;
    i += length > 0 ? length : 1;
    if (!ok) {
      put[n++] = L'\xFFFD';
    } else if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
      put[n++] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
      put[n++] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put[n++] = static_cast<wchar_t>(cp);
    }
  }
  out.resize(n);
  return out;
}

namespace {

// Each code point of the text once, a lone surrogate or a value past U+10FFFF as
// U+FFFD.
template <typename Visit>
void ForEachCodePoint(std::wstring_view text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        ++i;
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    visit(cp);
  }
}

}  // namespace

std::string Utf8FromWide(std::wstring_view text) {
  // Measured first, then written in place: no growing on the way.
  size_t length = 0;
  ForEachCodePoint(text, [&length](char32_t cp) {
    length += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  });
  std::string out(length, '\0');
  char* put = out.data();
  ForEachCodePoint(text, [&put](char32_t cp) {
    if (cp < 0x80) {
      *put++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
      *put++ = static_cast<char>(0xC0 | (cp >> 6));
      *put++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *put++ = static_cast<char>(0xE0 | (cp >> 12));
      *put++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *put++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      *put++ = static_cast<char>(0xF0 | (cp >> 18));
      *put++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *put++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *put++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
  });
  return out;
}

bool IsWellFormedUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    // The second byte's range rules out overlong forms, surrogates and values
    // past U+10FFFF; later bytes are plain continuation bytes.
    unsigned char low = 0x80, high = 0xBF;
    size_t length = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      if (b0 == 0xE0) low = 0xA0;
      if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      if (b0 == 0xF0) low = 0x90;
      if (b0 == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    if (b1 < low || b1 > high) return false;
    for (size_t k = 2; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

std::optional<std::wstring> WideFromUtf16Le(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::wstring out;
  out.reserve(bytes.size() / 2);
  const auto unit = [&](size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                 (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  };
  const size_t units = bytes.size() / 2;
  for (size_t k = 0; k < units; ++k) {
    const char32_t u = unit(k);
    if (u >= 0xDC00 && u <= 0xDFFF) return std::nullopt;
    if (u >= 0xD800 && u <= 0xDBFF) {
      const char32_t next = k + 1 < units ? unit(k + 1) : 0;
      if (next < 0xDC00 || next > 0xDFFF) return std::nullopt;
      AppendUtf16(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
      ++k;
      continue;
    }
    out.push_back(static_cast<wchar_t>(u));
  }
  return out;
}

// Written in place in one pass, a unit read with one load: this runs over every
// registry value and registry file read.
std::wstring Utf16LeUnits(std::string_view bytes) {
  const size_t units = bytes.size() / 2;
  std::wstring text(units, L'\0');
  wchar_t* const put = text.data();
  const char* const at = bytes.data();
  size_t length = 0;
  for (; length < units; ++length) {
    std::uint16_t unit = 0;
    std::memcpy(&unit, at + 2 * length, sizeof unit);
    if constexpr (std::endian::native == std::endian::big)
      unit = static_cast<std::uint16_t>(unit >> 8 | unit << 8);
    if (unit == 0) break;
    put[length] = static_cast<wchar_t>(unit);
  }
  text.resize(length);
  return text;
}

std::string Utf16LeFromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto put = [&](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  for (wchar_t c : text) {
    const auto cp = static_cast<char32_t>(c);
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

std::uint64_t Fnv1a64(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// Years counted from 1 March, so that the leap day ends the year.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;  // 0..399
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::wstring HexDigits(std::uint64_t value, int digits) {
  std::wstring text(static_cast<size_t>(digits), L'0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    text[static_cast<size_t>(i)] = L"0123456789abcdef"[value & 0xF];
  return text;
}

std::wstring DecimalText(std::uint64_t number) {
  char digits[24];
  char* const end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  return std::wstring(digits, end);
}
