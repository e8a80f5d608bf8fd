#include "values/scrambled.h"

#include <optional>

#include "platform/context.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/scramble_format.h"

namespace {

constexpr wchar_t kPasswordMessage[] = L"Enter password:";
constexpr wchar_t kInvalidPassword[] = L"Invalid password!";

std::wstring DecodeOrEnd(LauncherContext& ctx, std::wstring_view keyStream,
                         std::wstring_view payload) {
  std::optional<std::wstring> plain = DecodeScrambled(keyStream, payload);
  if (!plain) {
    os::ShowMessageBox(kInvalidPassword, ctx.launcherName, os::kBoxOk | os::kBoxTopmost);
    EndLauncher(ctx);
  }
  return *plain;
}

std::wstring_view WithoutLeading(std::wstring_view text, wchar_t c) {
  const size_t start = text.find_first_not_of(c);
  return start == std::wstring_view::npos ? std::wstring_view() : text.substr(start);
}

}  // namespace

std::wstring UnscrambleValue(LauncherContext& ctx, std::wstring_view value) {
  if (value.size() > 3 && StartsWith(value, L"!@@")) {
    const std::wstring_view payload = WithoutLeading(WithoutLeading(value, L'!'), L'@');
    if (!ctx.rememberedKeyStream.empty()) return DecodeOrEnd(ctx, ctx.rememberedKeyStream, payload);
    const std::wstring password =
        os::AskText(ctx.launcherName, kPasswordMessage, L"", true).value_or(std::wstring());
    if (password.empty()) EndLauncher(ctx);
    const std::wstring keyStream = KeyStreamOf(password);
    std::wstring plain = DecodeOrEnd(ctx, keyStream, payload);
    // The built-in key is never remembered: a later "!@@" value asks again.
    if (password != kBuiltInKey) ctx.rememberedKeyStream = keyStream;
    return plain;
  }
  if (value.size() > 2 && StartsWith(value, L"@@"))
    return DecodeOrEnd(ctx, KeyStreamOf(kBuiltInKey), WithoutLeading(value, L'@'));
  return std::wstring(value);
}
