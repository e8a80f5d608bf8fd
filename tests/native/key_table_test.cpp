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

// Keys whose operations come with later work: recognised, doing nothing yet.
const std::set<std::wstring> kNotYetAvailable = {
    L"regkey",   L"regvalue",   L"(regkey)",  L"(regvalue)", L"->regkey", L"->regvalue",
    L"<-regkey", L"<-regvalue", L"-regkey",   L"-regvalue",  L"+regkey",  L"+regvalue",
    L"regmerge", L"regdll",     L"regexport", L"regimport"};

}  // namespace

class KeyTableTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
    Fake().onHiddenStart = FakeInterpret;
  }
};

TEST_F(KeyTableTest, EveryKeyIsRecognisedInTableOrder) {
  std::vector<std::wstring> keys;
  std::set<std::wstring> pending;
  for (const KeyRow& row : KeyTable()) {
    keys.emplace_back(row.key);
    if (row.operation == NotYetAvailable) pending.emplace(row.key);
  }
  EXPECT_EQ(keys, kKeysInOrder);
  EXPECT_EQ(pending, kNotYetAvailable);

  // Bare and with the suffix that is active on a 32-bit system.
  for (const std::wstring& key : kKeysInOrder)
    for (const std::wstring& written : {key, key + L"X86"})
      ExitCodeOf([&] { DispatchKey(ctx, L"BEFORE", written, L"x"); });
  // The only boxes are those of `message` itself.
  for (const FakeMessageBox& box : Fake().boxes) EXPECT_EQ(box.text, L"x");
  EXPECT_EQ(Fake().boxes.size(), 2u);
}

TEST_F(KeyTableTest, KeysNotAvailableYetChangeNothing) {
  for (const std::wstring& key : kNotYetAvailable)
    DispatchKey(ctx, L"BEFORE", key, L"C:\\P\\x :: C:\\P\\y :: z");
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_TRUE(Fake().boxes.empty());
  EXPECT_EQ(Fake().files.size(), 0u);
}
