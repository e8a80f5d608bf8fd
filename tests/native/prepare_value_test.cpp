#include "values/prepare_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform/fake_platform.h"
#include "values/user_vars.h"

namespace {

std::vector<std::wstring> Fields(const std::wstring& text, int count) {
  std::vector<std::wstring> fields;
  for (int n = 1; n <= count; ++n) fields.push_back(Field(text, n));
  return fields;
}

using FieldList = std::vector<std::wstring>;

}  // namespace

class PrepareValueTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }

  std::wstring Prepare(std::wstring_view value) {
    return PrepareValue(ctx, value, L"key", L"BEFORE");
  }

  LauncherContext ctx;
};

TEST_F(PrepareValueTest, NullMarkerBetweenSeparatorsEmptiesTheField) {
  EXPECT_EQ(Fields(Prepare(L"first :: NULL :: third"), 4),
            (FieldList{L"first", L"", L"third", L""}));
}

TEST_F(PrepareValueTest, NullWithoutBothSeparatorsStays) {
  EXPECT_EQ(Fields(Prepare(L"first :: NULL"), 2), (FieldList{L"first", L"NULL"}));
  EXPECT_EQ(Fields(Prepare(L"NULL :: second"), 2), (FieldList{L"NULL", L"second"}));
  EXPECT_EQ(Fields(Prepare(L"a :: null :: c"), 3), (FieldList{L"a", L"null", L"c"}));
}

TEST_F(PrepareValueTest, AdjacentNullMarkersShareASeparatorSoOnlyTheFirstIsReplaced) {
  EXPECT_EQ(Fields(Prepare(L"a :: NULL :: NULL :: d"), 4), (FieldList{L"a", L"", L"NULL", L"d"}));
  EXPECT_EQ(Fields(Prepare(L"a :: NULL :: b :: NULL :: c"), 5),
            (FieldList{L"a", L"", L"b", L"", L"c"}));
}

TEST_F(PrepareValueTest, TrimsSpacesButNotTabs) {
  EXPECT_EQ(Prepare(L"     "), L"");
  EXPECT_EQ(Prepare(L"  \tx y\t  "), L"\tx y\t");
}

TEST_F(PrepareValueTest, EnvironmentReferencesExpandAndUnknownOnesStay) {
  Fake().env[L"appdata"] = L"C:\\Users\\me\\AppData\\Roaming";
  EXPECT_EQ(Prepare(L"%AppData%\\App"), L"C:\\Users\\me\\AppData\\Roaming\\App");
  EXPECT_EQ(Prepare(L"%NoSuchVariable%\\x"), L"%NoSuchVariable%\\x");
}

TEST_F(PrepareValueTest, UserVariablesInAnEnvironmentValueAreReplaced) {
  Fake().env[L"target"] = L"{Dir}\\y";
  StoreUserVar(ctx, L"Dir :: C:\\Data");
  EXPECT_EQ(Prepare(L"%TARGET%"), L"C:\\Data\\y");
}

TEST_F(PrepareValueTest, EnvironmentReferencesInAUserVariableStayUnexpanded) {
  Fake().env[L"windir"] = L"C:\\Windows";
  StoreUserVar(ctx, L"Sys :: %windir%\\system32");
  EXPECT_EQ(Prepare(L"{Sys}"), L"%windir%\\system32");
}

TEST_F(PrepareValueTest, NullMarkerIsRecognisedOnlyInTheRawValue) {
  Fake().env[L"marker"] = L" :: NULL :: ";
  StoreUserVar(ctx, L"Marker :: NULL");
  EXPECT_EQ(Fields(Prepare(L"a%MARKER%b"), 3), (FieldList{L"a", L"NULL", L"b"}));
  EXPECT_EQ(Fields(Prepare(L"a :: {Marker} :: b"), 3), (FieldList{L"a", L"NULL", L"b"}));
}

TEST_F(PrepareValueTest, ExpandedSeparatorsAddFieldsAndTheResultIsTrimmed) {
  Fake().env[L"pair"] = L"one :: two";
  StoreUserVar(ctx, L"Padded :: x  ");
  EXPECT_EQ(Fields(Prepare(L"%PAIR% :: three"), 3), (FieldList{L"one", L"two", L"three"}));
  EXPECT_EQ(Prepare(L"  {Padded}"), L"x");
}

TEST(Field, CountsFromOneAndIsEmptyOutsideTheText) {
  const std::wstring two = L"left :: right";
  EXPECT_EQ(Field(two, 0), L"");
  EXPECT_EQ(Field(two, -1), L"");
  EXPECT_EQ(Field(two, 1), L"left");
  EXPECT_EQ(Field(two, 2), L"right");
  EXPECT_EQ(Field(two, 3), L"");
  EXPECT_EQ(Field(L"", 1), L"");
  EXPECT_EQ(Field(L"single", 1), L"single");
}

TEST(Field, FieldsAreUntrimmedAndSeparatorsDoNotOverlap) {
  EXPECT_EQ(Fields(L"a ::  b  :: c", 3), (FieldList{L"a", L" b ", L"c"}));
  // " :: :: " holds one separator: the second would reuse the first one's space.
  EXPECT_EQ(Fields(L" :: :: ", 3), (FieldList{L"", L":: ", L""}));
  EXPECT_EQ(Fields(L"a ::  :: c", 3), (FieldList{L"a", L"", L"c"}));
  EXPECT_EQ(Fields(L"a::b :: c", 2), (FieldList{L"a::b", L"c"}));
}
