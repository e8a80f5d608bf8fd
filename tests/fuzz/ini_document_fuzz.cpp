// The ini reader and writer on any bytes. Reading alone never changes the file.
// A key written into a section, or removed from it: a file read faithfully comes
// back in its own format, reads as the text the document holds and gives the
// value back, and every line the edit is not about keeps its characters and its
// line end, so its bytes; any other file is never written.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"
#include "tests/fuzz/fuzz_check.h"
#include "values/ini_document.h"

namespace {

const std::wstring kPath = L"C:\\P\\Edited.ini";
constexpr std::wstring_view kValue = L"v\u00FC";

// Reads as the launcher does: every key of every section it can select, in order;
// each section's last key is looked up by name as well.
void EnumerateSection(IniDocument& doc, std::wstring_view section) {
  if (!IniSelectSection(doc, section) || !IniFirstKey(doc)) return;
  std::wstring name;
  while (IniNextKey(doc)) {
    name = IniKeyName(doc);
    FUZZ_CHECK(IniKeyValue(doc).size() <= doc.entries[doc.cursor].value.size);
  }
  IniReadKey(doc, name, L"");
}

void Enumerate(IniDocument& doc) {
  EnumerateSection(doc, L"");
  // Reading changes no entry, so the headers can be walked while sections are read.
  for (std::size_t i = 0; i < doc.entries.size(); ++i)
    if (doc.entries[i].kind == IniEntryKind::Section)
      EnumerateSection(doc, IniText(doc, doc.entries[i].name));
}

std::size_t LineEndCharacters(std::wstring_view text) {
  std::size_t count = 0;
  for (wchar_t c : text) count += c == L'\r' || c == L'\n';
  return count;
}

// What the edit took out of the text and what it put in, once the common start
// and end are set aside.
struct Change {
  std::wstring_view taken, put;
};

Change ChangeBetween(std::wstring_view before, std::wstring_view after) {
  std::size_t start = 0;
  while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
  std::size_t end = 0;
  while (end < before.size() - start && end < after.size() - start &&
         before[before.size() - 1 - end] == after[after.size() - 1 - end])
    ++end;
  return {before.substr(start, before.size() - start - end),
          after.substr(start, after.size() - start - end)};
}

bool HoldsMultiByte(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// The one reason a document read faithfully is not written (the code page holds
// kValue): its new bytes would read back as another text. ANSI bytes that are
// well-formed UTF-8 (an edit took away the line that told them apart), a text
// without a mark that now begins with U+FEFF.
bool ReadsAsAnotherText(const IniDocument& doc) {
  if (doc.format == TextFormat::Utf8) return doc.text.starts_with(L'\uFEFF');
  if (doc.format != TextFormat::Ansi) return false;
  const std::string bytes = os::AnsiFromWide(doc.text);
  return HoldsMultiByte(bytes) && IsWellFormedUtf8(bytes);
}

// The written bytes read back as the document's text, in its format unless the
// text is ASCII (then both read alike); the edit took no more than `takenLines`
// line ends out of the text and put at most `newLines` in.
void CheckWritten(const IniDocument& doc, const std::wstring& before, std::size_t takenLines,
                  std::size_t newLines) {
  const std::optional<std::string> written = IniWrittenBytes(doc);
  FUZZ_CHECK(written.has_value() != ReadsAsAnotherText(doc));
  if (written) {
    // The same text is the same entries: they are read from it alone.
    const DecodedText again = ReadText(*written);
    FUZZ_CHECK(again.faithful);
    FUZZ_CHECK(again.text == doc.text);
    FUZZ_CHECK(again.format == doc.format || !HoldsMultiByte(*written));
  }
  const Change change = ChangeBetween(before, doc.text);
  // A line end counts once for each of its CR and LF.
  FUZZ_CHECK(LineEndCharacters(change.taken) <= 2 * takenLines);
  FUZZ_CHECK(LineEndCharacters(change.put) <= 2 * newLines);
}

void CheckWrite(const IniDocument& opened) {
  if (opened.discardWrites) return;
  IniDocument doc = opened;
  const bool sectionThere = IniSelectSection(doc, L"S");
  const bool keyThere = sectionThere && IniReadKey(doc, L"k", L"\n") != L"\n";
  IniWriteKey(doc, L"k", kValue);
  FUZZ_CHECK(IniReadKey(doc, L"k", L"") == kValue);
  // A new section: an end for the last line, a blank line, its header, the key.
  CheckWritten(doc, opened.text, 0, keyThere ? 0 : sectionThere ? 1 : 4);
}

void CheckRemove(const IniDocument& opened) {
  if (opened.discardWrites) return;
  IniDocument doc = opened;
  if (!IniSelectSection(doc, L"S")) return;
  const bool keyThere = IniReadKey(doc, L"k", L"\n") != L"\n";
  IniRemoveKey(doc, L"k");
  FUZZ_CHECK(doc.modified == keyThere);
  // The key's line goes, with its line end, and nothing comes in.
  if (keyThere) CheckWritten(doc, opened.text, 1, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FakeAddFolder(L"C:\\P");
  FakeAddFile(kPath, bytes);
  IniDocument read = IniOpen(kPath);
  const IniDocument opened = read;
  Enumerate(read);
  IniClose(read);
  FUZZ_CHECK(FakeFileBytes(kPath) == bytes);
  // A fresh world for the next input, made now so that every input frees what it
  // allocates and the fuzzer's leak check stays meaningful.
  ResetFake();

  CheckWrite(opened);
  CheckRemove(opened);
  return 0;
}
