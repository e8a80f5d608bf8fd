// The formats of the text files that replace, replaceline, iniread and iniwrite
// read and rewrite, told apart by their first bytes, and the way back to bytes in
// the same format.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class TextFormat {
  Utf16Le,       // FF FE
  Utf8WithMark,  // EF BB BF
  Utf8,          // no mark, well-formed UTF-8 holding at least one multi-byte sequence
  Ansi,          // no mark, anything else: the system's ANSI code page
};

struct DecodedText {
  TextFormat format = TextFormat::Ansi;
  std::wstring text;     // without the mark
  bool faithful = true;  // the bytes come back from the text in the format
};

// The format and the text of a file's bytes. nullopt for what cannot be read and
// written back byte for byte: UTF-16BE (FE FF), UTF-32 (FF FE 00 00, 00 00 FE FF),
// a zero character, an odd UTF-16 length or unpaired surrogate, malformed UTF-8
// after a mark, bytes the ANSI code page does not carry both ways.
std::optional<DecodedText> DecodeText(std::string_view bytes);

// What a reader makes of any bytes, also of those DecodeText refuses (not
// faithful then), for a file that is read but never written: malformed UTF-8
// gives U+FFFD, bytes the code page does not carry both ways what it makes of
// them, a zero character stays; a foreign mark or broken UTF-16 gives no text.
DecodedText ReadText(std::string_view bytes);

// The mark of the format followed by the text in it. nullopt when those bytes
// would not read back as the same text: a character the format cannot carry (one
// the ANSI code page lacks), a zero character, ANSI bytes that read as UTF-8, a
// text without a mark that begins with one. Writing them would change the text.
std::optional<std::string> EncodeText(std::wstring_view text, TextFormat format);
