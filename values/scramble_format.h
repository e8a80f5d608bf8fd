// The format of scrambled values, in one place: the launcher's decoder and the
// encoder of the voq-scramble tool.
//
// A stored value is a prefix ("@@" for the built-in key, "!@@" for a password)
// and a payload: Base64 of an intermediate text, which is the XOR step of the key
// stream with the Base64 of the ANSI bytes of "PROOF_MARK" followed by the plain
// value. The key stream of a key is the Base64 of its ANSI bytes and one zero byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The key that every "@@" value is scrambled with.
inline constexpr std::wstring_view kBuiltInKey = L"zuLmOq";

// Base64 of the key's ANSI bytes followed by one zero byte.
std::wstring KeyStreamOf(std::wstring_view key);

// The plain value of a payload (the text after the prefix), or nullopt when the
// payload does not decode or the key stream is not the one it was made with.
std::optional<std::wstring> DecodeScrambled(std::wstring_view keyStream, std::wstring_view payload);

// The ini value that decodes to the plain value: "@@" + payload for the built-in
// key, "!@@" + payload under a password. nullopt when the plain value or the
// password holds a character the ANSI code page lacks (it would not come back),
// or when the password is empty (the launcher takes an empty answer for "stop").
std::optional<std::wstring> ScrambleValue(std::wstring_view plain);
std::optional<std::wstring> ScrambleValueWithPassword(std::wstring_view plain,
                                                      std::wstring_view password);
