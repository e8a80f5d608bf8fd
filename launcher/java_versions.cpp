#include "launcher/java_versions.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"

namespace {

constexpr std::wstring_view kJavaSoft = L"SOFTWARE\\JavaSoft\\";
constexpr std::wstring_view kJavaKeys[] = {L"Java Runtime Environment", L"JRE", L"JDK"};
// 64-bit Java registers in the 64-bit view, 32-bit Java in the 32-bit one.
constexpr os::RegView kViews[] = {os::RegView::Bits64, os::RegView::Bits32};

// The runs of digits in order: 11.0.2 is 11, 0, 2; 1.8.0_201 is 8, 0, 201.
std::vector<unsigned long> VersionNumbers(std::wstring_view text) {
  std::vector<unsigned long> numbers;
  bool inNumber = false;
  for (const wchar_t c : text) {
    const bool digit = c >= L'0' && c <= L'9';
    if (digit && !inNumber) numbers.push_back(0);
    inNumber = digit;
    // Held within a bound: a version text of any length never overflows.
    if (digit && numbers.back() < 100'000'000) numbers.back() = numbers.back() * 10 + (c - L'0');
  }
  if (numbers.size() > 1 && numbers.front() == 1) numbers.erase(numbers.begin());
  return numbers;
}

// Subkeys such as "MSI" or "Plugin" are no versions.
bool NamesAVersion(std::wstring_view text) {
  return !text.empty() && text.front() >= L'0' && text.front() <= L'9';
}

std::wstring TextOf(const os::RegData& data) {
  if (data.outcome != os::RegOutcome::Ok || data.type != os::kRegSz) return L"";
  std::wstring text = WideFromUtf16Le(data.bytes).value_or(L"");
  text.resize(std::min(text.size(), text.find(L'\0')));
  return text;
}

void Consider(InstalledJava& java, const std::wstring& candidate) {
  if (NamesAVersion(candidate) &&
      (java.version.empty() || CompareVersions(candidate, java.version) > 0))
    java.version = candidate;
}

}  // namespace

InstalledJava FindInstalledJava() {
  InstalledJava java;
  for (const os::RegView view : kViews) {
    for (const std::wstring_view name : kJavaKeys) {
      const std::wstring key = std::wstring(kJavaSoft) + std::wstring(name);
      const os::RegData current =
          os::QueryRegData(os::RegRoot::LocalMachine, key, L"CurrentVersion", view);
      const os::RegSubkeys subkeys = os::ListRegSubkeys(os::RegRoot::LocalMachine, key, view);
      java.readRefused = java.readRefused || current.outcome == os::RegOutcome::Failed ||
                         subkeys.outcome == os::RegOutcome::Failed;
      Consider(java, TextOf(current));
      for (const std::wstring& subkey : subkeys.names) Consider(java, subkey);
    }
  }
  return java;
}

int CompareVersions(std::wstring_view a, std::wstring_view b) {
  const std::vector<unsigned long> left = VersionNumbers(a);
  const std::vector<unsigned long> right = VersionNumbers(b);
  for (size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
    const unsigned long l = i < left.size() ? left[i] : 0;
    const unsigned long r = i < right.size() ? right[i] : 0;
    if (l != r) return l < r ? -1 : 1;
  }
  return 0;
}
