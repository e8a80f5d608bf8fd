// The environment variables and the current folder.
#include <cwctype>

#include "tests/contract/contract.h"

namespace contract {
namespace {

std::string Read(const std::wstring& name) {
  const auto value = os::ReadEnv(name);
  return value ? "[" + Utf8(*value) + "]" : "none";
}

std::string Expanded(const std::wstring& text) {
  const auto expanded = os::ExpandEnv(text);
  return expanded ? Utf8(*expanded) : "failed";
}

TEST(Contract, Environment) {
  CheckRows(
      "ReadEnv, WriteEnv, ExpandEnv",
      {
          {"a variable written reads back by its name in any case; one never set is none", nullptr,
           [] {
             return Words({YesNo(os::WriteEnv(L"VoqMixedCase", L"with blanks")),
                           Read(L"VOQMIXEDCASE"), Read(L"VOQ_NEVER_SET_ANYWHERE")});
           },
           "yes [with blanks] none"},
          {"an empty value is a value; a long one comes whole", nullptr,
           [] {
             os::WriteEnv(L"VOQ_EMPTY", L"");
             os::WriteEnv(L"VOQ_LONG", std::wstring(5000, L'x'));
             return Words({Read(L"VOQ_EMPTY"), std::to_string(os::ReadEnv(L"VOQ_LONG")->size())});
           },
           "[] 5000"},
          {"expansion takes names in any case and keeps unknown references as written", nullptr,
           [] {
             os::WriteEnv(L"VOQ_PART", L"C:\\Data");
             return Words({Expanded(L"%voq_part%\\a %VOQ_UNKNOWN_REF% 100%"), Expanded(L"")});
           },
           "C:\\Data\\a %VOQ_UNKNOWN_REF% 100% "},
          {"an expansion longer than any first guess of the buffer", nullptr,
           [] {
             os::WriteEnv(L"VOQ_BIG", std::wstring(3000, L'y'));
             return std::to_string(Expanded(L"<%VOQ_BIG%%VOQ_BIG%>").size());
           },
           "6002"},
      });
}

// The shape of a MachineGuid as the system keeps it: 8-4-4-4-12 hex digits, no braces.
std::string GuidShape(const std::wstring& guid) {
  std::string shape;
  for (wchar_t c : guid) shape += c == L'-' ? '-' : std::iswxdigit(c) ? 'h' : '?';
  return shape;
}

TEST(Contract, WhoRuns) {
  CheckRows(
      "QueryRunner, WindowsIs64Bit, RunsUnderWow64",
      {
          {"the machine's number, the account's SID, and names a person knows", nullptr,
           [] {
             const os::RunnerNames runner = os::QueryRunner();
             return Words({GuidShape(runner.machineGuid), Utf8(runner.userSid.substr(0, 6)),
                           YesNo(!runner.computerName.empty()), YesNo(!runner.userName.empty())});
           },
           "hhhhhhhh-hhhh-hhhh-hhhh-hhhhhhhhhhhh S-1-5- yes yes"},
          {"a 64-bit program, as the launcher ships, on 64-bit Windows: never under WOW64", nullptr,
           [] {
             return Words({YesNo(os::WindowsIs64Bit()), YesNo(os::RunsUnderWow64())});
           },
           "yes no"},
      });
}

TEST(Contract, SetCurrentFolder) {
  CheckRows("SetCurrentFolder", {
                                    // Back to C:\ at the end, so that the scene's folder can go.
                                    {"only to a folder that is there", [] { PutFolder(L"sub"); },
                                     [] {
                                       return Words({YesNo(os::SetCurrentFolder(At(L"sub"))),
                                                     YesNo(os::SetCurrentFolder(At(L"none"))),
                                                     YesNo(os::SetCurrentFolder(L"C:\\"))});
                                     },
                                     "yes no yes"},
                                });
}

}  // namespace
}  // namespace contract
