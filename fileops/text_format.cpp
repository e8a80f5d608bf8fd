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

bool HoldsZero(std::wstring_view text) { return text.find(L'\0') != std::wstring_view::npos; }

bool HoldsMultiByte(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

std::optional<std::wstring> AnsiText(std::string_view bytes) {
  std::wstring text = os::WideFromAnsi(std::string(bytes));
  // A code page with lead bytes can meet a sequence it does not define.
  if (os::AnsiFromWide(text) != bytes) return std::nullopt;
  return text;
}

std::optional<DecodedText> Decode(std::string_view bytes) {
  for (std::string_view mark : kForeignMarks)
    if (bytes.starts_with(mark)) return std::nullopt;
  if (bytes.starts_with(kMarkUtf16Le)) {
    std::optional<std::wstring> text = WideFromUtf16Le(bytes.substr(kMarkUtf16Le.size()));
    if (!text) return std::nullopt;
    return DecodedText{TextFormat::Utf16Le, std::move(*text)};
  }
  if (bytes.starts_with(kMarkUtf8)) {
    const std::string_view rest = bytes.substr(kMarkUtf8.size());
    if (!IsWellFormedUtf8(rest)) return std::nullopt;
    return DecodedText{TextFormat::Utf8WithMark, WideFromUtf8(rest)};
  }
  // A zero byte says the file is not 8-bit text (UTF-16 without a mark, or binary).
  if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
  // Without a mark, well-formed UTF-8 with a character beyond ASCII is UTF-8 (XML,
  // JSON, many ini files): read through the code page it would come back garbled.
  if (HoldsMultiByte(bytes) && IsWellFormedUtf8(bytes))
    return DecodedText{TextFormat::Utf8, WideFromUtf8(bytes)};
  std::optional<std::wstring> text = AnsiText(bytes);
  if (!text) return std::nullopt;
  return DecodedText{TextFormat::Ansi, std::move(*text)};
}

}  // namespace

std::optional<DecodedText> DecodeText(std::string_view bytes) {
  std::optional<DecodedText> decoded = Decode(bytes);
  if (decoded && HoldsZero(decoded->text)) return std::nullopt;
  return decoded;
}

std::optional<std::string> EncodeText(std::wstring_view text, TextFormat format) {
  switch (format) {
    case TextFormat::Utf16Le:
      return std::string(kMarkUtf16Le) + Utf16LeFromWide(text);
    case TextFormat::Utf8WithMark:
      return std::string(kMarkUtf8) + Utf8FromWide(text);
    case TextFormat::Utf8:
      return Utf8FromWide(text);
    case TextFormat::Ansi: {
      std::string bytes = os::AnsiFromWide(std::wstring(text));
      if (os::WideFromAnsi(bytes) != text) return std::nullopt;
      return bytes;
    }
  }
  return std::nullopt;
}
