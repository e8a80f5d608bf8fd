// What the registry reads of the Java check see, stated once and run against
// both platforms: natively on the in-memory one, under Wine on platform/win32.
// Each side first writes kWritten in the 64-bit view below HKLM, in its own way,
// and makes kReadOnly readable but not writable and kClosed not even readable;
// ExpectReadsAsStated then reads every row back through the seam.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"

namespace contract {

struct WrittenKey {
  const wchar_t* key;
  const wchar_t* where;   // the REG_SZ value "Where"
  const wchar_t* subkey;  // its one subkey
};
inline constexpr WrittenKey kWritten[] = {
    {L"SOFTWARE\\voQViewTest", L"64", L"Sub64"},
    {L"SOFTWARE\\WOW6432Node\\voQViewTest", L"32", {L"Sub32"}},
    {L"SOFTWARE\\voQViewTest\\ReadOnly", L"read", {L"Inner"}},
    {L"SOFTWARE\\voQViewTest\\Closed", L"closed", L"Inner"},
};
inline constexpr const wchar_t* kReadOnly = L"SOFTWARE\\voQViewTest\\ReadOnly";
inline constexpr const wchar_t* kClosed = L"SOFTWARE\\voQViewTest\\Closed";

struct ViewRow {
  const wchar_t* key;
  os::RegView view;
  os::RegOutcome outcome;                  // of both the value read and the subkey list
  const wchar_t* where = L"";              // when Ok
  std::vector<std::wstring> subkeys = {};  // when Ok, sorted
};
inline const ViewRow kViewRows[] = {
    {L"SOFTWARE\\voQViewTest",
     os::RegView::Own,
     os::RegOutcome::Ok,
     L"64",
     {L"Closed", L"ReadOnly", L"Sub64"}},
    {L"SOFTWARE\\voQViewTest",
     os::RegView::Bits64,
     os::RegOutcome::Ok,
     L"64",
     {L"Closed", L"ReadOnly", L"Sub64"}},
    // What a 32-bit program calls HKLM\SOFTWARE\X lies under WOW6432Node.
    {L"SOFTWARE\\voQViewTest", os::RegView::Bits32, os::RegOutcome::Ok, L"32", {L"Sub32"}},
    {L"SOFTWARE\\WOW6432Node\\voQViewTest",
     os::RegView::Own,
     os::RegOutcome::Ok,
     L"32",
     {L"Sub32"}},
    {L"SOFTWARE\\voQViewTest\\Sub32", os::RegView::Bits64, os::RegOutcome::Missing},
    {L"SOFTWARE\\voQViewTest\\Sub64", os::RegView::Bits32, os::RegOutcome::Missing},
    // Read access is all the reads ask for.
    {kReadOnly, os::RegView::Own, os::RegOutcome::Ok, L"read", {L"Inner"}},
    {kClosed, os::RegView::Own, os::RegOutcome::Failed},
};

inline void ExpectReadsAsStated() {
  for (const ViewRow& row : kViewRows) {
    const int view = static_cast<int>(row.view);
    const os::RegData data =
        os::QueryRegData(os::RegRoot::LocalMachine, row.key, L"Where", row.view);
    const os::RegSubkeys list = os::ListRegSubkeys(os::RegRoot::LocalMachine, row.key, row.view);
    EXPECT_EQ(data.outcome, row.outcome) << row.key << " view " << view;
    EXPECT_EQ(list.outcome, row.outcome) << row.key << " view " << view;
    if (row.outcome != os::RegOutcome::Ok) continue;
    EXPECT_EQ(WideFromUtf16Le(data.bytes), std::wstring(row.where) + L'\0') << row.key;
    std::vector<std::wstring> names = list.names;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, row.subkeys) << row.key << " view " << view;
  }
  // A 64-bit program on 64-bit Windows, as the launcher ships.
  EXPECT_TRUE(os::WindowsIs64Bit());
  EXPECT_FALSE(os::RunsUnderWow64());
}

}  // namespace contract
