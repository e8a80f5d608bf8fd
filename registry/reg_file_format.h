// Registry files, the registry editor's .reg text: the lines the launcher writes
// for one value, and the reading and re-encoding that appending one file to
// another needs. Pure functions over texts and bytes.
#pragma once

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

// The part of a registry file that belongs to one item, as a registry file of its
// own in the same format and with the same header: the sections of the key and of
// the keys below it, or, with a value name, that key's section with only that
// value's line (a continued hex value whole). Empty when the file has no header
// or holds nothing of the item. Items that share a file (settings.reg) thus each
// bring in their own data only, never another item's over its machine data.
std::string RegFileSubset(std::string_view bytes, std::wstring_view keyPath,
                          const std::wstring* valueName);

// The registry file with one item's part replaced by that part of `partBytes`
// (an export of the item; empty: the item's part taken out), where the old part
// stood, in the part's format; every other item's sections stay. The part as it
// is when the file holds nothing else, is no registry file, or has the other
// header. Exports of items that share a file thus never cost another item its
// data, whichever items export in a run.
std::string RegFileWithPart(std::string_view fileBytes, std::string_view partBytes,
                            std::wstring_view keyPath, const std::wstring* valueName);

// True for the bytes of a registry file that starts with a header and has a line
// naming the key ("[HKEY_CURRENT_USER\Software\App]" for HKCU\Software\App, in
// any letter case): what an export of that key writes.
bool RegFileHoldsKey(std::string_view bytes, std::wstring_view keyPath);
