#include "registry/reg_file_format.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_notation.h"

namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";
// A hex line is continued once it reaches this width, as the registry editor does.
constexpr size_t kHexLineWidth = 76;

wchar_t UnitAt(std::string_view bytes, size_t unit) {
  return static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * unit]) |
                              static_cast<unsigned char>(bytes[2 * unit + 1]) << 8);
}

// Quoted, with a backslash before each backslash and quote, at the end of out.
void AppendQuoted(std::wstring& out, std::wstring_view text) {
  out += L'"';
  for (const wchar_t c : text) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  out += L'"';
}

// At the end of out, the value's hex digits, at least width of them. Lower-case
// digits, as the registry editor writes bytes and type numbers.
void AppendHexDigits(std::wstring& out, std::uint64_t value, int width, bool upper = false) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  wchar_t reversed[16];
  int count = 0;
  do {
    reversed[count++] = digits[value & 0xF];
    value >>= 4;
  } while (value != 0 || count < width);
  while (count > 0) out += reversed[--count];
}

// "hex:" or "hex(N):" at the end of out.
void AppendHexForm(std::wstring& out, unsigned type) {
  if (type == os::kRegBinary) {
    out += L"hex:";
    return;
  }
  out += L"hex(";
  AppendHexDigits(out, type, 1);
  out += L"):";
}

constexpr std::wstring_view kContinued = L"\\\r\n  ";

// The most characters that HexBytes writes for so many bytes: three a byte, and a
// continuation at most once in every 24 bytes after the first line's.
size_t HexBytesRoom(size_t bytes) { return 3 * bytes + kContinued.size() * (bytes / 24 + 2); }

std::wstring HexBytes(std::wstring line, std::string_view bytes) {
  constexpr std::wstring_view kDigits = L"0123456789abcdef";
  // Written in place into room for the most it can take.
  const size_t start = line.size();
  line.resize(start + HexBytesRoom(bytes.size()));
  wchar_t* put = line.data() + start;
  size_t width = start;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    *put++ = kDigits[byte >> 4];
    *put++ = kDigits[byte & 0xF];
    width += 2;
    if (i + 1 == bytes.size()) break;
    *put++ = L',';
    if (++width >= kHexLineWidth) {
      for (const wchar_t c : kContinued) *put++ = c;
      width = 2;
    }
  }
  line.resize(static_cast<size_t>(put - line.data()));
  return line;
}

std::string_view FormatMark(RegTextFormat format) {
  if (format == RegTextFormat::Utf16Le) return "\xFF\xFE";
  if (format == RegTextFormat::Utf8) return "\xEF\xBB\xBF";
  return "";
}

}  // namespace

bool IsPlainRegText(std::string_view bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  const size_t last = bytes.size() / 2 - 1;
  if (UnitAt(bytes, last) != L'\0') return false;
  for (size_t unit = 0; unit < last; ++unit) {
    const wchar_t c = UnitAt(bytes, unit);
    if (c == L'\0' || c == L'\r' || c == L'\n') return false;
  }
  return true;
}

std::wstring RegValueLine(std::wstring_view name, unsigned type, std::string_view bytes) {
  const bool plainText = type == os::kRegSz && IsPlainRegText(bytes);
  std::wstring line;
  // Room for the name and the data in its form (escapes in a quoted name or text
  // may still grow it).
  line.reserve(name.size() + 16 + (plainText ? bytes.size() / 2 : HexBytesRoom(bytes.size())));
  if (name.empty())
    line = L"@";
  else
    AppendQuoted(line, name);
  line += L'=';
  if (plainText) {
    AppendQuoted(line, Utf16LeUnits(bytes));
    return line;
  }
  if (type == os::kRegDword && bytes.size() == 4) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    line += L"dword:";
    AppendHexDigits(line, value, 8, true);
    return line;
  }
  // REG_SZ in hex keeps its own type: hex(1).
  AppendHexForm(line, type);
  return HexBytes(std::move(line), bytes);
}

RegFileText ReadRegFileText(std::string_view bytes) {
  RegFileText file;
  if (bytes.starts_with("\xFF\xFE")) {
    file.format = RegTextFormat::Utf16Le;
    bytes.remove_prefix(2);
    file.text = Utf16LeUnits(bytes);
    return file;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    file.format = RegTextFormat::Utf8;
    bytes.remove_prefix(3);
  } else if (bytes.starts_with("\xFE\xFF")) {
    bytes.remove_prefix(2);
  } else if (bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4))) {
    bytes.remove_prefix(4);
  }
  bytes = bytes.substr(0, bytes.find('\0'));
  file.text = file.format == RegTextFormat::Utf8 ? WideFromUtf8(bytes) : os::WideFromAnsi(bytes);
  return file;
}

namespace {

// The mark, then the pieces' text at two bytes a unit, four for a character past
// U+FFFF (only where wchar_t holds whole code points); written in place in one
// pass, sized for two bytes a character and grown only at such a character. In
// pieces, so that a file made of parts of others is encoded without joining them.
std::string Utf16LeBytes(std::string_view mark, std::initializer_list<std::wstring_view> pieces) {
  size_t units = 0;
  for (const std::wstring_view piece : pieces) units += piece.size();
  std::string out(mark.size() + 2 * units, '\0');
  char* put = out.data();
  for (const char c : mark) *put++ = c;
  // A unit written with one store.
  const auto unit = [&put](std::uint32_t u) {
    auto low16 = static_cast<std::uint16_t>(u);
    if constexpr (std::endian::native == std::endian::big)
      low16 = static_cast<std::uint16_t>(low16 >> 8 | low16 << 8);
    std::memcpy(put, &low16, sizeof low16);
    put += sizeof low16;
  };
  for (const std::wstring_view text : pieces) {
    for (const wchar_t c : text) {
      const auto cp = static_cast<std::uint32_t>(c);
      if (cp > 0xFFFF) {
        const size_t written = static_cast<size_t>(put - out.data());
        out.resize(out.size() + 2);
        put = out.data() + written;
        unit(0xD800 + ((cp - 0x10000) >> 10));
        unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        unit(cp);
      }
    }
  }
  return out;
}

// A file's text from its pieces, in its format.
std::string Encoded(RegTextFormat format, std::initializer_list<std::wstring_view> pieces) {
  if (format == RegTextFormat::Utf16Le) return Utf16LeBytes(FormatMark(format), pieces);
  std::wstring text;
  for (const std::wstring_view piece : pieces) text.append(piece);
  return std::string(FormatMark(format)) + EncodeRegText(text, format);
}

}  // namespace

std::string EncodeRegText(std::wstring_view text, RegTextFormat format) {
  if (format == RegTextFormat::Utf8) return Utf8FromWide(text);
  if (format == RegTextFormat::Ansi) return os::AnsiFromWide(std::wstring(text));
  return Utf16LeBytes("", {text});
}

std::string RegAppendBytes(std::string_view targetBytes, std::string_view appendBytes) {
  const RegFileText appended = ReadRegFileText(appendBytes);
  const std::wstring_view header =
      appended.format == RegTextFormat::Utf16Le ? kRegHeaderUnicode : kRegHeaderAnsi;
  std::wstring headerLines(header);
  headerLines += L"\r\n\r\n";
  std::wstring text = ReplaceAll(appended.text, headerLines, L"");
  text += kLineEnd;
  RegTextFormat format = appended.format;
  if (targetBytes.starts_with("\xFF\xFE"))
    format = RegTextFormat::Utf16Le;
  else if (targetBytes.starts_with("\xEF\xBB\xBF"))
    format = RegTextFormat::Utf8;
  // A mark only where the file is new.
  return targetBytes.empty() ? Encoded(format, {text}) : EncodeRegText(text, format);
}

namespace {

// The next line of rest, without its line end, taken off rest; false at its end.
bool NextLine(std::wstring_view& rest, std::wstring_view& line) {
  if (rest.empty()) return false;
  const size_t end = std::min(rest.find(L'\n'), rest.size());
  line = rest.substr(0, end);
  if (line.ends_with(L'\r')) line.remove_suffix(1);
  rest.remove_prefix(std::min(end + 1, rest.size()));
  return true;
}

// The header that the first line of a file is; nullopt for any other line.
std::optional<std::wstring_view> HeaderOf(std::wstring_view line) {
  while (!line.empty() && (line.front() == L' ' || line.front() == L'\t')) line.remove_prefix(1);
  for (const std::wstring_view header : {kRegHeaderUnicode, kRegHeaderAnsi})
    if (line == header) return header;
  return std::nullopt;
}

bool HoldsNothing(std::wstring_view text) {
  return text.find_first_not_of(L" \t\r\n") == std::wstring_view::npos;
}

}  // namespace

std::optional<RegValueLineStart> ReadValueLineStart(std::wstring_view line) {
  if (line.starts_with(L"@=")) return RegValueLineStart{{}, 2};
  if (!line.starts_with(L'"')) return std::nullopt;
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == L'\\') {
      ++i;
    } else if (line[i] == L'"') {
      if (i + 1 < line.size() && line[i + 1] == L'=')
        return RegValueLineStart{line.substr(1, i - 1), i + 2};
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::wstring ValueNameOf(const RegValueLineStart& start) {
  const std::wstring_view written = start.writtenName;
  std::wstring name;
  name.reserve(written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    if (written[i] == L'\\' && i + 1 < written.size()) ++i;
    name += written[i];
  }
  return name;
}

namespace {

// A registry file's sections split between one item and the rest, each side in
// one form: every section line after an empty line, then its value lines (a
// continued hex value whole). Other lines (comments, empty lines) are dropped. A
// value item's key section goes to a side only with a value line of that side,
// so that taking the value out and putting it back leaves no empty section.
struct SplitRegFile {
  RegTextFormat format = RegTextFormat::Ansi;
  std::wstring_view header;  // one of the two headers; empty: no registry file
  bool foreign = false;      // text, but no registry file
  std::wstring item;
  std::wstring rest;                   // left empty where only the item is wanted
  size_t itemAt = std::wstring::npos;  // where in the rest the item's first section stood
  bool itemHasValue = false;
};

// Most callers want only the item's side: the rest, mostly the larger, is then not made.
enum class Sides { ItemOnly, Both };

SplitRegFile Split(std::string_view bytes, std::wstring_view keyPath, const std::wstring* valueName,
                   Sides sides) {
  SplitRegFile out;
  const RegFileText file = ReadRegFileText(bytes);
  out.format = file.format;
  std::wstring_view unread = file.text, line;
  const auto header = NextLine(unread, line) ? HeaderOf(line) : std::nullopt;
  out.foreign = !header && !HoldsNothing(file.text);
  if (!header) return out;
  out.header = *header;
  // The rest takes most of the text: room for it at once. The item, mostly none or
  // small, gets room for what is left of the text once it starts.
  std::wstring* const rest = sides == Sides::Both ? &out.rest : nullptr;
  if (rest) rest->reserve(file.text.size());
  const RegKeyPieces itemKey = RegKeyPiecesOf(keyPath);
  std::wstring_view section;
  bool itemSection = false;             // the section is the item's key (or below it)
  bool lazy = false;                    // its line goes to a side with the first value line there
  bool inItem = false, inRest = false;  // the section line is on that side already
  std::wstring* side = nullptr;         // where the current line and its continuations go
  bool continued = false;               // the line before ended a hex value with a backslash
  auto open = [&](std::wstring* to, bool& done) {
    if (to == &out.item && out.itemAt == std::wstring::npos) {
      out.itemAt = out.rest.size();
      out.item.reserve(section.size() + line.size() + unread.size() + 2 * kLineEnd.size());
      // The item goes in here: the rest's lines after it start a section line of
      // their own, or a write of the same part would move them under the item's.
      inRest = false;
    }
    if (!done && to) to->append(L"\r\n").append(section).append(L"\r\n");
    done = true;
  };
  while (NextLine(unread, line)) {
    // An empty line ends even a value cut short after its backslash.
    continued = continued && !line.empty();
    if (!continued && line.starts_with(L'[') && line.ends_with(L']')) {
      std::wstring_view key = line.substr(1, line.size() - 2);
      if (key.starts_with(L'-')) key.remove_prefix(1);  // a section that deletes the key
      // The key itself, or for a key item also a key below it.
      itemSection = valueName ? SameRegKey(key, itemKey) : RegKeyWithin(key, itemKey);
      section = line;
      lazy = valueName && itemSection;
      inItem = inRest = false;
      // A key item's sections, and every section of the rest, go over even empty.
      if (!lazy) open(itemSection ? &out.item : rest, itemSection ? inItem : inRest);
      side = nullptr;
    } else if (!continued) {
      const auto start = ReadValueLineStart(line);
      side = nullptr;
      if (start && !section.empty()) {
        const bool mine =
            itemSection && (!valueName || EqualsIgnoringAsciiCase(ValueNameOf(*start), *valueName));
        side = mine ? &out.item : rest;
        open(side, mine ? inItem : inRest);
        out.itemHasValue = out.itemHasValue || mine;
      }
      if (side) side->append(line).append(L"\r\n");
    } else if (side) {
      side->append(line).append(L"\r\n");
    }
    continued = line.ends_with(L'\\');
  }
  return out;
}

}  // namespace

std::string RegValueFile(std::wstring_view longKeyPath, std::wstring_view valueLine) {
  return Encoded(RegTextFormat::Utf16Le,
                 {kRegHeaderUnicode, L"\r\n\r\n[", longKeyPath, L"]\r\n", valueLine, kLineEnd});
}

std::optional<std::string> RegFileSubset(std::string_view bytes, std::wstring_view keyPath,
                                         const std::wstring* valueName) {
  const SplitRegFile file = Split(bytes, keyPath, valueName, Sides::ItemOnly);
  if (file.foreign) return std::nullopt;
  // A key with no value still brings in its (empty) key.
  if (file.header.empty() || (!file.itemHasValue && (valueName || file.item.empty())))
    return std::string();
  return Encoded(file.format, {file.header, kLineEnd, file.item});
}

namespace {

// A format that holds every character of texts read from either: the code page
// holds fewer than either Unicode form, and only UTF-16LE keeps a lone surrogate.
RegTextFormat HoldingBoth(RegTextFormat a, RegTextFormat b) {
  if (a == b || b == RegTextFormat::Ansi) return a;
  if (a == RegTextFormat::Ansi) return b;
  return RegTextFormat::Utf16Le;
}

}  // namespace

std::optional<std::string> RegFileWithPart(std::string_view fileBytes, std::string_view partBytes,
                                           std::wstring_view keyPath,
                                           const std::wstring* valueName) {
  const SplitRegFile file = Split(fileBytes, keyPath, valueName, Sides::Both);
  const SplitRegFile part = Split(partBytes, keyPath, valueName, Sides::ItemOnly);
  if (file.foreign || (!partBytes.empty() && part.header.empty())) return std::nullopt;
  // Nothing of others to keep: the part as it is.
  if (file.header.empty() || file.rest.empty()) return std::string(partBytes);
  // In the place of the old part, so that an export of unchanged data changes no byte.
  const size_t at = std::min(file.itemAt, file.rest.size());
  const std::wstring_view rest = file.rest;
  std::wstring_view before = rest.substr(0, at), after = rest.substr(at), item = part.item;
  if (partBytes.empty() || file.header == part.header)
    return Encoded(partBytes.empty() ? file.format : HoldingBoth(file.format, part.format),
                   {file.header, kLineEnd, before, item, after});
  // One header for both: the current one, which every text can be written in.
  std::optional<std::wstring> current[3];
  std::wstring_view* const sides[] = {&before, &after, &item};
  for (size_t i = 0; i < std::size(sides); ++i) {
    const bool older = (sides[i] == &item ? part.header : file.header) == kRegHeaderAnsi;
    if (!older) continue;
    current[i] = RegBodyInCurrentForm(*sides[i]);
    if (!current[i]) return std::nullopt;
    *sides[i] = *current[i];
  }
  return Encoded(RegTextFormat::Utf16Le, {kRegHeaderUnicode, kLineEnd, before, item, after});
}

bool RegFileHoldsKey(std::string_view bytes, std::wstring_view keyPath) {
  const std::wstring text = ReadRegFileText(bytes).text;
  if (!text.starts_with(kRegHeaderUnicode) && !text.starts_with(kRegHeaderAnsi)) return false;
  const std::wstring key = CanonicalRegKey(keyPath);
  // The key's section line as a line of its own, in any letter case: after a line
  // end, and before one or at the text's end. Looked for in place: exports are large.
  const std::wstring_view view = text;
  for (size_t at = view.find(L"\r\n["); at != std::wstring_view::npos;
       at = view.find(L"\r\n[", at + 1)) {
    const std::wstring_view line = view.substr(at + 3);
    if (line.size() > key.size() && line[key.size()] == L']' &&
        EqualsIgnoringAsciiCase(line.substr(0, key.size()), key) &&
        (line.size() == key.size() + 1 || line.substr(key.size() + 1).starts_with(kLineEnd)))
      return true;
  }
  return false;
}
