#include "fileops/text_format.h"

#include "platform/platform.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kMarkUtf16Le = "\xFF\xFE";
constexpr std::string_view kMarkUtf8 = "\xEF\xBB\xBF";

// Marks of formats the launcher does not write: a file carrying one is left alone.
// UTF-32LE comes first, as its mark begins like the UTF-16LE one.
constexpr std::string_view kForeignMarks[] = {std::string_view("\xFF\xFE\x00\x00", 4),
                                              std::string_view("\x00\x00\xFE\xFF", 4), "\xFE\xFF"};

bool HoldsMultiByte(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

DecodedText Read(std::string_view bytes) {
  for (std::string_view mark : kForeignMarks)
    if (bytes.starts_with(mark)) return DecodedText{TextFormat::Ansi, L"", false};
  if (bytes.starts_with(kMarkUtf16Le)) {
    std::optional<std::wstring> text = WideFromUtf16Le(bytes.substr(kMarkUtf16Le.size()));
    if (!text) return DecodedText{TextFormat::Utf16Le, L"", false};
    return DecodedText{TextFormat::Utf16Le, std::move(*text), true};
  }
  if (bytes.starts_with(kMarkUtf8)) {
    const std::string_view rest = bytes.substr(kMarkUtf8.size());
    return DecodedText{TextFormat::Utf8WithMark, WideFromUtf8(rest), IsWellFormedUtf8(rest)};
  }
  // Every ANSI code page holds ASCII as itself.
  if (!HoldsMultiByte(bytes))
    return DecodedText{TextFormat::Ansi, std::wstring(bytes.begin(), bytes.end()), true};
  // Without a mark, well-formed UTF-8 with a character beyond ASCII is UTF-8 (XML,
  // JSON, many ini files): read through the code page it would come back garbled.
  if (IsWellFormedUtf8(bytes)) return DecodedText{TextFormat::Utf8, WideFromUtf8(bytes), true};
  std::wstring text = os::WideFromAnsi(bytes);
  // A code page with lead bytes can meet a sequence it does not define.
  const bool faithful = os::AnsiFromWide(text) == bytes;
  return DecodedText{TextFormat::Ansi, std::move(text), faithful};
}

std::string Encoded(std::wstring_view text, TextFormat format) {
  switch (format) {
    case TextFormat::Utf16Le:
      return std::string(kMarkUtf16Le) + Utf16LeFromWide(text);
    case TextFormat::Utf8WithMark:
      return std::string(kMarkUtf8) + Utf8FromWide(text);
    case TextFormat::Utf8:
      return Utf8FromWide(text);
    case TextFormat::Ansi:
      return os::AnsiFromWide(std::wstring(text));
  }
  return std::string();
}

}  // namespace

DecodedText ReadText(std::string_view bytes) {
  DecodedText read = Read(bytes);
  // A zero character says the file is not text (UTF-16 without a mark, or binary).
  if (read.text.find(L'\0') != std::wstring::npos) read.faithful = false;
  return read;
}

std::optional<DecodedText> DecodeText(std::string_view bytes) {
  DecodedText read = ReadText(bytes);
  if (!read.faithful) return std::nullopt;
  return read;
}

std::optional<std::string> EncodeText(std::wstring_view text, TextFormat format) {
  std::string bytes = Encoded(text, format);
  // Read back the way the next edit, and the launcher itself, will read the file;
  // for ASCII the format may differ, the text cannot.
  const std::optional<DecodedText> back = DecodeText(bytes);
  if (!back || back->text != text) return std::nullopt;
  return bytes;
}
