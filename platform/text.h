// Small text helpers shared by every area. Text is UTF-16 (std::wstring) inside
// the launcher; UTF-8 appears only at the edges (files).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Removes U+0020 at both ends; tabs stay.
std::wstring TrimSpaces(std::wstring_view text);
std::wstring_view TrimSpacesView(std::wstring_view text);
// Removes spaces and tabs at both ends.
std::wstring TrimBlanks(std::wstring_view text);
std::wstring_view TrimBlanksView(std::wstring_view text);

bool StartsWith(std::wstring_view text, std::wstring_view prefix);
bool EndsWith(std::wstring_view text, std::wstring_view suffix);
bool Contains(std::wstring_view text, std::wstring_view part);

// Replaces every occurrence, left to right without overlap, case-sensitively.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

// Lowers A-Z only; every other character stays.
std::wstring LowerAscii(std::wstring_view text);
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// UTF-8 <-> UTF-16. Malformed UTF-8 becomes U+FFFD per bad sequence; unpaired
// surrogates become U+FFFD on the way out.
std::wstring WideFromUtf8(std::string_view bytes);
std::string Utf8FromWide(std::wstring_view text);

// True when every byte belongs to a well-formed UTF-8 sequence (no overlong form,
// surrogate or value past U+10FFFF): what WideFromUtf8 decodes without U+FFFD.
bool IsWellFormedUtf8(std::string_view bytes);

// UTF-16LE bytes without a mark <-> text. nullopt for an odd number of bytes or an
// unpaired surrogate: such bytes would not come back as they were.
std::optional<std::wstring> WideFromUtf16Le(std::string_view bytes);
std::string Utf16LeFromWide(std::wstring_view text);
// UTF-16LE bytes as the units they hold, up to the first zero unit, surrogates
// paired or not: a registry text as the registry and its files keep it. An odd
// last byte is no unit.
std::wstring Utf16LeUnits(std::string_view bytes);

// FNV-1a over the bytes: a text's checksum, and a short name derived from a long
// one. Two texts that differ in one byte never hash alike.
std::uint64_t Fnv1a64(std::string_view bytes);

// Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);

// The value in lower-case hexadecimal, the lowest `digits` digits, zero-padded.
std::wstring HexDigits(std::uint64_t value, int digits);

// The number in decimal digits, without the printf that std::to_wstring brings
// (some 20 KB of the shipped image).
std::wstring DecimalText(std::uint64_t number);
