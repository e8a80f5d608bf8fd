// The older REGEDIT4 form of registry files, as the current form reads it: what
// keeping other items' data in a shared file of that form takes once an export in
// the current form is put into it.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_file_format.h"

namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// "41,42, 00": bytes of one or two hex digits, a comma between them, blanks and a
// last comma allowed. nullopt for anything else.
std::optional<std::string> HexList(std::wstring_view list) {
  std::string bytes;
  bytes.reserve(list.size() / 3 + 1);
  while (!TrimBlanksView(list).empty()) {
    const size_t comma = list.find(L',');
    const std::wstring_view digits = TrimBlanksView(list.substr(0, comma));
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int value = 0;
    for (const wchar_t c : digits) {
      if (HexDigit(c) < 0) return std::nullopt;
      value = value * 16 + HexDigit(c);
    }
    bytes += static_cast<char>(value);
    list = comma == std::wstring_view::npos ? std::wstring_view() : list.substr(comma + 1);
  }
  return bytes;
}

// The type of hex(N) data ("hex(2):..."), and where its bytes begin; nullopt for
// data in another form.
std::optional<std::pair<unsigned, size_t>> HexType(std::wstring_view data) {
  if (!data.starts_with(L"hex(")) return std::nullopt;
  const size_t close = data.find(L"):");
  if (close == std::wstring_view::npos || close == 4) return std::nullopt;
  std::uint64_t type = 0;
  for (const wchar_t c : data.substr(4, close - 4)) {
    if (HexDigit(c) < 0) return std::nullopt;
    type = type * 16 + static_cast<unsigned>(HexDigit(c));
    if (type > 0xFFFFFFFFu) return std::nullopt;
  }
  return std::pair{static_cast<unsigned>(type), close + 2};
}

}  // namespace

std::optional<std::wstring> RegBodyInCurrentForm(std::wstring_view body) {
  if (body.empty()) return std::wstring();
  std::vector<std::wstring_view> lines;
  lines.reserve(static_cast<size_t>(std::count(body.begin(), body.end(), L'\n')) + 1);
  for (size_t start = 0; start < body.size();) {
    const size_t end = std::min(body.find(kLineEnd, start), body.size());
    lines.push_back(body.substr(start, end - start));
    start = end + kLineEnd.size();
  }
  std::wstring out;
  out.reserve(body.size() + kLineEnd.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto start = ReadValueLineStart(lines[i]);
    const auto hex = start ? HexType(lines[i].substr(start->dataAt)) : std::nullopt;
    const bool text = hex && (hex->first == os::kRegSz || hex->first == os::kRegExpandSz ||
                              hex->first == os::kRegMultiSz);
    if (!text) {
      out.append(lines[i]).append(kLineEnd);
      continue;
    }
    // The value with its continued lines, each but the last ended by a backslash.
    // An empty line ends even a value cut short after its backslash, as in Split:
    // it stays, as the line that parts the next section from this one.
    std::wstring list(lines[i].substr(start->dataAt + hex->second));
    while (list.ends_with(L'\\') && i + 1 < lines.size()) {
      list.pop_back();
      if (lines[i + 1].empty()) break;
      list += lines[++i];
    }
    const auto bytes = HexList(list);
    if (!bytes) return std::nullopt;
    const std::wstring converted = os::WideFromAnsi(*bytes);
    out.append(RegValueLine(ValueNameOf(*start), hex->first,
                            EncodeRegText(converted, RegTextFormat::Utf16Le)))
        .append(kLineEnd);
  }
  // The body's last line had no line end unless the body ended with one.
  if (!body.ends_with(kLineEnd)) out.resize(out.size() - kLineEnd.size());
  return out;
}
