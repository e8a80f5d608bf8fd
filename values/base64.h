// Base64 (RFC 4648 alphabet, "=" padding) for the scrambled values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Standard alphabet with "+" and "/", "=" padding, no line breaks.
std::wstring EncodeBase64(std::string_view bytes);

// The tolerant reading of scrambled payloads: "-" counts as "+" and "_" as "/",
// tab, CR and LF are skipped, "=" ends its group of four, and a tail of fewer
// than four characters is ignored. nullopt when a group holds any other
// character outside the alphabet.
std::optional<std::string> DecodeBase64(std::wstring_view text);
