#include "values/empty_expansion.h"

#include <algorithm>

namespace {

constexpr wchar_t kMark[] = {kEmptyExpansion, 0};

}  // namespace

std::wstring_view OrEmptyMark(std::wstring_view replacement) {
  return replacement.empty() ? std::wstring_view(kMark, 1) : replacement;
}

std::wstring WithoutEmptyMarks(std::wstring_view text) {
  std::wstring clean(text);
  std::erase(clean, kEmptyExpansion);
  return clean;
}

bool LostANameToAnEmptyExpansion(std::wstring_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(L"\\/", start);
    if (end == std::wstring_view::npos) end = path.size();
    const std::wstring_view name = path.substr(start, end - start);
    if (name.find(kEmptyExpansion) != std::wstring_view::npos &&
        std::all_of(name.begin(), name.end(), [](wchar_t c) {
          return c == kEmptyExpansion || c == L'*' || c == L'?' || c == L' ' || c == L'.';
        }))
      return true;
    start = end + 1;
  }
  return false;
}
