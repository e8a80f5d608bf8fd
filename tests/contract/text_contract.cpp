// Text as the system converts and compares it: the ANSI code page, and the
// capitals of names.
#include "tests/contract/contract.h"

namespace contract {
namespace {

// The ANSI bytes of the text (printable ASCII as it is, the rest as \xNN), and
// whether the text comes back from them. The rig's code page is 1252, as the
// fake's: what it lacks may become "?" or a look-alike (Windows writes "A" for
// "\u0100"), so only the way back tells.
std::string Ansi(const std::wstring& text) {
  const std::string bytes = os::AnsiFromWide(text);
  std::string shown;
  for (unsigned char c : bytes)
    shown += c >= 0x20 && c < 0x7F ? std::string(1, char(c)) : "\\x" + Hex(c).substr(2);
  return "[" + shown + (os::WideFromAnsi(bytes) == text ? "] held" : "] lost");
}

TEST(Contract, AnsiCodePage) {
  CheckRows(
      "AnsiFromWide, WideFromAnsi",
      {
          {"what the code page holds comes back, zeros and all", nullptr,
           [] {
             return Words({Ansi(L"C:\\Daten \u00e4\u00f6\u00fc \u20ac"),
                           Ansi(std::wstring(L"a\0?b", 4)), Ansi(L"")});
           },
           "[C:\\Daten \\xe4\\xf6\\xfc \\x80] held [a\\x0?b] held [] held"},
          {"what it lacks is marked, and the way back shows it", nullptr,
           [] {
             return Words(
                 {Ansi(L"a\u4e2db"),
                  os::WideFromAnsi(os::AnsiFromWide(L"\u0100")) == L"\u0100" ? "held" : "lost"});
           },
           "[a?b] lost lost"},
          {"the bytes of the code page, read", nullptr,
           [] { return Utf8(os::WideFromAnsi("\xE4\x80\x9F")); }, "\u00e4\u20ac\u0178"},
      });
}

TEST(Contract, UpperCaseForNames) {
  CheckRows(
      "UpperCaseForNames",
      {
          {"each character by itself, none made longer; the final sigma stays", nullptr,
           [] {
             return Utf8(os::UpperCaseForNames(
                 L"stra\u00dfe \u00e4\u00f6\u00fc\u00ff \u0101\u017e \u03b1\u03c2 \u0434\u0451 "
                 L"x1_\u4e2d"));
           },
           "STRA\u00dfE \u00c4\u00d6\u00dc\u0178 \u0100\u017d \u0391\u03c2 \u0414\u0401 X1_\u4e2d"},
          {"the empty text", nullptr, [] { return Utf8(os::UpperCaseForNames(L"")); }, ""},
      });
}

}  // namespace
}  // namespace contract
