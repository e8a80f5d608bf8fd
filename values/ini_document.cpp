#include "values/ini_document.h"

#include <algorithm>
#include <cwchar>

#include "fileops/atomic_write.h"
#include "platform/text.h"

namespace {

constexpr std::wstring_view kCrLf = L"\r\n";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

// The line end that starts at `at`: CR LF, a lone CR or LF; empty at the end.
std::wstring_view LineEndAt(std::wstring_view text, std::size_t at) {
  if (at >= text.size()) return {};
  if (text[at] == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n') return text.substr(at, 2);
  return text.substr(at, 1);
}

// What new lines end with where no neighbour says: the file's first line end.
std::wstring_view FileLineEnd(std::wstring_view text) {
  const std::size_t at = text.find_first_of(L"\r\n");
  return at == std::wstring_view::npos ? kCrLf : LineEndAt(text, at);
}

// Position of the next `c` at or after `from` in the text, or its size. The search
// runs in the C library, once over the text for each character looked for.
std::size_t Find(std::wstring_view text, std::size_t from, wchar_t c) {
  if (from >= text.size()) return text.size();
  const wchar_t* hit = std::wmemchr(text.data() + from, c, text.size() - from);
  return hit ? static_cast<std::size_t>(hit - text.data()) : text.size();
}

// One pass over the text; every line that holds more than blanks is an entry. The
// next CR and the next LF are each searched again only once the parse has passed
// them, so a file with one kind of line end is not searched to its end for the
// other on every line.
void Parse(std::wstring_view text, std::vector<IniEntry>& entries) {
  entries.clear();
  const wchar_t* const data = text.data();
  const std::size_t size = text.size();
  std::size_t nextCr = Find(text, 0, L'\r');
  std::size_t nextLf = Find(text, 0, L'\n');
  std::size_t pos = 0;
  while (pos < size) {
    if (nextCr < pos) nextCr = Find(text, pos, L'\r');
    if (nextLf < pos) nextLf = Find(text, pos, L'\n');
    const std::size_t begin = pos;
    const std::size_t end = std::min(nextCr, nextLf);
    const std::size_t lineEnd = LineEndAt(text, end).size();
    pos = end + lineEnd;
    std::size_t start = begin;
    while (start < end && IsBlank(data[start])) ++start;
    if (start == end) continue;

    IniEntry entry;
    entry.line = {begin, end - begin};
    entry.lineEnd = lineEnd;
    const std::wstring_view line = text.substr(0, end);
    if (data[start] == L';') {
      entry.kind = IniEntryKind::Comment;
      std::size_t from = start + 1;
      if (from < end && data[from] == L' ') ++from;  // one space after ";" is layout
      entry.name = {from, end - from};
    } else if (data[start] == L'[') {
      // Up to the first "]", or the end of the line; what follows it is ignored.
      entry.kind = IniEntryKind::Section;
      entry.name = {start + 1, Find(line, start + 1, L']') - start - 1};
    } else {
      // No quoting or comments after a value: everything after the first "=" is it.
      entry.kind = IniEntryKind::Key;
      const std::size_t equals = Find(line, start, L'=');
      std::size_t nameEnd = equals;
      while (nameEnd > start && IsBlank(data[nameEnd - 1])) --nameEnd;
      entry.name = {start, nameEnd - start};
      std::size_t valueFrom = equals < end ? equals + 1 : end;
      while (valueFrom < end && IsBlank(data[valueFrom])) ++valueFrom;
      entry.value = {valueFrom, end - valueFrom};
    }
    entries.push_back(entry);
  }
}

std::size_t LineStop(const IniEntry& entry) { return entry.line.from + entry.line.size; }

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

bool NameIs(const IniDocument& doc, const IniEntry& entry, std::wstring_view name) {
  return entry.name.size == name.size() && EqualsIgnoringAsciiCase(IniText(doc, entry.name), name);
}

std::size_t FindHeader(const IniDocument& doc, std::wstring_view name) {
  for (std::size_t i = 0; i < doc.entries.size(); ++i)
    if (doc.entries[i].kind == IniEntryKind::Section && NameIs(doc, doc.entries[i], name)) return i;
  return kIniNone;
}

std::size_t FindKey(const IniDocument& doc, std::wstring_view name) {
  if (doc.missingSection) return kIniNone;
  const std::size_t end = NextHeader(doc, BodyStart(doc));
  for (std::size_t i = BodyStart(doc); i < end; ++i)
    if (doc.entries[i].kind == IniEntryKind::Key && NameIs(doc, doc.entries[i], name)) return i;
  return kIniNone;
}

void EndEnumeration(IniDocument& doc) {
  doc.scan = kIniNone;
  doc.cursor = kIniNone;
}

// A key line's blanks before its name, and what stands between name and value.
struct KeyLayout {
  std::wstring_view indent;
  std::wstring_view separator;
};

KeyLayout LayoutOf(const IniDocument& doc, const IniEntry& key) {
  const std::size_t nameStop = key.name.from + key.name.size;
  return {IniText(doc, {key.line.from, key.name.from - key.line.from}),
          IniText(doc, {nameStop, key.value.from - nameStop})};
}

bool HasEquals(const IniDocument& doc, const IniEntry& entry) {
  return entry.kind == IniEntryKind::Key &&
         LayoutOf(doc, entry).separator.find(L'=') != std::wstring_view::npos;
}

// The layout of a new key line: that of the section's last key, else of the
// file's last key, else the compact "name=value" of the profile functions.
KeyLayout NewKeyLayout(const IniDocument& doc, std::size_t bodyStart, std::size_t bodyEnd) {
  for (std::size_t i = bodyEnd; i-- > bodyStart;)
    if (HasEquals(doc, doc.entries[i])) return LayoutOf(doc, doc.entries[i]);
  for (std::size_t i = doc.entries.size(); i-- > 0;)
    if (HasEquals(doc, doc.entries[i])) return LayoutOf(doc, doc.entries[i]);
  return {L"", L"="};
}

// What one line can hold and read back as the same name and value.
bool FitsKeyLine(std::wstring_view key, std::wstring_view value) {
  if (key.find_first_of(L"\r\n=") != std::wstring_view::npos) return false;
  if (value.find_first_of(L"\r\n") != std::wstring_view::npos) return false;
  const std::size_t first = key.find_first_not_of(L" \t");
  return first == std::wstring_view::npos || (key[first] != L'[' && key[first] != L';');
}

bool FitsHeader(std::wstring_view section) {
  return section.find_first_of(L"\r\n]") == std::wstring_view::npos;
}

// Puts `with` in place of the span and reads the lines again. Everything outside
// the span keeps its characters, so untouched lines keep their bytes.
void Splice(IniDocument& doc, IniSpan span, std::wstring_view with) {
  if (IniText(doc, span) == with) return;
  doc.text.replace(span.from, span.size, with);
  Parse(doc.text, doc.entries);
  doc.modified = true;
}

// A new line after the entry (kIniNone: at the top of the text), ending as the
// line before it does; a last line without a line end gets one first.
void InsertLineAfter(IniDocument& doc, std::size_t after, const std::wstring& line) {
  EndEnumeration(doc);
  if (after == kIniNone) {
    Splice(doc, {0, 0}, line + std::wstring(FileLineEnd(doc.text)));
    return;
  }
  const IniEntry& entry = doc.entries[after];
  const std::wstring_view end = LineEndAt(doc.text, LineStop(entry));
  if (end.empty()) {
    Splice(doc, {LineStop(entry), 0}, std::wstring(FileLineEnd(doc.text)) + line);
  } else {
    Splice(doc, {LineStop(entry) + end.size(), 0}, line + std::wstring(end));
  }
}

// The missing section at the end of the text, after one blank line, with the key.
void AppendSection(IniDocument& doc, const std::wstring& keyLine) {
  std::wstring_view text = doc.text;
  const bool ended = !text.empty() && IsLineEnd(text.back());
  const std::wstring_view end =
      ended ? LineEndAt(text, text.size() - (text.ends_with(kCrLf) ? 2 : 1)) : FileLineEnd(text);
  std::wstring added;
  if (!text.empty()) {
    if (!ended) added += end;
    // The last line, without its end: blank already, or a blank line goes first.
    std::wstring_view last = text;
    if (ended) last.remove_suffix(end.size());
    const std::size_t lastStart = last.find_last_of(L"\r\n");
    if (lastStart != std::wstring_view::npos) last.remove_prefix(lastStart + 1);
    if (last.find_first_not_of(L" \t") != std::wstring_view::npos) added += end;
  }
  added += L"[" + doc.missingName + L"]";
  added += end;
  added += keyLine;
  added += end;
  EndEnumeration(doc);
  Splice(doc, {doc.text.size(), 0}, added);
  doc.section = kIniNone;
  for (std::size_t i = doc.entries.size(); i-- > 0 && doc.section == kIniNone;)
    if (doc.entries[i].kind == IniEntryKind::Section) doc.section = i;
  doc.missingSection = false;
  doc.missingName.clear();
}

}  // namespace

std::wstring_view IniText(const IniDocument& doc, IniSpan span) {
  // Spans come from parsing this very text: no bounds to check.
  return std::wstring_view(doc.text.data() + span.from, span.size);
}

IniDocument IniOpen(const std::wstring& path) {
  IniDocument doc;
  doc.path = path;

  doc.file = os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead);
  if (doc.file == 0) {
    // Another program may hold the file open for writing, or it is write-protected.
    doc.readOnly = true;
    doc.file = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
    if (doc.file == 0) doc.file = os::OpenExistingFile(path, os::OpenMode::ReadShareReadWrite);
  }
  if (doc.file == 0) {
    doc.readOnly = false;
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
  // One reading with replace and replaceline: a file keeps its format, and one
  // that would not come back as it was is read but never written.
  DecodedText read = ReadText(bytes);
  doc.format = read.format;
  doc.text = std::move(read.text);
  if (!read.faithful) doc.discardWrites = true;
  Parse(doc.text, doc.entries);
}

bool IniSelectSection(IniDocument& doc, std::wstring_view section) {
  EndEnumeration(doc);
  doc.missingSection = false;
  doc.missingName.clear();
  if (section.empty()) {
    doc.section = kIniNone;
    return true;
  }
  doc.section = FindHeader(doc, section);
  if (doc.section != kIniNone) return true;
  doc.missingSection = true;
  doc.missingName = section;
  return false;
}

std::wstring IniReadKey(const IniDocument& doc, std::wstring_view key,
                        std::wstring_view defaultValue) {
  const std::size_t found = FindKey(doc, key);
  if (found == kIniNone) return std::wstring(defaultValue);
  return TrimBlanks(IniText(doc, doc.entries[found].value));
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
  return std::wstring(IniText(doc, doc.entries[doc.cursor].name));
}

std::wstring IniKeyValue(const IniDocument& doc) {
  if (doc.cursor == kIniNone) return std::wstring();
  return TrimBlanks(IniText(doc, doc.entries[doc.cursor].value));
}

void IniWriteKey(IniDocument& doc, std::wstring_view key, std::wstring_view value) {
  if (!FitsKeyLine(key, value) || (doc.missingSection && !FitsHeader(doc.missingName))) return;
  const std::size_t bodyStart = BodyStart(doc);
  const std::size_t bodyEnd = doc.missingSection ? bodyStart : NextHeader(doc, bodyStart);
  const KeyLayout layout = NewKeyLayout(doc, bodyStart, bodyEnd);
  if (doc.missingSection) {
    AppendSection(doc, std::wstring(layout.indent) + std::wstring(key) +
                           std::wstring(layout.separator) + std::wstring(value));
    return;
  }
  const std::size_t found = FindKey(doc, key);
  if (found != kIniNone) {
    // The line keeps its indentation, its spacing around "=" and its line end;
    // its name takes the letter case asked for.
    const IniEntry& entry = doc.entries[found];
    const std::wstring_view separator =
        HasEquals(doc, entry) ? LayoutOf(doc, entry).separator : layout.separator;
    const std::wstring line = std::wstring(key) + std::wstring(separator) + std::wstring(value);
    Splice(doc, {entry.name.from, LineStop(entry) - entry.name.from}, line);
    return;
  }
  std::size_t after = doc.section;
  for (std::size_t i = bodyStart; i < bodyEnd; ++i)
    if (doc.entries[i].kind == IniEntryKind::Key) after = i;
  InsertLineAfter(doc, after,
                  std::wstring(layout.indent) + std::wstring(key) + std::wstring(layout.separator) +
                      std::wstring(value));
}

void IniRemoveKey(IniDocument& doc, std::wstring_view key) {
  const std::size_t found = FindKey(doc, key);
  if (found == kIniNone) return;
  EndEnumeration(doc);
  const IniEntry& entry = doc.entries[found];
  Splice(doc, {entry.line.from, entry.line.size + entry.lineEnd}, L"");
}

void IniRemoveSection(IniDocument& doc, std::wstring_view section) {
  const std::size_t header = FindHeader(doc, section);
  if (header == kIniNone) return;
  const std::size_t end = NextHeader(doc, header + 1);
  EndEnumeration(doc);
  if (!doc.missingSection && doc.section != kIniNone) {
    if (doc.section == header) {
      // The current section is gone; a later write creates it again at the end.
      doc.missingSection = true;
      doc.missingName = IniText(doc, doc.entries[header].name);
      doc.section = kIniNone;
    } else if (doc.section > header) {
      doc.section -= end - header;
    }
  }
  // Its comments and blank lines go with it, up to the next header.
  const std::size_t from = doc.entries[header].line.from;
  const std::size_t to = end < doc.entries.size() ? doc.entries[end].line.from : doc.text.size();
  Splice(doc, {from, to - from}, L"");
}

void IniClose(IniDocument& doc) {
  // Let go of the file first: the new one takes its place by a rename.
  if (doc.file != 0) os::CloseFile(doc.file);
  if (doc.modified) {
    const std::optional<std::string> bytes = IniWrittenBytes(doc);
    if (bytes) WriteFileAtomically(doc.path, *bytes);
  }
  doc = IniDocument{};
}

std::optional<std::string> IniWrittenBytes(const IniDocument& doc) {
  if (doc.discardWrites) return std::nullopt;
  return EncodeText(doc.text, doc.format);
}
