#include "commands/key_table.h"

#include "commands/run_section.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/native/launcher_fixture.h"

namespace {

const std::vector<std::wstring> kKeysInOrder = {
    L"dir",         L"file",       L"regkey",   L"regvalue",     L"(dir)",     L"(file)",
    L"(regkey)",    L"(regvalue)", L"->dir",    L"->file",       L"->regkey",  L"->regvalue",
    L"<-dir",       L"<-file",     L"<-regkey", L"<-regvalue",   L"-dir",      L"-file",
    L"-regkey",     L"-regvalue",  L"+dir",     L"+file",        L"+regkey",   L"+regvalue",
    L"envvar",      L"iniread",    L"iniwrite", L"delay",        L"nowait",    L"quit",
    L"attributes",  L"date",       L"replace",  L"replaceline",  L"regmerge",  L"systemrefresh",
    L"killprocess", L"message",    L"regdll",   L"regexport",    L"regimport", L"batch",
    L"run",         L"clip",       L"symlink",  L"stringreplace"};

}  // namespace

class KeyTableTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Fake().windows64 = false;  // where the X86 suffix is active
    Start();
    Fake().onHiddenStart = FakeInterpret;
  }
};

TEST_F(KeyTableTest, EveryKeyIsRecognisedInTableOrder) {
  std::vector<std::wstring> keys;
  for (const KeyRow& row : KeyTable()) keys.emplace_back(row.key);
  EXPECT_EQ(keys, kKeysInOrder);

  // Bare and with the suffix that is active on a 32-bit system.
  for (const std::wstring& key : kKeysInOrder)
    for (const std::wstring& written : {key, key + L"X86"})
      ExitCodeOf([&] { DispatchKey(ctx, L"BEFORE", written, L"x"); });
  // The only boxes are those of `message` itself.
  for (const FakeMessageBox& box : Fake().boxes) EXPECT_EQ(box.text, L"x");
  EXPECT_EQ(Fake().boxes.size(), 2u);
}
