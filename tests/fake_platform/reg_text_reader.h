// Reading what goes to reg.exe and what registry files hold, without the
// launcher's own code: the command line split as the C runtime splits it, and a
// registry file's value lines parsed back. Shared by the reg.exe stand-in and the
// fuzz target, which checks the launcher's writers against it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"

namespace fake_reg_detail {

// The C runtime's rules: blanks separate outside quotes; 2n backslashes before a
// quote give n and toggle quoting, 2n + 1 give n and a quote; others are plain.
inline std::vector<std::wstring> SplitArguments(const std::wstring& line) {
  std::vector<std::wstring> args;
  args.reserve(4);  // the tool's command lines have a few
  size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    if (i >= line.size()) return args;
    std::wstring arg;
    arg.reserve(line.size() - i);
    bool quoted = false;
    for (; i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t')); ++i) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == L'\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == L'"') {
        arg.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1)
          arg += L'"';
        else
          quoted = !quoted;
      } else {
        arg.append(backslashes, L'\\');
        if (i >= line.size()) break;
        if (!quoted && (line[i] == L' ' || line[i] == L'\t')) break;
        arg += line[i];
      }
    }
    args.push_back(std::move(arg));
  }
}

// UTF-16LE, as Windows holds texts: where wchar_t is 32 bits, a character past
// U+FFFF (read from a UTF-8 file) is its two units.
inline std::string Utf16(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(2 * text.size());
  const auto unit = [&bytes](std::uint32_t u) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>((u >> 8) & 0xFF);
  };
  for (const wchar_t c : text) {
    const auto cp = static_cast<std::uint32_t>(c);
    if (cp > 0xFFFF) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return bytes;
}

inline int DigitValue(wchar_t c, bool hex) {
  return c >= L'0' && c <= L'9'          ? c - L'0'
         : hex && c >= L'a' && c <= L'f' ? c - L'a' + 10
         : hex && c >= L'A' && c <= L'F' ? c - L'A' + 10
                                         : -1;
}

// The number the digits spell, in base 16 or 10; nullopt past the limit or for
// any other character.
inline std::optional<std::uint64_t> Digits(std::wstring_view digits, bool hex,
                                           std::uint64_t limit) {
  std::uint64_t value = 0;
  for (wchar_t c : digits) {
    const int digit = DigitValue(c, hex);
    if (digit < 0 || value > (limit - digit) / (hex ? 16 : 10)) return std::nullopt;
    value = value * (hex ? 16 : 10) + digit;
  }
  return value;
}

inline std::optional<std::uint64_t> Number(std::wstring_view text, std::uint64_t limit) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
  return Digits(hex ? text.substr(2) : text, hex, limit);
}

inline std::optional<std::string> HexBytes(std::wstring_view digits) {
  std::string bytes;
  bytes.reserve(digits.size() / 2 + 1);
  // An odd count: the first digit alone is the first byte.
  size_t i = digits.size() % 2;
  if (i == 1) {
    const int low = DigitValue(digits[0], true);
    if (low < 0) return std::nullopt;
    bytes += static_cast<char>(low);
  }
  for (; i < digits.size(); i += 2) {
    const int high = DigitValue(digits[i], true), low = DigitValue(digits[i + 1], true);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high << 4 | low);
  }
  return bytes;
}

// The text of a quoted name or string at the start of rest; rest then follows it.
inline std::optional<std::wstring> Unquote(std::wstring_view& rest) {
  if (rest.empty() || rest[0] != L'"') return std::nullopt;
  std::wstring text;
  text.reserve(std::min(rest.find(L'"', 1), rest.size()));
  for (size_t i = 1; i < rest.size(); ++i) {
    if (rest[i] == L'\\' && i + 1 < rest.size()) {
      text += rest[++i];
    } else if (rest[i] == L'"') {
      rest.remove_prefix(i + 1);
      return text;
    } else {
      text += rest[i];
    }
  }
  return std::nullopt;
}

inline std::optional<std::pair<unsigned, std::string>> ImportData(std::wstring_view data) {
  if (auto text = Unquote(data); text && data.empty()) {
    text->push_back(L'\0');
    return std::pair{os::kRegSz, Utf16(*text)};
  }
  if (StartsWith(data, L"dword:")) {
    const auto value = Digits(data.substr(6), true, 0xFFFFFFFFULL);
    if (!value || data.size() != 14) return std::nullopt;
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(*value >> (8 * i));
    return std::pair{os::kRegDword, bytes};
  }
  unsigned type = os::kRegBinary;
  if (StartsWith(data, L"hex(")) {
    const size_t close = data.find(L"):");
    if (close == std::wstring_view::npos) return std::nullopt;
    const auto number = Digits(data.substr(4, close - 4), true, 0xFFFFFFFFULL);
    if (!number) return std::nullopt;
    type = static_cast<unsigned>(*number);
    data.remove_prefix(close + 2);
  } else if (StartsWith(data, L"hex:")) {
    data.remove_prefix(4);
  } else {
    return std::nullopt;
  }
  // Two digits a byte, a comma between bytes.
  std::string bytes;
  bytes.reserve(data.size() / 3 + 1);
  for (size_t i = 0; i < data.size(); i += 3) {
    if (i + 2 > data.size() || (i + 2 < data.size() && data[i + 2] != L',')) return std::nullopt;
    const int high = DigitValue(data[i], true), low = DigitValue(data[i + 1], true);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high << 4 | low);
  }
  return std::pair{type, std::move(bytes)};
}

// The next line of a registry file's text from `at` on, a hex value's continued
// lines joined: then into `joined`, which the line views until the next call.
// False at the text's end.
inline bool NextRegLine(std::wstring_view text, size_t& at, std::wstring& joined,
                        std::wstring_view& line) {
  if (at >= text.size()) return false;
  bool continued = false;
  while (at < text.size()) {
    const size_t end = std::min(text.find(L'\n', at), text.size());
    std::wstring_view piece = text.substr(at, end - at);
    at = end + 1;
    if (piece.ends_with(L'\r')) piece.remove_suffix(1);
    if (continued) piece = TrimSpacesView(piece);
    // A hex value goes on in the next line after a closing backslash.
    const bool goesOn =
        piece.ends_with(L'\\') && (continued || piece.find(L"=hex") != std::wstring_view::npos);
    if (goesOn) piece.remove_suffix(1);
    if (!continued && !goesOn) {
      line = piece;
      return true;
    }
    if (!continued) {
      joined.reserve(piece.size() + text.size() - std::min(at, text.size()));
      joined.assign(piece);
    } else {
      joined += piece;
    }
    continued = goesOn;
    if (!continued) break;
  }
  line = joined;  // also where the text ends after a backslash
  return true;
}

struct ValueLine {
  std::wstring name;
  unsigned type = 0;
  std::string bytes;
  bool operator==(const ValueLine&) const = default;
};

// "name"=data or @=data (the default value); nullopt for anything else.
// quotedData, where given, tells whether the data is a quoted text.
inline std::optional<ValueLine> ParseValueLine(std::wstring_view line, bool* quotedData = nullptr) {
  ValueLine value;
  if (!line.empty() && line.front() == L'@') {
    line.remove_prefix(1);
  } else if (auto quoted = Unquote(line)) {
    value.name = std::move(*quoted);
  } else {
    return std::nullopt;
  }
  if (line.empty() || line.front() != L'=') return std::nullopt;
  if (quotedData) *quotedData = line.size() > 1 && line[1] == L'"';
  auto data = ImportData(line.substr(1));
  if (!data) return std::nullopt;
  value.type = data->first;
  value.bytes = std::move(data->second);
  return value;
}

// What a registry file's text brings into the registry, read as reg.exe imports
// it: its first line is a header (blanks before it allowed, nothing else), and in
// the REGEDIT4 form the texts of hex(1), hex(2) and hex(7) values are bytes of the
// ANSI code page, which the tool converts to UTF-16LE (as Wine's reg.exe was seen
// to do). Read up to the first line it cannot take; `whole` tells whether it read
// to the end.
struct RegEntry {
  std::wstring key;                // as the section line names it
  std::optional<ValueLine> value;  // none: the section line itself
  bool operator==(const RegEntry&) const = default;
};
struct RegEntries {
  std::vector<RegEntry> entries;
  bool whole = false;
};
inline RegEntries ReadRegEntries(std::wstring_view text) {
  RegEntries read;
  size_t at = 0;
  std::wstring joined;
  std::wstring_view line;
  if (!NextRegLine(text, at, joined, line)) return read;
  const std::wstring_view header =
      line.substr(std::min(line.find_first_not_of(L" \t"), line.size()));
  if (header != L"Windows Registry Editor Version 5.00" && header != L"REGEDIT4") return read;
  const bool older = header == L"REGEDIT4";
  read.entries.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), L'\n')));
  std::wstring key;
  bool inSection = false;
  while (NextRegLine(text, at, joined, line)) {
    if (line.empty()) continue;
    if (line.front() == L'[' && line.back() == L']') {
      key = line.substr(1, line.size() - 2);
      inSection = true;
      read.entries.push_back(RegEntry{key, std::nullopt});
      continue;
    }
    bool quoted = false;
    auto value = ParseValueLine(line, &quoted);
    if (!inSection || !value) return read;
    if (older && !quoted &&
        (value->type == os::kRegSz || value->type == os::kRegExpandSz ||
         value->type == os::kRegMultiSz))
      value->bytes = Utf16(os::WideFromAnsi(value->bytes));
    read.entries.push_back(RegEntry{key, std::move(value)});
  }
  read.whole = true;
  return read;
}

}  // namespace fake_reg_detail
