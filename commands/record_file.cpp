#include "commands/record_file.h"

#include "platform/text.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string EndLine(size_t count, std::string_view before) {
  return "end " + Utf8FromWide(DecimalText(count)) + " " +
         Utf8FromWide(HexDigits(Fnv1a64(before), 16)) + std::string(kLineEnd);
}

}  // namespace

std::string FramedText(std::wstring_view comment, std::wstring_view kind,
                       const std::vector<std::wstring>& lines) {
  std::string text = "; " + Utf8FromWide(comment);
  text += kLineEnd;
  text += Utf8FromWide(kind);
  text += kLineEnd;
  for (const std::wstring& line : lines) {
    text += Utf8FromWide(line);
    text += kLineEnd;
  }
  return text + EndLine(lines.size(), text);
}

std::optional<std::vector<std::wstring>> ReadFramed(std::string_view bytes,
                                                    std::wstring_view kind) {
  // Every line ends in CR LF, the last one too: a file cut anywhere lacks its end.
  std::vector<std::string_view> lines;
  size_t count = 0;
  for (size_t at = bytes.find(kLineEnd); at != std::string_view::npos;
       at = bytes.find(kLineEnd, at + kLineEnd.size()))
    ++count;
  lines.reserve(count);
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find(kLineEnd, start);
    if (end == std::string_view::npos) return std::nullopt;
    lines.push_back(bytes.substr(start, end - start));
    start = end + kLineEnd.size();
  }
  if (lines.size() < 3 || lines[0].substr(0, 2) != "; " || lines[1] != Utf8FromWide(kind))
    return std::nullopt;
  const size_t bodyEnd = static_cast<size_t>(lines.back().data() - bytes.data());
  const std::string end = EndLine(lines.size() - 3, bytes.substr(0, bodyEnd));
  if (lines.back() != std::string_view(end).substr(0, end.size() - kLineEnd.size()))
    return std::nullopt;
  std::vector<std::wstring> body;
  body.reserve(lines.size() - 3);
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    if (!IsWellFormedUtf8(lines[i])) return std::nullopt;
    body.push_back(WideFromUtf8(lines[i]));
  }
  return body;
}
