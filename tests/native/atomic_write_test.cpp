// Whole-file rewrites that leave the old file or the new one, never half.
#include "fileops/atomic_write.h"

#include <gtest/gtest.h>

#include "tests/fake_platform/fake_platform.h"

namespace {

class AtomicWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    FakeAddFolder(L"C:\\D");
  }
  static bool TempLeft() { return FakeHasFile(AtomicWriteTempName(L"C:\\D\\a.ini")); }
};

TEST_F(AtomicWriteTest, ReplacesTheFileAndKeepsItsAttributes) {
  FakeAddFile(L"C:\\D\\a.ini", "old");
  Fake().hiddenFiles.insert(L"c:\\d\\a.ini");
  ASSERT_TRUE(WriteFileAtomically(L"C:\\D\\a.ini", "new"));
  EXPECT_EQ(FakeFileBytes(L"C:\\D\\a.ini"), "new");
  EXPECT_EQ(os::FileAttributes(L"C:\\D\\a.ini").value_or(0) & os::kAttrHidden, os::kAttrHidden);
  EXPECT_FALSE(TempLeft());
}

TEST_F(AtomicWriteTest, MissingFileIsCreated) {
  ASSERT_TRUE(WriteFileAtomically(L"C:\\D\\a.ini", "new"));
  EXPECT_EQ(FakeFileBytes(L"C:\\D\\a.ini"), "new");
}

// Each way a rewrite can fail leaves the old bytes whole and no temporary file.
TEST_F(AtomicWriteTest, FailedRewriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  struct Case {
    const char* what;
    void (*arrange)();
  };
  const Case cases[] = {
      {"read-only file", [] { Fake().readOnlyFiles.insert(L"c:\\d\\a.ini"); }},
      {"file held open elsewhere", [] { Fake().lockedFiles.insert(L"c:\\d\\a.ini"); }},
      {"new file cannot be created", [] { Fake().lockedFiles.insert(L"c:\\d\\a.ini.voq-new"); }},
  };
  for (const Case& c : cases) {
    SetUp();
    FakeAddFile(L"C:\\D\\a.ini", "old");
    c.arrange();
    EXPECT_FALSE(WriteFileAtomically(L"C:\\D\\a.ini", "new")) << c.what;
    EXPECT_EQ(FakeFileBytes(L"C:\\D\\a.ini"), "old") << c.what;
    EXPECT_FALSE(TempLeft()) << c.what;
  }
}

}  // namespace
