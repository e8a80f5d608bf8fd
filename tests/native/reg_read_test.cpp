// Registry notation and the direct registry reads, against the in-memory registry.
#include "registry/reg_read.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "registry/reg_notation.h"
#include "tests/fake_platform/fake_platform.h"
#include "values/prepare_value.h"

using os::RegRoot;

namespace {

const std::wstring kKey = L"Software\\Vendor\\App";

}  // namespace

TEST(RegNotation, ParseRegPathTakesLongAndShortRootNamesInAnyLetterCase) {
  struct Case {
    const wchar_t* path;
    std::optional<RegRoot> root;
    const wchar_t* subkey;
  };
  const Case cases[] = {
      {L"HKEY_CLASSES_ROOT\\jarfile\\shell", RegRoot::ClassesRoot, L"jarfile\\shell"},
      {L"HKCU\\Software\\Vendor", RegRoot::CurrentUser, L"Software\\Vendor"},
      {L"hkey_local_machine\\SOFTWARE", RegRoot::LocalMachine, L"SOFTWARE"},
      {L"Hku\\.DEFAULT\\x", RegRoot::Users, L".DEFAULT\\x"},
      {L"HKEY_CURRENT_CONFIG\\System", RegRoot::CurrentConfig, L"System"},
      {L"HKCC\\", RegRoot::CurrentConfig, L""},
      // Without a backslash the whole path is the subkey: a key that does not exist.
      {L"HKCU", RegRoot::CurrentUser, L"HKCU"},
      {L"HKXX\\Software", std::nullopt, L"Software"},
      {L"HKCU Software\\x", std::nullopt, L"x"},
      {L"", std::nullopt, L""},
  };
  for (const Case& c : cases) {
    const RegPath parsed = ParseRegPath(c.path);
    EXPECT_EQ(parsed.root, c.root) << testing::PrintToString(std::wstring(c.path));
    EXPECT_EQ(parsed.subkey, c.subkey);
  }
}

TEST(RegNotation, ExpandRootNamesRewritesShortNamesWithTheirBackslashOnly) {
  EXPECT_EQ(ExpandRootNames(L"HKCR\\a HKCU\\b HKLM\\c HKU\\d HKCC\\e"),
            L"HKEY_CLASSES_ROOT\\a HKEY_CURRENT_USER\\b HKEY_LOCAL_MACHINE\\c HKEY_USERS\\d "
            L"HKEY_CURRENT_CONFIG\\e");
  EXPECT_EQ(ExpandRootNames(L"x=HKCU\\k;HKCU\\k2"),
            L"x=HKEY_CURRENT_USER\\k;HKEY_CURRENT_USER\\k2");
  // Case-sensitive, and a bare name without its backslash is no root.
  EXPECT_EQ(ExpandRootNames(L"hkcu\\k Hkcu\\k HKCU"), L"hkcu\\k Hkcu\\k HKCU");
  EXPECT_EQ(ExpandRootNames(L"HKEY_CURRENT_USER\\k"), L"HKEY_CURRENT_USER\\k");
}

TEST(RegNotation, SplitValuePathCutsAtTheLastBackslash) {
  ValuePath split = SplitValuePath(L"HKCU\\Software\\App\\Last Run");
  EXPECT_EQ(split.keyPath, L"HKCU\\Software\\App");
  EXPECT_EQ(split.valueName, L"Last Run");
  split = SplitValuePath(L"HKCU\\Software\\App\\");
  EXPECT_EQ(split.keyPath, L"HKCU\\Software\\App");
  EXPECT_EQ(split.valueName, L"");
  split = SplitValuePath(L"Name");
  EXPECT_EQ(split.keyPath, L"");
  EXPECT_EQ(split.valueName, L"Name");
}

class RegReadTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
};

TEST_F(RegReadTest, StringAndDwordValuesCarryTheirTypeLabel) {
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Path", L"C:\\Data :: x");
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"", L"default");
  FakeSetRegDword(RegRoot::CurrentUser, kKey, L"Count", 42);
  FakeSetRegDword(RegRoot::CurrentUser, kKey, L"All", 0xFFFFFFFFu);
  FakeSetRegDword(RegRoot::CurrentUser, kKey, L"Top", 0x80000000u);
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Path"), L"C:\\Data :: x :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"path"), L"C:\\Data :: x :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L""), L"default :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Count"), L"42 :: REG_DWORD");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"All"), L"-1 :: REG_DWORD");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Top"), L"-2147483648 :: REG_DWORD");
}

TEST_F(RegReadTest, WhatCannotBeReadIsEmptyData) {
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Here", L"x");
  FakeSetRegValue(RegRoot::CurrentUser, kKey, L"Expand", os::kRegExpandSz,
                  std::string("%\0A\0%\0\0\0", 8));
  FakeSetRegValue(RegRoot::CurrentUser, kKey, L"Binary", os::kRegBinary, "\x01\x02");
  FakeSetRegString(RegRoot::LocalMachine, L"SOFTWARE\\Locked", L"Here", L"x");
  Fake().registry[{RegRoot::LocalMachine, L"software\\locked"}].readable = false;
  const std::wstring missing = L" :: REG_SZ";
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Gone"), missing);
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey + L"\\Sub", L"Here"), missing);
  EXPECT_EQ(ReadRegValue(RegRoot::LocalMachine, kKey, L"Here"), missing);
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Expand"), missing);
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Binary"), missing);
  EXPECT_EQ(ReadRegValue(RegRoot::LocalMachine, L"SOFTWARE\\Locked", L"Here"), missing);
  EXPECT_EQ(ReadRegValue(std::nullopt, kKey, L"Here"), missing);
}

TEST_F(RegReadTest, OneLeadingBackslashOfTheSubkeyIsDropped) {
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Here", L"x");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, L"\\" + kKey, L"Here"), L"x :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, L"\\\\" + kKey, L"Here"), L" :: REG_SZ");
}

TEST_F(RegReadTest, TextsUpTo254CharactersFitTheBufferAndLongerOnesReadEmpty) {
  const std::wstring fits(254, L'a');
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Fits", fits);
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Long", std::wstring(255, L'b'));
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Huge", std::wstring(100000, L'c'));
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Fits"), fits + L" :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Long"), L" :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Huge"), L" :: REG_SZ");
}

TEST_F(RegReadTest, StoredDataIsReadAsTheSystemHandsItOver) {
  // Text ends at the first zero, or at the end of data stored without one.
  FakeSetRegValue(RegRoot::CurrentUser, kKey, L"Two", os::kRegSz, std::string("a\0\0\0b\0\0\0", 8));
  FakeSetRegValue(RegRoot::CurrentUser, kKey, L"Bare", os::kRegSz, std::string("a\0b\0c", 5));
  // A DWORD variable takes what fits; more than four bytes leave it at zero.
  FakeSetRegValue(RegRoot::CurrentUser, kKey, L"Short", os::kRegDword, "\x05");
  FakeSetRegValue(RegRoot::CurrentUser, kKey, L"Wide", os::kRegDword,
                  std::string("\x05\x00\x00\x00\x01", 5));
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Two"), L"a :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Bare"), L"ab :: REG_SZ");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Short"), L"5 :: REG_DWORD");
  EXPECT_EQ(ReadRegValue(RegRoot::CurrentUser, kKey, L"Wide"), L"0 :: REG_DWORD");
}

TEST_F(RegReadTest, EnumerationListsNamesByIndexUntilTheEnd) {
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"", L"default");
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"First", L"1");
  FakeSetRegDword(RegRoot::CurrentUser, kKey, L"Second", 2);
  FakeAddRegKey(RegRoot::CurrentUser, kKey + L"\\Beta");
  FakeAddRegKey(RegRoot::CurrentUser, kKey + L"\\Alpha\\Deeper");
  std::vector<std::wstring> values;
  for (unsigned i = 0; auto name = EnumRegValueName(L"HKCU\\" + kKey, i); ++i)
    values.push_back(*name);
  EXPECT_EQ(values, (std::vector<std::wstring>{L"", L"First", L"Second"}));
  std::vector<std::wstring> subkeys;
  for (unsigned i = 0; auto name = EnumRegSubkeyName(L"HKEY_CURRENT_USER\\" + kKey, i); ++i)
    subkeys.push_back(*name);
  EXPECT_EQ(subkeys, (std::vector<std::wstring>{L"Alpha", L"Beta"}));

  EXPECT_EQ(EnumRegSubkeyName(L"HKCU\\" + kKey + L"\\Beta", 0), std::nullopt);
  EXPECT_EQ(EnumRegValueName(L"HKCU\\Software\\Missing", 0), std::nullopt);
  EXPECT_EQ(EnumRegValueName(L"HKXX\\" + kKey, 0), std::nullopt);
  EXPECT_EQ(EnumRegSubkeyName(L"Software\\Vendor", 0), std::nullopt);
}

TEST_F(RegReadTest, ReadingSeveralValuesOfOneKeyAnswersEachAsASingleRead) {
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Text", L"x");
  FakeSetRegDword(RegRoot::CurrentUser, kKey, L"Number", 7);
  FakeSetRegString(RegRoot::CurrentUser, kKey, L"Long", std::wstring(300, L'l'));
  const std::vector<std::wstring> names = {L"Number", L"Gone", L"Text", L"Long", L"Text"};
  EXPECT_EQ(ReadRegValues(RegRoot::CurrentUser, L"\\" + kKey, names),
            (std::vector<std::wstring>{L"7 :: REG_DWORD", L" :: REG_SZ", L"x :: REG_SZ",
                                       L" :: REG_SZ", L"x :: REG_SZ"}));
  EXPECT_EQ(Fake().registryQueries, 5);
  const std::vector<std::wstring> nothing(names.size(), L" :: REG_SZ");
  EXPECT_EQ(ReadRegValues(RegRoot::CurrentUser, kKey + L"\\Sub", names), nothing);
  EXPECT_EQ(ReadRegValues(std::nullopt, kKey, names), nothing);
}

TEST_F(RegReadTest, DataAloneIsTheFirstFieldOfTheReadResult) {
  const std::vector<std::wstring> names = {L"a", L"b", L"c", L"d", L"e", L"f", L"n"};
  const wchar_t* data[] = {L"plain", L"x :: y", L"x ::", L"x :", L" :: ", L"::"};
  for (size_t i = 0; i < std::size(data); ++i)
    FakeSetRegString(RegRoot::CurrentUser, kKey, names[i], data[i]);
  FakeSetRegDword(RegRoot::CurrentUser, kKey, L"n", 5);
  const std::vector<std::wstring> alone = ReadRegData(RegRoot::CurrentUser, kKey, names);
  ASSERT_EQ(alone.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(alone[i], Field(ReadRegValue(RegRoot::CurrentUser, kKey, names[i]), 1)) << i;
  EXPECT_EQ(alone[1], L"x");
  EXPECT_EQ(alone[2], L"x");
  EXPECT_EQ(alone[6], L"5");
  EXPECT_EQ(ReadRegData(std::nullopt, kKey, names), std::vector<std::wstring>(names.size()));
}
