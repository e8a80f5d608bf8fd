#include "values/ini_document.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "fileops/atomic_write.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
// Marks of files this reader cannot give back as they were (UTF-32LE, whose mark
// begins like the UTF-16LE one, UTF-32BE, UTF-16BE): read as empty, never written.
constexpr std::string_view kForeignMarks[] = {std::string_view("\xFF\xFE\x00\x00", 4),
                                              std::string_view("\x00\x00\xFE\xFF", 4), "\xFE\xFF"};
constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

char LowerAsciiByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Names are compared as UTF-8 bytes: folding A-Z leaves every multi-byte
// sequence alone, so this equals comparing the decoded texts.
bool SameName(std::string_view stored, std::string_view wanted) {
  if (stored.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < stored.size(); ++i)
    if (LowerAsciiByte(stored[i]) != LowerAsciiByte(wanted[i])) return false;
  return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// Position of the next `c` at or after `from` in the text, or its size.
std::size_t FindByte(std::string_view text, std::size_t from, char c) {
  if (from >= text.size()) return text.size();
  const void* hit = std::memchr(text.data() + from, c, text.size() - from);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
}

// One pass over the text. The next CR and the next LF are each searched again
// only once the parse has passed them, so a file with only one kind of line end
// is not searched to its end for the other on every line.
std::vector<IniEntry> Parse(std::string_view text) {
  std::vector<IniEntry> entries;
  std::size_t nextCr = FindByte(text, 0, '\r');
  std::size_t nextLf = FindByte(text, 0, '\n');
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos == text.size()) break;
    if (IsLineEnd(text[pos])) {
      ++pos;
      continue;
    }
    if (nextCr < pos) nextCr = FindByte(text, pos, '\r');
    if (nextLf < pos) nextLf = FindByte(text, pos, '\n');
    const std::size_t end = std::min(nextCr, nextLf);
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;

    IniEntry entry;
    if (line[0] == ';') {
      entry.kind = IniEntryKind::Comment;
      std::string_view comment = line.substr(1);
      if (!comment.empty() && comment[0] == ' ') comment.remove_prefix(1);
      entry.name = comment;
    } else if (line[0] == '[') {
      entry.kind = IniEntryKind::Section;
      const std::string_view inside = line.substr(1);
      entry.name = inside.substr(0, FindByte(inside, 0, ']'));
    } else {
      entry.kind = IniEntryKind::Key;
      const std::size_t equals = FindByte(line, 0, '=');
      entry.name = TrimTrailingBlanks(line.substr(0, equals));
      if (equals < line.size()) entry.value = TrimLeadingBlanks(line.substr(equals + 1));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

// Index of the first header after `from`, or the end of the list.
std::size_t NextHeader(const IniDocument& doc, std::size_t from) {
  std::size_t i = from;
  while (i < doc.entries.size() && doc.entries[i].kind != IniEntryKind::Section) ++i;
  return i;
}

// First entry of the current section's body.
std::size_t BodyStart(const IniDocument& doc) {
  return doc.section == kIniNone ? 0 : doc.section + 1;
}

std::size_t FindHeader(const IniDocument& doc, std::string_view name) {
  for (std::size_t i = 0; i < doc.entries.size(); ++i)
    if (doc.entries[i].kind == IniEntryKind::Section && SameName(doc.entries[i].name, name))
      return i;
  return kIniNone;
}

std::size_t FindKey(const IniDocument& doc, std::string_view name) {
  if (doc.missingSection) return kIniNone;
  const std::size_t end = NextHeader(doc, BodyStart(doc));
  for (std::size_t i = BodyStart(doc); i < end; ++i)
    if (doc.entries[i].kind == IniEntryKind::Key && SameName(doc.entries[i].name, name)) return i;
  return kIniNone;
}

void EndEnumeration(IniDocument& doc) {
  doc.scan = kIniNone;
  doc.cursor = kIniNone;
}

std::string Serialise(const IniDocument& doc) {
  std::string out;
  std::size_t estimate = 8;
  for (const IniEntry& entry : doc.entries) estimate += entry.name.size() + entry.value.size() + 8;
  out.reserve(estimate);
  // A first key whose name begins with U+FEFF would read back as the mark and lose
  // that character; the mark in front keeps it.
  const bool markedName = !doc.utf16 && !doc.entries.empty() &&
                          doc.entries[0].kind == IniEntryKind::Key &&
                          doc.entries[0].name.starts_with(kByteOrderMark);
  if (doc.utf8 || markedName) {
    out += kByteOrderMark;
    out += kLineEnd;
  }
  const std::string_view separator = doc.options.compactSeparator ? "=" : " = ";
  bool firstHeader = true;
  for (const IniEntry& entry : doc.entries) {
    switch (entry.kind) {
      case IniEntryKind::Section:
        if (doc.options.blankLineBeforeSections && !firstHeader) out += kLineEnd;
        firstHeader = false;
        out += '[';
        out += entry.name;
        out += ']';
        break;
      case IniEntryKind::Comment:
        out += "; ";
        out += entry.name;
        break;
      case IniEntryKind::Key:
        out += entry.name;
        out += separator;
        out += entry.value;
        break;
    }
    out += kLineEnd;
  }
  // Entries of a UTF-16LE file came from well-formed text, so they convert back whole.
  if (doc.utf16) return std::string(kUtf16LeMark) + Utf16LeFromWide(WideFromUtf8(out));
  return out;
}

}  // namespace

IniDocument IniOpen(const std::wstring& path, IniWriteOptions options) {
  IniDocument doc;
  doc.path = path;
  doc.options = options;

  doc.file = os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead);
  if (doc.file == 0) {
    // Another program may hold the file open for writing, or it is write-protected.
    doc.readOnly = true;
    doc.file = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
    if (doc.file == 0) doc.file = os::OpenExistingFile(path, os::OpenMode::ReadShareReadWrite);
  }
  if (doc.file == 0) {
    doc.readOnly = false;
    doc.utf8 = true;
    return doc;
  }

  std::string bytes;
  if (!os::ReadWholeFile(doc.file, bytes)) {
    doc.discardWrites = true;
    return doc;
  }
  IniReadBytes(doc, bytes);
  return doc;
}

void IniReadBytes(IniDocument& doc, std::string_view bytes) {
  for (std::string_view mark : kForeignMarks) {
    if (bytes.starts_with(mark)) {
      doc.discardWrites = true;
      return;
    }
  }
  if (bytes.starts_with(kUtf16LeMark)) {
    // Applications that write their ini through the wide profile calls keep it so.
    const std::optional<std::wstring> text = WideFromUtf16Le(bytes.substr(kUtf16LeMark.size()));
    // A zero character is no text; written back first it would look like a UTF-32 mark.
    if (!text || text->find(L'\0') != std::wstring::npos) {
      doc.discardWrites = true;
      return;
    }
    doc.utf16 = true;
    doc.entries = Parse(Utf8FromWide(*text));
  } else if (bytes.size() >= kByteOrderMark.size() && bytes.starts_with(kByteOrderMark)) {
    doc.utf8 = true;
    doc.entries = Parse(bytes.substr(kByteOrderMark.size()));
  } else if (IsWellFormedUtf8(bytes)) {
    // ASCII, or UTF-8 without a mark: read as Latin-1, every character beyond
    // ASCII would turn into two and be written back so. Plain ASCII gets the mark
    // on its way back; UTF-8 without a mark keeps going without one.
    doc.utf8 = !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x80;
    });
    doc.entries = Parse(bytes);
  } else {
    // Without a mark every byte is one Latin-1 character, whatever the system's code page.
    doc.utf8 = true;
    doc.entries = Parse(Latin1ToUtf8(bytes));
  }
}

bool IniSelectSection(IniDocument& doc, std::wstring_view section) {
  EndEnumeration(doc);
  doc.missingSection = false;
  doc.missingName.clear();
  if (section.empty()) {
    doc.section = kIniNone;
    return true;
  }
  const std::string name = Utf8FromWide(section);
  doc.section = FindHeader(doc, name);
  if (doc.section != kIniNone) return true;
  doc.missingSection = true;
  doc.missingName = name;
  return false;
}

std::wstring IniReadKey(const IniDocument& doc, std::wstring_view key,
                        std::wstring_view defaultValue) {
  const std::size_t found = FindKey(doc, Utf8FromWide(key));
  if (found == kIniNone) return std::wstring(defaultValue);
  return TrimBlanks(WideFromUtf8(doc.entries[found].value));
}

bool IniFirstKey(IniDocument& doc) {
  EndEnumeration(doc);
  if (doc.missingSection) return false;
  doc.scan = BodyStart(doc);
  return true;
}

bool IniNextKey(IniDocument& doc) {
  doc.cursor = kIniNone;
  while (doc.scan != kIniNone && doc.scan < doc.entries.size()) {
    const std::size_t i = doc.scan++;
    if (doc.entries[i].kind == IniEntryKind::Section) break;
    if (doc.entries[i].kind == IniEntryKind::Key) {
      doc.cursor = i;
      return true;
    }
  }
  doc.scan = kIniNone;
  return false;
}

std::wstring IniKeyName(const IniDocument& doc) {
  if (doc.cursor == kIniNone) return std::wstring();
  return WideFromUtf8(doc.entries[doc.cursor].name);
}

std::wstring IniKeyValue(const IniDocument& doc) {
  if (doc.cursor == kIniNone) return std::wstring();
  return TrimBlanks(WideFromUtf8(doc.entries[doc.cursor].value));
}

void IniWriteKey(IniDocument& doc, std::wstring_view key, std::wstring_view value) {
  IniEntry entry{IniEntryKind::Key, Utf8FromWide(key), Utf8FromWide(value)};
  doc.modified = true;
  if (doc.missingSection) {
    EndEnumeration(doc);
    doc.entries.push_back(IniEntry{IniEntryKind::Section, std::move(doc.missingName), {}});
    doc.section = doc.entries.size() - 1;
    doc.missingSection = false;
    doc.missingName.clear();
    doc.entries.push_back(std::move(entry));
    return;
  }
  const std::size_t found = FindKey(doc, entry.name);
  if (found != kIniNone) {
    doc.entries[found] = std::move(entry);
    return;
  }
  // After the section's last entry, comments included: where its next header starts.
  EndEnumeration(doc);
  const std::size_t at = NextHeader(doc, BodyStart(doc));
  doc.entries.insert(doc.entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

void IniRemoveKey(IniDocument& doc, std::wstring_view key) {
  const std::size_t found = FindKey(doc, Utf8FromWide(key));
  if (found == kIniNone) return;
  EndEnumeration(doc);
  doc.entries.erase(doc.entries.begin() + static_cast<std::ptrdiff_t>(found));
  doc.modified = true;
}

void IniRemoveSection(IniDocument& doc, std::wstring_view section) {
  const std::size_t header = FindHeader(doc, Utf8FromWide(section));
  if (header == kIniNone) return;
  const std::size_t end = NextHeader(doc, header + 1);
  EndEnumeration(doc);
  if (!doc.missingSection && doc.section != kIniNone) {
    if (doc.section == header) {
      // The current section is gone; a later write creates it again at the end.
      doc.missingSection = true;
      doc.missingName = doc.entries[header].name;
      doc.section = kIniNone;
    } else if (doc.section > header) {
      doc.section -= end - header;
    }
  }
  doc.entries.erase(doc.entries.begin() + static_cast<std::ptrdiff_t>(header),
                    doc.entries.begin() + static_cast<std::ptrdiff_t>(end));
  doc.modified = true;
}

void IniClose(IniDocument& doc) {
  // Let go of the file first: the new one takes its place by a rename.
  if (doc.file != 0) os::CloseFile(doc.file);
  if (doc.modified && !doc.discardWrites) WriteFileAtomically(doc.path, IniWrittenBytes(doc));
  doc = IniDocument{};
}

std::string IniWrittenBytes(const IniDocument& doc) { return Serialise(doc); }
