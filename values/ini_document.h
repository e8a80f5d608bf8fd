// The one ini reader and writer: the launcher's own configuration file and the
// ini files that iniread and iniwrite change. The document keeps every line of
// the file as it read it (UTF-8 bytes), hands names and values out as UTF-16 and
// writes the file back only when something was changed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

enum class IniEntryKind { Section, Comment, Key };

// One line of the file. Texts are UTF-8 bytes exactly as read, so an entry that
// no write touches goes back to the file unchanged, even when it is malformed.
struct IniEntry {
  IniEntryKind kind = IniEntryKind::Key;
  std::string name;   // section or key name; a comment's text
  std::string value;  // key value: leading blanks removed, trailing blanks kept
};

// Fixed at open; they only change how a modified document is written back.
struct IniWriteOptions {
  bool compactSeparator = false;         // "name=value" instead of "name = value"
  bool blankLineBeforeSections = false;  // an empty line before every header but the first
};

inline constexpr std::size_t kIniNone = static_cast<std::size_t>(-1);

struct IniDocument {
  std::wstring path;
  os::FileRef file = 0;   // zero when the file could not be opened
  bool readOnly = false;  // opened only for reading: another program writes it, or it is protected
  bool modified = false;  // a write or removal changed something
  bool utf8 = false;      // written back with a byte-order mark
  bool discardWrites = false;  // opened but unreadable: never overwrite what was not read
  bool utf16 = false;          // read as UTF-16LE (FF FE): written back so, with its mark
  IniWriteOptions options;
  std::vector<IniEntry> entries;

  // Current section: the index of its header, or kIniNone for the top of the
  // file; when missingSection is set, the section does not exist and its name
  // waits in missingName for the first write to create it.
  std::size_t section = kIniNone;
  bool missingSection = false;
  std::string missingName;

  // Enumeration: the entry IniNextKey looks at next (kIniNone once the section
  // is done or no enumeration runs) and the key entry under the cursor.
  std::size_t scan = kIniNone;
  std::size_t cursor = kIniNone;
};

// Always gives a document: a missing or unreadable file reads as an empty one.
IniDocument IniOpen(const std::wstring& path, IniWriteOptions options);

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

// Sets the first matching key of the current section (its stored name becomes
// the one given) or adds it at the end of the section; a missing section is
// appended first. Adding or removing entries ends a running enumeration.
void IniWriteKey(IniDocument& doc, std::wstring_view key, std::wstring_view value);
void IniRemoveKey(IniDocument& doc, std::wstring_view key);
// Removes the first matching header with every entry up to the next header.
void IniRemoveSection(IniDocument& doc, std::wstring_view section);

// Writes the file back when modified, closes it and empties the document. The
// new file replaces the old one in one step (fileops/atomic_write.h): a write
// that fails leaves the old file whole.
void IniClose(IniDocument& doc);

// What IniOpen and IniClose do with the file's bytes, apart from the file: the
// format and entries of the bytes read, and the bytes a document is written as.
void IniReadBytes(IniDocument& doc, std::string_view bytes);
std::string IniWrittenBytes(const IniDocument& doc);
