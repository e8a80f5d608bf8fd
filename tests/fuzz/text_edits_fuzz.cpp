// Fuzz target: the text formats that replace and replaceline read and write, and
// the ini document's reader and writer, on arbitrary bytes. Every property
// checked is one a user's file depends on: what is read comes back byte for
// byte, and what is written reads back as what was meant.
//
// Run long by hand with scripts/fuzz.sh text_edits; CI runs it briefly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fileops/text_edits.h"
#include "fileops/text_format.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"
#include "values/ini_document.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

void CheckTextFormat(std::string_view bytes) {
  const std::optional<DecodedText> decoded = DecodeText(bytes);
  if (!decoded) return;
  Require(EncodeText(decoded->text, decoded->format) == bytes);
}

// replace and replaceline through the in-memory file system: the file is either
// untouched or holds the edited text in the format it had.
void CheckEdits(const std::string& bytes) {
  const std::wstring path = L"C:\\F\\t.txt";
  const std::optional<DecodedText> before = DecodeText(bytes);
  ResetFake();
  FakeAddFolder(L"C:\\F");
  FakeAddFile(path, bytes);
  if (ReplaceTextInFile(path, L"a", L"\u00FC\r\n")) {
    Require(before.has_value());
    const std::string written = FakeFileBytes(path);
    Require(EncodeText(ReplaceAll(before->text, L"a", L"\u00FC\r\n"), before->format) == written);
  } else {
    Require(FakeFileBytes(path) == bytes);
  }
  FakeAddFile(path, bytes);
  if (!ReplaceLineInFile(path, L"k", L"line"))
    Require(FakeFileBytes(path) == bytes);
  else
    Require(before.has_value() && FakeFileBytes(path).size() > 0);
}

// The document of the bytes, a key written, the bytes written back: they read as
// the same text in the same format, and a document that was not changed is never
// written.
void CheckIni(std::string_view bytes) {
  IniDocument doc;
  IniReadBytes(doc, bytes);
  if (doc.discardWrites) return;
  IniSelectSection(doc, L"S");
  IniWriteKey(doc, L"k", L"v\u00FC");
  // Every format read faithfully carries the value: the code page here holds it.
  const std::optional<std::string> written = IniWrittenBytes(doc);
  Require(written.has_value());
  IniDocument again;
  IniReadBytes(again, *written);
  Require(!again.discardWrites);
  Require(again.text == doc.text);
  Require(again.format == doc.format);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckTextFormat(bytes);
  CheckEdits(bytes);
  CheckIni(bytes);
  return 0;
}
