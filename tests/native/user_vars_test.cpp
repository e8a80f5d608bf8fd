#include "values/user_vars.h"

#include <gtest/gtest.h>

#include <string>

#include "values/empty_expansion.h"

class UserVarsTest : public ::testing::Test {
 protected:
  LauncherContext ctx;
};

TEST_F(UserVarsTest, StoredVariableReplacesItsReferences) {
  StoreUserVar(ctx, L"Dir :: C:\\Data");
  EXPECT_EQ(SubstituteUserVars(ctx, L"{Dir}\\x and {Dir}"), L"C:\\Data\\x and C:\\Data");
  EXPECT_EQ(LookupUserVar(ctx, L"Dir"), L"C:\\Data");
}

TEST_F(UserVarsTest, NamesAreCaseSensitiveAndUnknownReferencesStay) {
  StoreUserVar(ctx, L"Dir :: C:\\Data");
  EXPECT_EQ(SubstituteUserVars(ctx, L"{dir} {Other} {Dir"), L"{dir} {Other} {Dir");
  EXPECT_EQ(LookupUserVar(ctx, L"dir"), L"");
  EXPECT_EQ(LookupUserVar(ctx, L"Other"), L"");
}

TEST_F(UserVarsTest, RedefinitionReplacesEverySlotOfTheName) {
  StoreUserVar(ctx, L"A :: 1");
  StoreUserVar(ctx, L"B :: 2");
  StoreUserVar(ctx, L"A :: 3");
  EXPECT_EQ(ctx.userVars[0], L"A :: 3");
  EXPECT_EQ(ctx.userVars[1], L"B :: 2");
  EXPECT_EQ(ctx.userVars[2], L"A :: 3");
  EXPECT_EQ(ctx.userVars[3], L"");
  EXPECT_EQ(ctx.userVarStores, 3);
  EXPECT_EQ(SubstituteUserVars(ctx, L"{A}{B}"), L"32");
}

TEST_F(UserVarsTest, OnlyTheSecondFieldIsSubstitutedButLookupGivesTheRest) {
  StoreUserVar(ctx, L"A :: b :: c");
  EXPECT_EQ(SubstituteUserVars(ctx, L"[{A}]"), L"[b]");
  EXPECT_EQ(LookupUserVar(ctx, L"A"), L"b :: c");
  StoreUserVar(ctx, L"Bare");
  EXPECT_EQ(WithoutEmptyMarks(SubstituteUserVars(ctx, L"[{Bare}]")), L"[]");
  EXPECT_EQ(LookupUserVar(ctx, L"Bare"), L"");
}

TEST_F(UserVarsTest, ReferencesToLaterSlotsResolveInOnePassEarlierOnesDoNot) {
  StoreUserVar(ctx, L"Early :: E");
  StoreUserVar(ctx, L"Outer :: {Inner}-{Early}");
  StoreUserVar(ctx, L"Inner :: I");
  EXPECT_EQ(SubstituteUserVars(ctx, L"{Outer}"), L"I-{Early}");
}

TEST_F(UserVarsTest, StoresPastTheHundredthAreIgnored) {
  for (int i = 0; i < 99; ++i) StoreUserVar(ctx, L"V" + std::to_wstring(i) + L" :: x");
  StoreUserVar(ctx, L"Kept :: old");  // the hundredth store
  StoreUserVar(ctx, L"Kept :: new");
  StoreUserVar(ctx, L"Late :: late");
  EXPECT_EQ(ctx.userVarStores, 100);
  EXPECT_EQ(SubstituteUserVars(ctx, L"{Kept} {Late} {V98}"), L"old {Late} x");
  EXPECT_EQ(ctx.userVars[100], L"");
}

TEST_F(UserVarsTest, RedefinitionsCountTowardTheLimit) {
  for (int i = 0; i < 100; ++i) StoreUserVar(ctx, L"A :: " + std::to_wstring(i));
  StoreUserVar(ctx, L"A :: final");
  EXPECT_EQ(LookupUserVar(ctx, L"A"), L"99");
}

TEST_F(UserVarsTest, ANameIsTheWholeFieldBeforeTheFirstSeparator) {
  StoreUserVar(ctx, L"AB :: 2");
  StoreUserVar(ctx, L"q :: :: x");
  StoreUserVar(ctx, L"A :: 1");
  EXPECT_EQ(ctx.userVars[0], L"AB :: 2");
  EXPECT_EQ(LookupUserVar(ctx, L"q"), L":: x");
  EXPECT_EQ(LookupUserVar(ctx, L"q ::"), L"");
  EXPECT_EQ(LookupUserVar(ctx, L"AB :"), L"");
}
