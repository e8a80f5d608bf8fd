// Scrambled values and their Base64. Every byte string comes back from its Base64;
// every text the ANSI code page can carry comes back from its scrambled form, with
// the built-in key and with a password, through the decoder and through the
// launcher's own reading of the value; and no payload or key stream, however
// damaged, upsets the decoder.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/context.h"
#include "platform/platform.h"
#include "tests/fake_platform/fake_platform.h"
#include "tests/fuzz/fuzz_check.h"
#include "values/base64.h"
#include "values/scramble_format.h"
#include "values/scrambled.h"

namespace {

bool IsAlphabet(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
         c == L'+' || c == L'/' || c == L'=';
}

// The launcher's reading of a stored value; the password prompt answers `password`.
std::optional<std::wstring> LauncherReads(const std::wstring& value, const std::wstring& password) {
  LauncherContext ctx;
  Fake().requestAnswers = {password};
  std::optional<std::wstring> read;
  try {
    read = UnscrambleValue(ctx, value);
  } catch (const FakeExit&) {
  }
  // Nothing of this input stays behind: the fuzzer's leak check stays meaningful.
  Fake().requests.clear();
  Fake().requestAnswers.clear();
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const std::wstring encoded = EncodeBase64(bytes);
  FUZZ_CHECK(encoded.size() == (size + 2) / 3 * 4);
  for (wchar_t c : encoded) FUZZ_CHECK(IsAlphabet(c));
  FUZZ_CHECK(DecodeBase64(encoded) == bytes);

  // The bytes as damaged text: the tolerant reading takes any of it.
  std::wstring text;
  for (char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  if (const auto decoded = DecodeBase64(text)) FUZZ_CHECK(decoded->size() <= size / 4 * 3);
  const size_t cut = text.find(L'\0');
  const std::wstring keyStream = text.substr(0, cut);
  const std::wstring payload = cut == std::wstring::npos ? L"" : text.substr(cut + 1);
  DecodeScrambled(keyStream, payload);
  DecodeScrambled(KeyStreamOf(kBuiltInKey), text);

  // A password, a zero byte, the plain text: both in the code page (no zeros).
  std::string passwordBytes = bytes.substr(0, bytes.find('\0'));
  std::string plainBytes =
      passwordBytes.size() < size ? bytes.substr(passwordBytes.size() + 1) : "";
  std::erase(plainBytes, '\0');
  const std::wstring password = os::WideFromAnsi(passwordBytes);
  const std::wstring plain = os::WideFromAnsi(plainBytes);

  const std::optional<std::wstring> scrambled = ScrambleValue(plain);
  FUZZ_CHECK(scrambled && scrambled->starts_with(L"@@"));
  FUZZ_CHECK(DecodeScrambled(KeyStreamOf(kBuiltInKey), scrambled->substr(2)) == plain);
  FUZZ_CHECK(LauncherReads(*scrambled, L"") == plain);

  const std::optional<std::wstring> locked = ScrambleValueWithPassword(plain, password);
  FUZZ_CHECK(locked.has_value() == !password.empty());
  if (locked) {
    FUZZ_CHECK(locked->starts_with(L"!@@"));
    FUZZ_CHECK(DecodeScrambled(KeyStreamOf(password), locked->substr(3)) == plain);
    FUZZ_CHECK(LauncherReads(*locked, password) == plain);
  }
  return 0;
}
