#include "fileops/text_edits.h"

#include <optional>

#include "fileops/atomic_write.h"
#include "fileops/text_format.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

std::optional<DecodedText> ReadText(const std::wstring& path) {
  // A folder or nothing at all under the name.
  if (os::FileState(path) < 0) return std::nullopt;
  const os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
  if (file == 0) return std::nullopt;
  std::string bytes;
  const bool read = os::ReadWholeFile(file, bytes);
  os::CloseFile(file);
  if (!read) return std::nullopt;
  return DecodeText(bytes);
}

bool WriteText(const std::wstring& path, std::wstring_view text, TextFormat format) {
  const std::optional<std::string> bytes = EncodeText(text, format);
  return bytes && WriteFileAtomically(path, *bytes);
}

// Length of the line end at pos: CR LF, LF or a lone CR; 0 at the end of the text.
std::size_t LineEndLength(std::wstring_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  if (text[pos] == L'\r' && pos + 1 < text.size() && text[pos + 1] == L'\n') return 2;
  return 1;
}

}  // namespace

bool ReplaceTextInFile(const std::wstring& path, std::wstring_view find,
                       std::wstring_view replacement) {
  if (find.empty()) return false;
  const std::optional<DecodedText> decoded = ReadText(path);
  if (!decoded || !Contains(decoded->text, find)) return false;
  return WriteText(path, ReplaceAll(decoded->text, find, replacement), decoded->format);
}

bool ReplaceLineInFile(const std::wstring& path, std::wstring_view lineStart,
                       std::wstring_view newLine) {
  if (lineStart.empty()) return false;
  const std::optional<DecodedText> decoded = ReadText(path);
  if (!decoded) return false;
  const std::wstring_view text = decoded->text;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find_first_of(L"\r\n", begin);
    if (end == std::wstring_view::npos) end = text.size();
    if (StartsWith(text.substr(begin, end - begin), lineStart)) {
      std::wstring changed(text.substr(0, begin));
      changed += newLine;
      changed += text.substr(end);
      return WriteText(path, changed, decoded->format);
    }
    begin = end + LineEndLength(text, end);
  }
  return false;
}
