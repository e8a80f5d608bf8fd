// The registry views and read access of registry_views_contract.h against the
// real (Wine) registry. The test program, like the launcher, is a 64-bit one.
#include <windows.h>

#include "gtest/gtest.h"
#include "tests/windows/platform/registry_views_contract.h"
#include "tests/windows/support/registry_access.h"

using namespace testing_win;

namespace {

void RemoveKeys() {
  SetMachineKeyAccess(contract::kReadOnly, kFullAccess);
  SetMachineKeyAccess(contract::kClosed, kFullAccess);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\voQViewTest");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\voQViewTest");
}

}  // namespace

TEST(RegistryViews, ViewsAndReadAccessKeepTheSharedContract) {
  RemoveKeys();
  for (const contract::WrittenKey& written : contract::kWritten) {
    ASSERT_TRUE(WriteMachineText(written.key, L"Where", written.where));
    ASSERT_TRUE(WriteMachineText(std::wstring(written.key) + L"\\" + written.subkey, L"", L""));
  }
  ASSERT_TRUE(SetMachineKeyAccess(contract::kReadOnly, kReadOnlyAccess));
  // Only the rights to put the access list back and to delete the key.
  ASSERT_TRUE(SetMachineKeyAccess(contract::kClosed, L"D:(A;;WDSD;;;WD)"));
  // The read-only key refuses what the full-access reads ask for.
  HKEY refused = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, contract::kReadOnly, 0, KEY_ALL_ACCESS, &refused),
            ERROR_ACCESS_DENIED);
  contract::ExpectReadsAsStated();
  RemoveKeys();
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\voQViewTest", 0, KEY_READ, &gone),
            ERROR_FILE_NOT_FOUND);
}
