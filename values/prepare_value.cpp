#include "values/prepare_value.h"

#include "platform/platform.h"
#include "platform/text.h"
#include "values/empty_expansion.h"
#include "values/macros.h"
#include "values/scrambled.h"
#include "values/user_vars.h"

namespace {

// Recognised only in the raw value: nothing an expansion brings in can empty a field.
constexpr std::wstring_view kNullMarker = L" :: NULL :: ";
constexpr std::wstring_view kEmptyField = L" ::  :: ";

}  // namespace

std::wstring PrepareValue(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                          std::wstring_view sectionLabel) {
  return TrimSpaces(WithoutEmptyMarks(PrepareMarkedValue(ctx, value, keyName, sectionLabel)));
}

std::wstring PrepareMarkedValue(LauncherContext& ctx, std::wstring_view value,
                                std::wstring_view keyName, std::wstring_view sectionLabel) {
  std::wstring text = TrimSpaces(value);
  text = ReplaceAll(text, kNullMarker, kEmptyField);
  text = UnscrambleValue(ctx, text);
  // Macros first, so that a replacement holding %name% is expanded by the system below.
  text = ExpandMacros(ctx, text, keyName, sectionLabel);
  text = ExpandEnvironment(text);
  text = SubstituteUserVars(ctx, text);
  return TrimSpaces(text);
}

std::wstring Field(std::wstring_view text, int n) { return std::wstring(FieldView(text, n)); }

std::wstring_view FieldView(std::wstring_view text, int n) {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int k = 1; k < n; ++k) {
    const std::size_t hit = text.find(kFieldSeparator, start);
    if (hit == std::wstring_view::npos) return {};
    start = hit + kFieldSeparator.size();
  }
  const std::size_t end = text.find(kFieldSeparator, start);
  return text.substr(start, end == std::wstring_view::npos ? end : end - start);
}

std::wstring ExpandEnvironment(std::wstring_view text) {
  return os::ExpandEnv(std::wstring(text)).value_or(std::wstring());
}
