// Registry files, the registry editor's .reg text: the lines the launcher writes
// for one value, and the reading and re-encoding that appending one file to
// another needs. Pure functions over texts and bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr std::wstring_view kRegHeaderUnicode = L"Windows Registry Editor Version 5.00";
inline constexpr std::wstring_view kRegHeaderAnsi = L"REGEDIT4";

// True for REG_SZ data that the quoted form can hold: a text ended by its zero
// character, with no other zero character and no line break in it.
bool IsPlainRegText(std::string_view bytes);

// "name"=data for a value as stored (the name "" is the default value, @). A
// plain REG_SZ text is written quoted, with backslashes doubled and quotes
// escaped, and a REG_DWORD of four bytes as dword:XXXXXXXX. Every other value
// keeps its exact bytes in hex form: hex(2) expandable text, hex(7) multi-string,
// hex(b) QWORD, hex binary, hex(1) a text the quoted form cannot hold, hex(N) any
// other type; long hex lines are continued with a backslash.
std::wstring RegValueLine(std::wstring_view name, unsigned type, std::string_view bytes);

// A whole registry file of one value: the mark FF FE, then, each ended by CR LF
// and in UTF-16LE, the header, an empty line, "[" key "]" and the value line.
std::string RegValueFile(std::wstring_view longKeyPath, std::wstring_view valueLine);

enum class RegTextFormat { Utf16Le, Utf8, Ansi };

struct RegFileText {
  RegTextFormat format = RegTextFormat::Ansi;
  std::wstring text;  // after the byte-order mark, up to the first zero character
};

// The format by the byte-order mark (FF FE UTF-16LE, EF BB BF UTF-8; FE FF,
// 00 00 FE FF are skipped and read as ANSI; none is ANSI) and the text.
RegFileText ReadRegFileText(std::string_view bytes);

// The text in the format, without a mark.
std::string EncodeRegText(std::wstring_view text, RegTextFormat format);

// What appending a registry file to a target adds: the appended file's text
// without its header and the empty line after it, then CR LF; in UTF-16LE or
// UTF-8 when the target has that mark (a mix of encodings would be unreadable),
// otherwise in the appended file's own format. An empty target gets the mark too.
std::string RegAppendBytes(std::string_view targetBytes, std::string_view appendBytes);

// A registry file, as the registry editor reads one, starts with its header: the
// first line of its text, blanks before it allowed, is one of the two headers
// above. Of a file with anything before that (an empty line, a comment) or with
// another header, the editor imports nothing. A file of no text but blanks and
// line ends holds nothing.

// The part of a registry file that belongs to one item, as a registry file of its
// own in the same format and with the same header: the sections of the key and of
// the keys below it, or, with a value name, that key's section with only that
// value's line (a continued hex value whole). Empty when the file holds nothing,
// or nothing of the item; nullopt when it holds text but is no registry file, so
// that nothing can be told of what it holds. Items that share a file
// (settings.reg) thus each bring in their own data only, never another item's
// over its machine data.
std::optional<std::string> RegFileSubset(std::string_view bytes, std::wstring_view keyPath,
                                         const std::wstring* valueName);

// The registry file with one item's part replaced by that part of `partBytes`
// (an export of the item; empty: the item's part taken out), where the old part
// stood, in a format that holds both sides' texts (the Unicode one of the two;
// UTF-16LE for UTF-8 and UTF-16LE); every other item's sections stay. The part as it
// is when the file holds nothing else. When one of the two has the REGEDIT4
// header, the result has the current one and is UTF-16LE, with that side's texts
// in hex form converted (RegBodyInCurrentForm). nullopt, when the other items'
// parts cannot be kept: the file holds text but is no registry file, or a text
// of the REGEDIT4 side cannot be read. Exports of items that share a file thus
// never cost another item its data, whichever items export in a run.
std::optional<std::string> RegFileWithPart(std::string_view fileBytes, std::string_view partBytes,
                                           std::wstring_view keyPath,
                                           const std::wstring* valueName);

// The name of a value line ("name"=... or @=...) as written between its quotes,
// escapes kept, and where its data begins; nullopt for another line. The name is
// undone only where it is looked at (ValueNameOf): most lines' names never are.
struct RegValueLineStart {
  std::wstring_view writtenName;
  size_t dataAt = 0;
};
std::optional<RegValueLineStart> ReadValueLineStart(std::wstring_view line);
// The name with its escapes undone: a backslash stands before each backslash and quote.
std::wstring ValueNameOf(const RegValueLineStart& start);

// Sections and value lines of the REGEDIT4 form as the current form reads them.
// The two differ in the texts of hex(1), hex(2) and hex(7) values: the older form
// holds them in the ANSI code page, which the registry editor converts when it
// imports such a file, the current one in UTF-16LE. Every other line stays as it
// is. nullopt when such a value's bytes cannot be read.
std::optional<std::wstring> RegBodyInCurrentForm(std::wstring_view body);

// True for the bytes of a registry file that starts with a header and has a line
// naming the key ("[HKEY_CURRENT_USER\Software\App]" for HKCU\Software\App, in
// any letter case): what an export of that key writes.
bool RegFileHoldsKey(std::string_view bytes, std::wstring_view keyPath);
