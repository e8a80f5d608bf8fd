// The registry reads, in the scratch key below HKEY_CURRENT_USER.
#include <algorithm>

#include "platform/text.h"
#include "tests/contract/contract.h"

namespace contract {
namespace {

const os::RegRoot kUser = os::RegRoot::CurrentUser;

// A REG_SZ as the system stores it, terminator included.
std::string Text(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text + L'\0') bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

void Values() {
  PutRegValue(L"", L"Path", os::kRegSz, Text(L"C:\\App"));
  PutRegValue(L"", L"", os::kRegSz, Text(L"default"));
  PutRegValue(L"", L"Count", os::kRegDword, std::string("\x2A\0\0\0", 4));
}

std::string QueryText(const os::RegQuery& query) {
  switch (query.outcome) {
    case os::RegQuery::Missing:
      return "missing";
    case os::RegQuery::TooLarge:
      return "too large";
    case os::RegQuery::Ok:
      break;
  }
  return "ok " + std::to_string(query.type) + " " + std::to_string(query.bytes.size());
}

std::string Query(const std::wstring& key, const std::wstring& name) {
  return QueryText(os::QueryRegValue(kUser, RegScratch(key), name, 64));
}

TEST(Contract, QueryRegValue) {
  CheckRows(
      "QueryRegValue, QueryRegValues",
      {
          {"a value: its type and bytes as stored; the name without regard to case", Values,
           [] {
             const os::RegQuery query = os::QueryRegValue(kUser, RegScratch(), L"PATH", 64);
             return QueryText(query) + " " + YesNo(query.bytes == Text(L"C:\\App")) + " " +
                    Query(L"", L"count");
           },
           "ok 1 14 yes ok 4 4"},
          {"the empty name is the default value", Values, [] { return Query(L"", L""); },
           "ok 1 16"},
          {"a value or a key that is not there", Values,
           [] { return Query(L"", L"Gone") + " " + Query(L"Gone", L"Path"); }, "missing missing"},
          {"data larger than the buffer",
           [] { PutRegValue(L"", L"Long", os::kRegSz, Text(L"x").append(100, 'x')); },
           [] { return Query(L"", L"Long"); }, "too large"},
          {"a key the user may read but not write is read",
           [] {
             Values();
             DenyRegWriting(L"");
           },
           [] { return Query(L"", L"Path"); }, "ok 1 14"},
          {"a key the user may not read",
           [] {
             Values();
             DenyRegReading(L"");
           },
           [] { return Query(L"", L"Path"); }, "missing"},
          {"several names of one key, each answered as alone", Values,
           [] {
             std::string answer;
             for (const os::RegQuery& query : os::QueryRegValues(
                      kUser, RegScratch(), {L"Count", L"Gone", L"path", L"Count"}, 64))
               answer += QueryText(query) + ", ";
             for (const os::RegQuery& query :
                  os::QueryRegValues(kUser, RegScratch(L"Gone"), {L"Path"}, 64))
               answer += QueryText(query);
             return answer;
           },
           "ok 4 4, missing, ok 1 14, ok 4 4, missing"},
      });
}

// Every name the enumeration gives, in name order (the system's own order is
// creation order on Windows, name order under Wine), "|" before each.
template <typename Enumerate>
std::string Names(Enumerate enumerate, const std::wstring& key) {
  std::vector<std::wstring> names;
  for (unsigned i = 0; i < 1000; ++i) {
    const auto name = enumerate(kUser, RegScratch(key), i);
    if (!name) break;
    names.push_back(*name);
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::wstring& name : names) text += "|" + Utf8(name);
  return text.empty() ? "none" : text;
}

std::string ValueNames(const std::wstring& key) { return Names(os::RegEnumValueName, key); }
std::string SubkeyNames(const std::wstring& key) {
  return Names(
      [](os::RegRoot root, const std::wstring& subkey, unsigned index) {
        const os::RegSubkeys list = os::ListRegSubkeys(root, subkey);
        return index < list.names.size() ? std::optional<std::wstring>(list.names[index])
                                         : std::nullopt;
      },
      key);
}

void Subkeys() {
  PutRegKey(L"Beta");
  PutRegKey(L"Alpha");
}

TEST(Contract, RegEnumNames) {
  CheckRows(
      "RegEnumValueName, ListRegSubkeys",
      {
          {"every name once, then nothing",
           [] {
             Values();
             Subkeys();
           },
           [] { return ValueNames(L"") + " " + SubkeyNames(L""); }, "||Count|Path |Alpha|Beta"},
          {"a key without names, or not there", [] { PutRegKey(L"Alpha"); },
           [] { return ValueNames(L"Alpha") + SubkeyNames(L"Alpha") + ValueNames(L"Gone"); },
           "nonenonenone"},
          {"a name of 254 characters fits the name buffer; one of 255 ends the list",
           [] {
             PutRegValue(L"Fits", std::wstring(254, L'v'), os::kRegSz, Text(L"x"));
             PutRegValue(L"Long", std::wstring(255, L'v'), os::kRegSz, Text(L"x"));
             PutRegKey(std::wstring(254, L'k'));
           },
           [] {
             return std::to_string(ValueNames(L"Fits").size()) + " " + ValueNames(L"Long") + " " +
                    std::to_string(SubkeyNames(L"").size());
           },
           "255 none 265"},
          {"a key the user may not read",
           [] {
             Values();
             Subkeys();
             DenyRegReading(L"");
           },
           [] { return ValueNames(L"") + " " + SubkeyNames(L""); }, "none none"},
      });
}

std::string DataText(const os::RegData& data) {
  switch (data.outcome) {
    case os::RegOutcome::Missing:
      return "missing";
    case os::RegOutcome::Failed:
      return "failed";
    case os::RegOutcome::Ok:
      break;
  }
  return "ok " + std::to_string(data.type) + " " + std::to_string(data.bytes.size());
}

std::string Data(const std::wstring& key, const std::wstring& name) {
  return DataText(os::QueryRegData(kUser, RegScratch(key), name));
}

std::string Counts(const std::wstring& key) {
  const os::RegKeyCounts counts = os::QueryRegKeyCounts(kUser, RegScratch(key));
  if (counts.outcome != os::RegOutcome::Ok)
    return counts.outcome == os::RegOutcome::Missing ? "missing" : "failed";
  return "ok " + std::to_string(counts.subkeys) + " " + std::to_string(counts.values);
}

TEST(Contract, RegistryItemReads) {
  CheckRows(
      "QueryRegData, QueryRegKeyCounts",
      {
          {"any type and length, whole",
           [] {
             PutRegValue(L"", L"Huge", os::kRegSz, Text(std::wstring(5000, L'h')));
             PutRegValue(L"", L"Multi", os::kRegMultiSz, std::string("a\0\0\0\0\0", 6));
           },
           [] { return Data(L"", L"Huge") + " " + Data(L"", L"Multi"); }, "ok 1 10002 ok 7 6"},
          {"a value or a key that is not there", Values,
           [] { return Data(L"", L"Gone") + " " + Data(L"Gone", L"x") + " " + Counts(L"Gone"); },
           "missing missing missing"},
          {"a key's own counts: the default value counts, and no long name hides",
           [] {
             Values();
             Subkeys();
             PutRegValue(L"", std::wstring(300, L'v'), os::kRegSz, Text(L"x"));
           },
           [] { return Counts(L""); }, "ok 2 4"},
          {"a key the user may read but not write is read",
           [] {
             Values();
             DenyRegWriting(L"");
           },
           [] { return Data(L"", L"Path") + " " + Counts(L""); }, "ok 1 14 ok 0 3"},
          {"a key the user may not read: failed, never missing",
           [] {
             Values();
             DenyRegReading(L"");
           },
           [] { return Data(L"", L"Path") + " " + Counts(L""); }, "failed failed"},
      });
}

// The value "Where" and the subkeys of a key below HKEY_LOCAL_MACHINE, read in a view.
std::string InView(const std::wstring& key, os::RegView view) {
  const os::RegData data = os::QueryRegData(os::RegRoot::LocalMachine, key, L"Where", view);
  const os::RegSubkeys list = os::ListRegSubkeys(os::RegRoot::LocalMachine, key, view);
  std::string text = DataText(data);
  if (data.outcome == os::RegOutcome::Ok)
    text = Utf8(WideFromUtf16Le(data.bytes).value_or(L"odd bytes").c_str());
  std::vector<std::wstring> names = list.names;
  std::sort(names.begin(), names.end());
  for (const std::wstring& name : names) text += "|" + Utf8(name);
  return list.outcome == data.outcome ? text : text + " (the list differs)";
}

void TwoViews() {
  PutMachineRegText(MachineScratch(), L"Where", L"64");
  PutMachineRegText(MachineScratch(L"Sub64"), L"", L"");
  PutMachineRegText(MachineScratch32(), L"Where", L"32");
  PutMachineRegText(MachineScratch32(L"Sub32"), L"", L"");
}

TEST(Contract, RegistryViews) {
  CheckRows("QueryRegData, ListRegSubkeys in the registry views",
            {
                {"the launcher's own view is the 64-bit one", TwoViews,
                 [] {
                   return Words({InView(MachineScratch(), os::RegView::Own),
                                 InView(MachineScratch(), os::RegView::Bits64)});
                 },
                 "64|Sub64 64|Sub64"},
                {"what 32-bit programs call by a name lies below WOW6432Node", TwoViews,
                 [] {
                   return Words({InView(MachineScratch(), os::RegView::Bits32),
                                 InView(MachineScratch32(), os::RegView::Own)});
                 },
                 "32|Sub32 32|Sub32"},
                {"a key of one view is not in the other", TwoViews,
                 [] {
                   return Words({InView(MachineScratch(L"Sub32"), os::RegView::Bits64),
                                 InView(MachineScratch(L"Sub64"), os::RegView::Bits32)});
                 },
                 "missing missing"},
            });
}

TEST(Contract, FlushRegKey) {
  CheckRows(
      "FlushRegKey",
      {
          {"a key that is there, or the root; not a key that is not there", [] { PutRegKey(L""); },
           [] {
             return Words({YesNo(os::FlushRegKey(kUser, RegScratch())),
                           YesNo(os::FlushRegKey(kUser, L"")),
                           YesNo(os::FlushRegKey(kUser, RegScratch(L"Gone")))});
           },
           "yes yes no"},
      });
}

}  // namespace
}  // namespace contract
