#include <algorithm>
#include <cstdio>

#include "platform/text.h"
#include "tests/contract/contract.h"

namespace contract {

void CheckRows(const char* table, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    if (row.onlyOnFake && OnWine()) {
      std::printf("fake only: %s: %s (%s)\n", table, row.name, row.onlyOnFake);
      continue;
    }
    NewScene();
    if (row.arrange) row.arrange();
    EXPECT_EQ(row.answer(), row.expected) << table << ": " << row.name;
    EndScene();
  }
}

// The user's scratch key's name, below SOFTWARE.
std::wstring MachineScratch(const std::wstring& relative) {
  return L"SOFTWARE\\" + RegScratch(relative).substr(9);
}
std::wstring MachineScratch32(const std::wstring& relative) {
  return L"SOFTWARE\\WOW6432Node\\" + RegScratch(relative).substr(9);
}

std::string Utf8(const std::wstring& text) { return Utf8FromWide(text); }

std::string Words(std::initializer_list<std::string> words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string StateText(std::int64_t state) {
  switch (state) {
    case os::kStateMissing:
      return "missing";
    case os::kStateFolder:
      return "folder";
    case os::kStateUnreadable:
      return "unreadable";
  }
  return std::to_string(state);
}

std::string State(const std::wstring& relative) { return StateText(os::FileState(At(relative))); }

std::string ListingText(const std::optional<std::vector<os::DirEntry>>& listing) {
  if (!listing) return "none";
  std::vector<std::string> entries;
  for (const os::DirEntry& entry : *listing) {
    std::string text = Utf8(entry.name);
    if (entry.isFolder) {
      text += "\\";
    } else {
      text += " " + std::to_string(entry.size);
      if (entry.lastWrite != 0) text += " timed";
    }
    if (entry.isLink) text += " link";
    if (entry.isHiddenOrSystem) text += " hidden";
    entries.push_back(text);
  }
  // The system's order is its own (NTFS: by name; Wine: as Linux lists).
  std::sort(entries.begin(), entries.end());
  std::string text;
  for (const std::string& entry : entries) text += (text.empty() ? "" : ", ") + entry;
  return text;
}

std::uint64_t WriteTime(const std::wstring& relative) {
  const std::wstring path = At(relative);
  const size_t cut = path.find_last_of(L'\\');
  const auto listing = os::ListFolder(path.substr(0, cut), path.substr(cut + 1));
  return listing && listing->size() == 1 ? listing->front().lastWrite : 0;
}

std::string Bytes(const std::wstring& relative) {
  const os::FileRef file = os::OpenExistingFile(At(relative), os::OpenMode::ReadShareReadWrite);
  if (file == 0) return "no file";
  std::string bytes;
  const bool read = os::ReadWholeFile(file, bytes);
  os::CloseFile(file);
  return read ? bytes : "unread";
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%x", value);
  return text;
}

}  // namespace contract
