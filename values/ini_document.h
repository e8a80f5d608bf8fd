// The one ini reader and writer: the launcher's own configuration file and the
// ini files that iniread and iniwrite change. The document is the file's text as
// read (fileops/text_format.h) with an index of its lines; an edit changes the
// lines it is about and nothing else, and the file is written back in its own
// format only when something was changed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fileops/text_format.h"
#include "platform/platform.h"

enum class IniEntryKind { Section, Comment, Key };

// A stretch of the document's text.
struct IniSpan {
  std::size_t from = 0;
  std::size_t size = 0;
};

// One line of the text that means something; blank lines have no entry but stay
// in the text.
struct IniEntry {
  IniEntryKind kind = IniEntryKind::Key;
  IniSpan line;             // the whole line without its line end
  std::size_t lineEnd = 0;  // 2 for CR LF, 1 for CR or LF, 0 at the end of the text
  IniSpan name;             // section or key name; a comment's text
  IniSpan value;            // key value: leading blanks removed, trailing blanks kept
};

inline constexpr std::size_t kIniNone = static_cast<std::size_t>(-1);

struct IniDocument {
  std::wstring path;
  os::FileRef file = 0;   // zero when the file could not be opened
  bool readOnly = false;  // opened only for reading: another program writes it, or it is protected
  bool modified = false;  // a write or removal changed the text
  // Never written: the file was opened but not read, or its bytes would not come
  // back as they were (fileops/text_format.h). Such a file is still read.
  bool discardWrites = false;
  TextFormat format = TextFormat::Ansi;  // a missing or empty file is ASCII so far
  std::wstring text;                     // without the mark, every edit made
  std::vector<IniEntry> entries;         // in file order

  // Current section: the index of its header, or kIniNone for the top of the
  // file; when missingSection is set, the section does not exist and its name
  // waits in missingName for the first write to create it.
  std::size_t section = kIniNone;
  bool missingSection = false;
  std::wstring missingName;

  // Enumeration: the entry IniNextKey looks at next (kIniNone once the section
  // is done or no enumeration runs) and the key entry under the cursor.
  std::size_t scan = kIniNone;
  std::size_t cursor = kIniNone;
};

// Always gives a document: a missing or unreadable file reads as an empty one.
IniDocument IniOpen(const std::wstring& path);

// Makes the first header with that name (ASCII letters without regard to case)
// current; an empty name selects the keys above the first header. False when no
// header matches: the name is then kept for the first IniWriteKey.
bool IniSelectSection(IniDocument& doc, std::wstring_view section);

// Value of the first matching key of the current section, blanks trimmed.
std::wstring IniReadKey(const IniDocument& doc, std::wstring_view key,
                        std::wstring_view defaultValue);

// IniFirstKey starts an enumeration of the current section (false for a missing
// one); each IniNextKey moves to the next key entry, false at the section's end.
bool IniFirstKey(IniDocument& doc);
bool IniNextKey(IniDocument& doc);
// The key entry under the cursor: stored name, and value with blanks trimmed.
// Both empty when no key entry is under the cursor.
std::wstring IniKeyName(const IniDocument& doc);
std::wstring IniKeyValue(const IniDocument& doc);

// Sets the first matching key of the current section in its own line, whose
// stored name becomes the one given, or adds a line after the section's last key
// in the spacing its keys use; a missing section is appended first, after a
// blank line. A name or value that one ini line cannot hold and read back (a line
// end; in a key name "=" or a leading "[" or ";"; "]" in a section name) changes
// nothing. Adding or removing lines ends
// a running enumeration.
void IniWriteKey(IniDocument& doc, std::wstring_view key, std::wstring_view value);
// Removes the line of the first matching key of the current section.
void IniRemoveKey(IniDocument& doc, std::wstring_view key);
// Removes the first matching header with every line up to the next header.
void IniRemoveSection(IniDocument& doc, std::wstring_view section);

// Writes the file back when modified, closes it and empties the document. The
// new file replaces the old one in one step (fileops/atomic_write.h): a write
// that fails leaves the old file whole. A text the file's format cannot carry
// leaves the file as it was.
void IniClose(IniDocument& doc);

// What IniOpen and IniClose do with the file's bytes, apart from the file: the
// format, text and entries of the bytes read, and the bytes the document is
// written as (nullopt when it is not to be written, or its format cannot carry it).
void IniReadBytes(IniDocument& doc, std::string_view bytes);
std::optional<std::string> IniWrittenBytes(const IniDocument& doc);

// The text of a span of the document.
std::wstring_view IniText(const IniDocument& doc, IniSpan span);
