#include <string>
#include <vector>

#include "commands/run_section.h"
#include "launcher/main_sequence.h"
#include "tests/native/launcher_fixture.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

class PromptsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }

  void Answer(std::vector<std::optional<std::wstring>> answers) {
    Fake().requestAnswers.assign(answers.begin(), answers.end());
  }

  std::vector<std::wstring> Kinds() const {
    std::vector<std::wstring> kinds;
    for (const FakeRequest& request : Fake().requests) kinds.push_back(request.kind);
    return kinds;
  }

  void Read(const std::string& ini) {
    FakeAddFile(L"C:\\P\\Tool.ini", ini);
    ReadConfiguration(ctx, L"C:\\P\\Tool.ini");
    PlaceAutomaticEntries(ctx);
  }
};

}  // namespace

TEST_F(PromptsTest, TextPromptNamesTheKeyUnlessTheSettingsSayOtherwise) {
  Answer({L"one", L"two"});
  EXPECT_EQ(ResolvePrompts(ctx, L"/a {USERTEXT} /b", L"commandline"), L"/a one /b");
  StoreUserVar(ctx, L"USERTEXT_MESSAGE :: Your name:");
  StoreUserVar(ctx, L"USERTEXT_TITLE :: Who");
  StoreUserVar(ctx, L"USERTEXT_DEFAULT :: Anna :: B.");
  EXPECT_EQ(ResolvePrompts(ctx, L"{USERTEXT}", L"commandline"), L"two");

  ASSERT_EQ(Fake().requests.size(), 2u);
  const FakeRequest& plain = Fake().requests[0];
  EXPECT_EQ(plain.kind, L"text");
  EXPECT_EQ(plain.title, L"Tool");
  EXPECT_EQ(plain.message, L"Enter parameter for key \"commandline\":");
  EXPECT_EQ(plain.initial, L"");
  EXPECT_FALSE(plain.masked);
  const FakeRequest& set = Fake().requests[1];
  EXPECT_EQ(set.title, L"Who");
  EXPECT_EQ(set.message, L"Your name:");
  EXPECT_EQ(set.initial, L"Anna :: B.");  // the whole value, further fields included
}

TEST_F(PromptsTest, FileAndFolderPromptsTakeTheirSettings) {
  Answer({L"C:\\a.txt", L"D:\\Data", L"C:\\b.txt", L"E:\\"});
  EXPECT_EQ(ResolvePrompts(ctx, L"{USERFILE}|{USERDIR}", L"run"), L"C:\\a.txt|D:\\Data");
  StoreUserVar(ctx, L"USERFILE_TITLE :: Pick a file");
  StoreUserVar(ctx, L"USERFILE_PATTERN :: Text|*.txt|All|*.*");
  StoreUserVar(ctx, L"USERFILE_DEFAULT :: C:\\Data\\a.txt");
  StoreUserVar(ctx, L"USERDIR_TITLE :: Pick a folder");
  StoreUserVar(ctx, L"USERDIR_DEFAULT :: C:\\Data");
  EXPECT_EQ(ResolvePrompts(ctx, L"{USERFILE}|{USERDIR}", L"run"), L"C:\\b.txt|E:");

  ASSERT_EQ(Kinds(), (std::vector<std::wstring>{L"file", L"dir", L"file", L"dir"}));
  const auto& r = Fake().requests;
  EXPECT_EQ(r[0].title, L"Select file for key \"run\":");
  EXPECT_EQ(r[0].filter, L"");
  EXPECT_EQ(r[0].initial, L"");
  EXPECT_EQ(r[1].title, L"Select directory for key \"run\":");
  EXPECT_EQ(r[1].initial, L"");
  EXPECT_EQ(r[2].title, L"Pick a file");
  EXPECT_EQ(r[2].filter, L"Text|*.txt|All|*.*");
  EXPECT_EQ(r[2].initial, L"C:\\Data\\a.txt");
  EXPECT_EQ(r[3].title, L"Pick a folder");
  EXPECT_EQ(r[3].initial, L"C:\\Data");
}

TEST_F(PromptsTest, EachOccurrenceAsksOnceTextsFirstThenFilesThenFolders) {
  Answer({L"t1", L"t2", L"f", L"d"});
  EXPECT_EQ(ResolvePrompts(ctx, L"{USERDIR}|{USERFILE}|{USERTEXT}|{USERTEXT}", L"k"), L"d|f|t1|t2");
  EXPECT_EQ(Kinds(), (std::vector<std::wstring>{L"text", L"text", L"file", L"dir"}));
  // Macros in lower case are no prompts.
  EXPECT_EQ(ResolvePrompts(ctx, L"{usertext}", L"k"), L"{usertext}");
  EXPECT_EQ(Fake().requests.size(), 4u);
}

TEST_F(PromptsTest, FolderAnswersLoseEveryTrailingBackslash) {
  Answer({L"D:\\Data\\\\", L"C:\\"});
  EXPECT_EQ(ResolvePrompts(ctx, L"{USERDIR}\\x", L"k"), L"D:\\Data\\x");
  EXPECT_EQ(ResolvePrompts(ctx, L"{USERDIR}\\x", L"k"), L"C:\\x");
}

TEST_F(PromptsTest, CancelledPromptsInsertNothing) {
  Answer({std::nullopt, std::nullopt, std::nullopt});
  EXPECT_EQ(WithoutEmptyMarks(ResolvePrompts(ctx, L"X{USERDIR}Y{USERTEXT}Z{USERFILE}", L"k")),
            L"XYZ");
  EXPECT_EQ(Fake().requests.size(), 3u);
}

TEST_F(PromptsTest, AnAnswerHoldingAPromptMacroIsInsertedAsTyped) {
  Answer({L"{USERTEXT}{USERDIR}", L"C:\\{USERFILE}"});
  EXPECT_EQ(ResolvePrompts(ctx, L"[{USERTEXT}] [{USERDIR}]", L"k"),
            L"[{USERTEXT}{USERDIR}] [C:\\{USERFILE}]");
  EXPECT_EQ(Kinds(), (std::vector<std::wstring>{L"text", L"dir"}));
}

TEST_F(PromptsTest, UservarKeyStoresEachAnswerUnderTheVariableName) {
  Answer({L"a", L"b"});
  EXPECT_EQ(ResolvePrompts(ctx, L"Name :: {USERTEXT} and {USERTEXT}", L"uservar"),
            L"Name :: a and b");
  EXPECT_EQ(Fake().requests[0].message, L"Enter parameter for key \"uservar\":");
  EXPECT_EQ(ctx.userVarStores, 2);
  EXPECT_EQ(ctx.userVars[0], L"Name :: b");
  EXPECT_EQ(ctx.userVars[1], L"Name :: b");
  // Only the key named exactly so stores.
  Answer({L"c"});
  ResolvePrompts(ctx, L"Other :: {USERTEXT}", L"uservarX86");
  EXPECT_EQ(ctx.userVarStores, 2);
}

TEST_F(PromptsTest, PromptWhileReadingFillsTheSlotsInOrder) {
  Answer({L"typed"});
  Read(
      "[GENERAL]\r\nuservar = First :: 1\r\nuservar = Name :: {USERTEXT}\r\n"
      "uservar = Last :: {Name}!\r\n");
  ASSERT_EQ(Fake().requests.size(), 1u);
  EXPECT_EQ(Fake().requests[0].message, L"Enter parameter for key \"uservar\":");
  // The prompt stores the answer, then the reading stores the prepared value.
  EXPECT_EQ(ctx.userVars[0], L"First :: 1");
  EXPECT_EQ(ctx.userVars[1], L"Name :: typed");
  EXPECT_EQ(ctx.userVars[2], L"Name :: typed");
  EXPECT_EQ(ctx.userVars[3], L"Last :: typed!");
  EXPECT_EQ(ctx.userVarStores, 4);
}

TEST_F(PromptsTest, AfterPromptsWaitForTheAfterWalkAndStoreAgain) {
  Answer({L"late", L"other"});
  Read(
      "[BEFORE]\r\nstringreplace = before :: e :: E :: B\r\n"
      "[AFTER]\r\nuservar = Later :: {USERTEXT}\r\n"
      "stringreplace = x{USERTEXT}x :: x :: - :: Out\r\n");
  EXPECT_TRUE(Fake().requests.empty());
  EXPECT_EQ(LookupUserVar(ctx, L"Later"), L"{USERTEXT}");

  RunSection(ctx, L"BEFORE");
  EXPECT_TRUE(Fake().requests.empty());
  EXPECT_EQ(LookupUserVar(ctx, L"B"), L"bEforE");

  ctx.phase = L"AFTER";
  RunSection(ctx, L"AFTER");
  ASSERT_EQ(Fake().requests.size(), 2u);
  EXPECT_EQ(Fake().requests[0].message, L"Enter parameter for key \"uservar\":");
  EXPECT_EQ(Fake().requests[1].message, L"Enter parameter for key \"stringreplace\":");
  EXPECT_EQ(LookupUserVar(ctx, L"Later"), L"late");
  EXPECT_EQ(LookupUserVar(ctx, L"Out"), L"-other-");
}

TEST_F(PromptsTest, StringreplaceStoresTheReplacedSource) {
  ctx.launcherFolder = L"C:\\P\\";
  DispatchKey(ctx, L"BEFORE", L"stringreplace",
              PrepareValue(ctx, L"{VOQROOT} :: \\ :: // :: MyVar", L"stringreplace", L"BEFORE"));
  EXPECT_EQ(LookupUserVar(ctx, L"MyVar"), L"C://P");
  // A later key sees it; the replacement may be empty; finds are case-sensitive.
  DispatchKey(ctx, L"BEFORE", L"stringreplace", L"{MyVar}/x :: / ::  :: Second");
  EXPECT_EQ(LookupUserVar(ctx, L"Second"), L"C:Px");
  DispatchKey(ctx, L"BEFORE", L"stringreplace", L"aAa :: a :: b :: Third");
  EXPECT_EQ(LookupUserVar(ctx, L"Third"), L"bAb");
  // An empty text to find leaves the source unchanged.
  DispatchKey(ctx, L"BEFORE", L"stringreplace", L"abc ::  :: x :: Fourth");
  EXPECT_EQ(LookupUserVar(ctx, L"Fourth"), L"abc");
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(PromptsTest, StringreplaceWithoutAVariableNameStoresNothing) {
  DispatchKey(ctx, L"BEFORE", L"stringreplace", L"abc :: b :: x");
  EXPECT_EQ(ctx.userVarStores, 0);
  EXPECT_EQ(ctx.userVars[5], L"");
}

// ---- bad input -------------------------------------------------------------------

TEST_F(PromptsTest, SelfReferenceStaysAsWrittenAndRedefinitionsDoNotExplode) {
  Read("[GENERAL]\r\nuservar = A :: {A}\r\n[BEFORE]\r\nstringreplace = {A} :: x :: y :: Out\r\n");
  EXPECT_EQ(LookupUserVar(ctx, L"A"), L"{A}");
  EXPECT_EQ(SubstituteUserVars(ctx, L"<{A}>"), L"<{A}>");

  // Each definition doubles the reference; every slot of the name would double
  // it again, so twenty definitions would ask for about 2^200 characters.
  std::string ini = "[GENERAL]\r\n";
  for (int i = 0; i < 20; ++i) ini += "uservar = B :: {B}{B}\r\n";
  Read(ini);
  const std::wstring value = SubstituteUserVars(ctx, L"{B}");
  EXPECT_LE(value.size(), kUserTextLimit);
  EXPECT_GT(value.size(), kUserTextLimit / 4);
  for (const std::wstring& slot : ctx.userVars) EXPECT_LE(slot.size(), kUserTextLimit + 10);
}

TEST_F(PromptsTest, StringreplaceResultIsBounded) {
  const std::wstring source(100000, L'a');
  const std::wstring replacement(1000, L'b');
  StringReplaceVar(ctx, source + L" :: a :: " + replacement + L" :: Big");
  // 10^8 characters would be asked for: the source is kept instead.
  EXPECT_EQ(LookupUserVar(ctx, L"Big"), source);
  StringReplaceVar(ctx, source + L" :: a :: bb :: Doubled");
  EXPECT_EQ(LookupUserVar(ctx, L"Doubled"), source);  // 200 000 would pass the limit
  StringReplaceVar(ctx, std::wstring(30000, L'a') + L" :: a :: bb :: Fits");
  EXPECT_EQ(LookupUserVar(ctx, L"Fits"), std::wstring(60000, L'b'));
  StringReplaceVar(ctx, L"abc :: b :: " + std::wstring(1000, L'x') + L" :: Grown");
  EXPECT_EQ(LookupUserVar(ctx, L"Grown").size(), 1002u);
}

TEST_F(PromptsTest, LongValueWithPromptsIsAnsweredOnce) {
  std::wstring value(100000, L'v');
  value.insert(50000, L"{USERTEXT}");
  value += L"{USERDIR}";
  Answer({L"T", L"D\\"});
  const std::wstring resolved = ResolvePrompts(ctx, value, L"k");
  EXPECT_EQ(resolved.size(), 100002u);
  EXPECT_EQ(resolved.substr(49999, 3), L"vTv");
  EXPECT_EQ(resolved.back(), L'D');
  EXPECT_EQ(Fake().requests.size(), 2u);
}
