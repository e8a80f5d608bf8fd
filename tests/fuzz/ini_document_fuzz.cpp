// The ini reader and writer. Any file, read and written back (in both layouts),
// reads again as the same entries: sections, comments, keys and values, and the
// same keys enumerated under every section. Reading alone never changes the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"
#include "tests/fuzz/fuzz_check.h"
#include "values/ini_document.h"

namespace {

const std::wstring kPath = L"C:\\P\\Edited.ini";

bool SameEntries(const std::vector<IniEntry>& a, const std::vector<IniEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].value != b[i].value) return false;
  return true;
}

// Reads as the launcher does: every key of every section it can select, in order;
// each section's last key is looked up by name as well.
void Enumerate(IniDocument& doc) {
  std::vector<std::wstring> sections{L""};
  for (const IniEntry& entry : doc.entries)
    if (entry.kind == IniEntryKind::Section) sections.push_back(WideFromUtf8(entry.name));
  for (const std::wstring& section : sections) {
    if (!IniSelectSection(doc, section) || !IniFirstKey(doc)) continue;
    std::wstring name;
    while (IniNextKey(doc)) {
      name = IniKeyName(doc);
      FUZZ_CHECK(IniKeyValue(doc).size() <= doc.entries[doc.cursor].value.size());
    }
    IniReadKey(doc, name, L"");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakeAddFolder(L"C:\\P");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FakeAddFile(kPath, bytes);

  IniDocument read = IniOpen(kPath, IniWriteOptions{});
  const std::vector<IniEntry> entries = read.entries;
  Enumerate(read);
  IniClose(read);
  FUZZ_CHECK(FakeFileBytes(kPath) == bytes);

  for (const IniWriteOptions options :
       {IniWriteOptions{false, false}, IniWriteOptions{true, true}}) {
    FakeAddFile(kPath, bytes);
    IniDocument written = IniOpen(kPath, options);
    written.modified = true;
    IniClose(written);
    // The same entries are the same sections, keys and values to every reader.
    IniDocument again = IniOpen(kPath, options);
    FUZZ_CHECK(SameEntries(again.entries, entries));
    IniClose(again);
  }
  // A fresh world for the next input, made now so that every input frees what it
  // allocates and the fuzzer's leak check stays meaningful.
  ResetFake();
  return 0;
}
