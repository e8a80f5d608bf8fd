#include "commands/file_stamps.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "values/prepare_value.h"

namespace {

constexpr std::wstring_view kNow = L"now";
// 'd' stands for a digit; every other character must stand as it is.
constexpr std::wstring_view kDateShape = L"dddd.dd.dd dd:dd:dd";

struct AttributeWord {
  std::wstring_view word;
  unsigned attribute;
};
constexpr AttributeWord kAttributeWords[] = {
    {L"archive", os::kAttrArchive},   {L"compressed", os::kAttrCompressed},
    {L"hidden", os::kAttrHidden},     {L"normal", os::kAttrNormal},
    {L"readonly", os::kAttrReadOnly}, {L"system", os::kAttrSystem},
};

int Number(std::wstring_view digits) {
  int value = 0;
  for (wchar_t c : digits) value = value * 10 + (c - L'0');
  return value;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

os::FileDate WhichDate(std::wstring_view field) {
  // Tested in this order: a field naming both selects the last-access date.
  os::FileDate which = os::FileDate::Modified;
  if (Contains(field, L"created")) which = os::FileDate::Created;
  if (Contains(field, L"accessed")) which = os::FileDate::Accessed;
  return which;
}

}  // namespace

std::optional<os::LocalTime> ReadDateText(std::wstring_view text) {
  if (text.size() != kDateShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= L'0' && text[i] <= L'9';
    if (kDateShape[i] == L'd' ? !digit : text[i] != kDateShape[i]) return std::nullopt;
  }
  os::LocalTime when;
  when.year = Number(text.substr(0, 4));
  when.month = Number(text.substr(5, 2));
  when.day = Number(text.substr(8, 2));
  when.hour = Number(text.substr(11, 2));
  when.minute = Number(text.substr(14, 2));
  when.second = Number(text.substr(17, 2));
  if (when.year < 1601 || when.month < 1 || when.month > 12 || when.day < 1 ||
      when.day > DaysInMonth(when.year, when.month) || when.hour > 23 || when.minute > 59 ||
      when.second > 59)
    return std::nullopt;
  return when;
}

void DateCommand(LauncherContext& ctx, const std::wstring& value) {
  const std::wstring file = ResolvePath(ctx, Field(value, 1));
  if (os::FileState(file) < 0) return;  // missing, or a folder
  const std::wstring date = Field(value, 2);
  const std::optional<os::LocalTime> when =
      date.empty() || date == kNow ? os::LocalClock() : ReadDateText(date);
  if (when) os::SetFileDate(file, WhichDate(Field(value, 3)), *when);
}

void AttributesCommand(LauncherContext& ctx, const std::wstring& value) {
  const std::wstring path = ResolvePath(ctx, Field(value, 1));
  if (!os::FileAttributes(path)) return;
  std::wstring words = Field(value, 2);
  if (TrimSpaces(words).empty()) words = L"normal";
  unsigned attributes = 0;
  for (const AttributeWord& row : kAttributeWords)
    if (Contains(words, row.word)) attributes |= row.attribute;
  // Words the launcher does not know name no attribute: the file becomes normal.
  os::SetFileAttributes(path, attributes == 0 ? os::kAttrNormal : attributes);
}
