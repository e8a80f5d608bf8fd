#include "values/scramble_format.h"

#include "platform/platform.h"
#include "platform/text.h"
#include "values/base64.h"

namespace {

// Every decoded value starts with it: it proves that the key was right.
constexpr std::wstring_view kMarker = L"PROOF_MARK";

// Base64 of the text read as ANSI bytes up to the first zero byte; nullopt when
// the Base64 is malformed.
std::optional<std::wstring> DecodeToText(std::wstring_view base64) {
  std::optional<std::string> bytes = DecodeBase64(base64);
  if (!bytes) return std::nullopt;
  const size_t zero = bytes->find('\0');
  if (zero != std::string::npos) bytes->resize(zero);
  return os::WideFromAnsi(*bytes);
}

// The key stream repeats with a period one longer than its length; the last
// position of each period has key code 0 and passes its character through. A
// character equal to its key code passes through too, so no zero ever appears,
// and the step is its own inverse for texts without zeros.
std::wstring XorStep(std::wstring_view keyStream, std::wstring_view text) {
  std::wstring out(text);
  const size_t period = keyStream.size() + 1;
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t j = i % period;
    const wchar_t k = j < keyStream.size() ? keyStream[j] : L'\0';
    if (out[i] != k) out[i] = static_cast<wchar_t>(out[i] ^ k);
  }
  return out;
}

// A zero would end the decoded text early; a character the code page lacks would
// come back as another.
bool RoundTripsThroughAnsi(std::wstring_view text) {
  const std::wstring wide(text);
  return wide.find(L'\0') == std::wstring::npos && os::WideFromAnsi(os::AnsiFromWide(wide)) == wide;
}

std::wstring Scramble(std::wstring_view keyStream, std::wstring_view plain) {
  const std::wstring inner =
      EncodeBase64(os::AnsiFromWide(std::wstring(kMarker) + std::wstring(plain)));
  // Both texts are Base64, so the intermediate is ASCII without zeros: its
  // characters are its bytes.
  const std::wstring intermediate = XorStep(keyStream, inner);
  std::string bytes;
  for (wchar_t c : intermediate) bytes.push_back(static_cast<char>(c));
  return EncodeBase64(bytes);
}

}  // namespace

std::wstring KeyStreamOf(std::wstring_view key) {
  std::string bytes = os::AnsiFromWide(std::wstring(key));
  bytes.push_back('\0');
  return EncodeBase64(bytes);
}

std::optional<std::wstring> DecodeScrambled(std::wstring_view keyStream,
                                            std::wstring_view payload) {
  const std::optional<std::wstring> intermediate = DecodeToText(payload);
  if (!intermediate) return std::nullopt;
  const std::wstring inner = XorStep(keyStream, *intermediate);
  if (inner.empty()) return std::nullopt;
  const std::optional<std::wstring> marked = DecodeToText(TrimSpaces(inner));
  if (!marked || !StartsWith(*marked, kMarker)) return std::nullopt;
  return marked->substr(kMarker.size());
}

std::optional<std::wstring> ScrambleValue(std::wstring_view plain) {
  if (!RoundTripsThroughAnsi(plain)) return std::nullopt;
  return L"@@" + Scramble(KeyStreamOf(kBuiltInKey), plain);
}

std::optional<std::wstring> ScrambleValueWithPassword(std::wstring_view plain,
                                                      std::wstring_view password) {
  if (password.empty() || !RoundTripsThroughAnsi(plain) || !RoundTripsThroughAnsi(password))
    return std::nullopt;
  return L"!@@" + Scramble(KeyStreamOf(password), plain);
}
