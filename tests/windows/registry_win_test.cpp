// The registry reads against the real (Wine) registry. The test values are made
// with the Win32 API under HKCU\Software\voQTest and removed again after each test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registry/reg_notation.h"
#include "registry/reg_read.h"

namespace {

const wchar_t kTestKey[] = L"Software\\voQTest";
const std::wstring kTestPath = L"HKCU\\Software\\voQTest";

class RegistryWin : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
  }

  void Set(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    Set(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetDword(const std::wstring& name, DWORD value) {
    Set(name, REG_DWORD, &value, sizeof(value));
  }
  void AddSubkey(const std::wstring& name) {
    HKEY sub = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(sub);
  }

  static std::wstring Read(const std::wstring& name) {
    return ReadRegValue(os::RegRoot::CurrentUser, kTestKey, name);
  }

  HKEY key = nullptr;
};

}  // namespace

TEST_F(RegistryWin, StringsAndDwordsReadWithTheirTypeAndMissingValuesReadEmpty) {
  SetText(L"Path", L"C:\\Program Files\\App");
  SetText(L"", L"the default");
  SetDword(L"Count", 42);
  SetDword(L"All", 0xFFFFFFFF);
  SetText(L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ);
  const BYTE binary[] = {1, 2, 3};
  Set(L"Binary", REG_BINARY, binary, sizeof(binary));
  EXPECT_EQ(Read(L"Path"), L"C:\\Program Files\\App :: REG_SZ");
  EXPECT_EQ(Read(L"PATH"), L"C:\\Program Files\\App :: REG_SZ");
  EXPECT_EQ(Read(L""), L"the default :: REG_SZ");
  EXPECT_EQ(Read(L"Count"), L"42 :: REG_DWORD");
  EXPECT_EQ(Read(L"All"), L"-1 :: REG_DWORD");
  EXPECT_EQ(Read(L"Expand"), L" :: REG_SZ");
  EXPECT_EQ(Read(L"Binary"), L" :: REG_SZ");
  EXPECT_EQ(Read(L"Gone"), L" :: REG_SZ");
  EXPECT_EQ(ReadRegValue(os::RegRoot::CurrentUser, L"Software\\voQTest\\Gone", L"Path"),
            L" :: REG_SZ");
}

TEST_F(RegistryWin, SeveralValuesOfOneKeyReadAsSingleReadsWould) {
  SetText(L"Text", L"x");
  SetDword(L"Number", 7);
  SetText(L"Long", std::wstring(300, L'l'));
  const std::vector<std::wstring> names = {L"Number", L"Gone", L"Text", L"Long", L"Text"};
  std::vector<std::wstring> single;
  for (const std::wstring& name : names) single.push_back(Read(name));
  EXPECT_EQ(single, (std::vector<std::wstring>{L"7 :: REG_DWORD", L" :: REG_SZ", L"x :: REG_SZ",
                                               L" :: REG_SZ", L"x :: REG_SZ"}));
  EXPECT_EQ(ReadRegValues(os::RegRoot::CurrentUser, kTestKey, names), single);
  EXPECT_EQ(ReadRegValues(os::RegRoot::CurrentUser, L"Software\\voQTest\\Gone", names),
            std::vector<std::wstring>(names.size(), L" :: REG_SZ"));
}

TEST_F(RegistryWin, TheBufferHolds254CharactersAndLongerTextsReadEmpty) {
  const std::wstring fits(254, L'a');
  SetText(L"Fits", fits);
  SetText(L"Long", std::wstring(255, L'b'));
  SetText(L"Huge", std::wstring(5000, L'c'));
  EXPECT_EQ(Read(L"Fits"), fits + L" :: REG_SZ");
  EXPECT_EQ(Read(L"Long"), L" :: REG_SZ");
  EXPECT_EQ(Read(L"Huge"), L" :: REG_SZ");
}

TEST_F(RegistryWin, OneLeadingBackslashIsDroppedAndTheRootNamesParse) {
  SetText(L"Here", L"x");
  EXPECT_EQ(ReadRegValue(os::RegRoot::CurrentUser, L"\\Software\\voQTest", L"Here"),
            L"x :: REG_SZ");
  // A second one reaches the system, which refuses the name.
  EXPECT_EQ(ReadRegValue(os::RegRoot::CurrentUser, L"\\\\Software\\voQTest", L"Here"),
            L" :: REG_SZ");
  for (const wchar_t* path :
       {L"HKEY_CURRENT_USER\\Software\\voQTest", L"hkcu\\Software\\voqtest"}) {
    const RegPath parsed = ParseRegPath(path);
    EXPECT_EQ(ReadRegValue(parsed.root, parsed.subkey, L"Here"), L"x :: REG_SZ");
  }
}

TEST_F(RegistryWin, EnumerationGivesEveryNameOnceThenNothing) {
  SetText(L"", L"default");
  SetText(L"First", L"1");
  SetDword(L"Second", 2);
  SetText(std::wstring(254, L'n'), L"fits");
  AddSubkey(L"Beta");
  AddSubkey(L"Alpha");
  AddSubkey(std::wstring(254, L'k'));

  std::vector<std::wstring> values;
  for (unsigned i = 0; auto name = EnumRegValueName(kTestPath, i); ++i) values.push_back(*name);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::wstring>{L"", L"First", L"Second", std::wstring(254, L'n')}));

  std::vector<std::wstring> subkeys;
  for (unsigned i = 0; auto name = EnumRegSubkeyName(kTestPath, i); ++i) subkeys.push_back(*name);
  std::sort(subkeys.begin(), subkeys.end());
  EXPECT_EQ(subkeys, (std::vector<std::wstring>{L"Alpha", L"Beta", std::wstring(254, L'k')}));

  EXPECT_EQ(EnumRegSubkeyName(kTestPath + L"\\Alpha", 0), std::nullopt);
  EXPECT_EQ(EnumRegValueName(kTestPath + L"\\Missing", 0), std::nullopt);
  EXPECT_EQ(EnumRegValueName(L"HKXX\\Software\\voQTest", 0), std::nullopt);
}

TEST_F(RegistryWin, AValueNameLongerThanTheNameBufferIsNotListed) {
  SetText(std::wstring(300, L'v'), L"too long a name");
  EXPECT_EQ(EnumRegValueName(kTestPath, 0), std::nullopt);
  EXPECT_EQ(Read(std::wstring(300, L'v')), L"too long a name :: REG_SZ");
}
