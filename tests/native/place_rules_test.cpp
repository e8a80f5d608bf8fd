// The rules that decide which places an item may take: one identity for every
// spelling of a place, the places no item, deletion or move takes whole, and a
// place that lost one of its names to an empty expansion.
#include "commands/protected_places.h"
#include "commands/wrap_steps.h"
#include "platform/paths.h"
#include "tests/native/launcher_fixture.h"
#include "values/empty_expansion.h"

class PlaceRulesTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Fake().env[L"appdata"] = L"C:\\U\\AppData";
    Fake().env[L"userprofile"] = L"C:\\U";
    FakeAddFolder(L"C:\\Program Files");
    Fake().shortNames[L"c:\\progra~1"] = L"C:\\Program Files";
    Start();
  }
};

// A folder item and a backup item of one folder are one place too.
TEST_F(PlaceRulesTest, OnePlaceHasOneIdentityHoweverWritten) {
  const struct {
    const wchar_t* keyA;
    const wchar_t* a;
    const wchar_t* keyB;
    const wchar_t* b;
    bool same;
  } kRows[] = {
      {L"dir", L"C:\\Data\\App.", L"dir", L"c:\\data//APP\\", true},
      {L"dir", L"C:\\Data\\x\\.\\..\\App", L"(dir)", L"C:\\Data\\App ", true},
      {L"dir", L"C:\\Data\\Äpp", L"dir", L"c:\\DATA\\äpp", true},
      {L"dir", L"C:\\PROGRA~1\\App", L"dir", L"C:\\Program Files\\App", true},
      {L"dir", L"C:\\Data\\App", L"dir", L"C:\\Data\\Apps", false},
      {L"regkey", L"HKCU\\Software\\App", L"(regkey)", L"hkey_current_user\\software\\\\app\\",
       true},
      {L"regkey", L"HKCU\\Software\\App", L"regkey", L"HKLM\\Software\\App", false},
  };
  for (const auto& row : kRows)
    EXPECT_EQ(ItemIdentity(ctx, row.keyA, row.a) == ItemIdentity(ctx, row.keyB, row.b), row.same)
        << row.a << " / " << row.b;
}

TEST_F(PlaceRulesTest, ProtectedPlacesAreNeverTakenWhole) {
  const struct {
    const wchar_t* path;
    bool folder;   // IsProtectedFolder
    bool emptied;  // EmptiesAProtectedFolder
  } kFolders[] = {
      {L"C:\\", true, false},
      {L"C:\\Windows", true, false},
      {L"C:\\U\\AppData\\", true, false},
      {L"C:\\U", true, false},
      {L"C:\\P", true, false},
      {L"C:\\U\\AppData\\App", false, false},
      {L"C:\\*", false, true},
      {L"C:\\U\\AppData\\*.*", false, true},
      {L"C:\\U\\AppData\\App*", false, false},
      {L"C:\\U\\AppData\\App\\*", false, false},
  };
  for (const auto& row : kFolders) {
    EXPECT_EQ(IsProtectedFolder(ctx, row.path), row.folder) << row.path;
    EXPECT_EQ(EmptiesAProtectedFolder(ctx, row.path), row.emptied) << row.path;
  }
  const struct {
    const wchar_t* key;
    bool kept;
  } kKeys[] = {
      {L"HKCU", true},
      {L"HKCU\\Software", true},
      {L"HKEY_CURRENT_USER\\Software\\Classes", true},
      {L"HKLM\\SOFTWARE\\Microsoft", true},
      {L"HKLM\\SOFTWARE\\WOW6432Node", true},
      {L"HKCU\\Control Panel\\Desktop", true},
      {L"HKEY_USERS\\S-1-5-21-1\\Software", true},
      {L"HKCU\\Software\\App", false},
      {L"HKCU\\Software\\Microsoft\\Notepad", false},
      {L"HKLM\\SOFTWARE\\WOW6432Node\\App", false},
      {L"HKCU\\Control Panel\\Desktop\\WindowMetrics", false},
      {L"HKEY_USERS\\S-1-5-21-1\\Software\\App", false},
  };
  for (const auto& row : kKeys) EXPECT_EQ(IsProtectedKey(row.key), row.kept) << row.key;
}

TEST_F(PlaceRulesTest, ANameLostToAnEmptyExpansionIsToldFromOneWrittenSo) {
  const std::wstring mark(1, kEmptyExpansion);
  EXPECT_TRUE(LostANameToAnEmptyExpansion(L"C:\\U\\AppData\\" + mark));
  EXPECT_TRUE(LostANameToAnEmptyExpansion(L"C:\\" + mark + L"*"));
  EXPECT_TRUE(LostANameToAnEmptyExpansion(mark + L"\\App"));
  EXPECT_FALSE(LostANameToAnEmptyExpansion(L"C:\\U\\AppData\\App" + mark));
  EXPECT_FALSE(LostANameToAnEmptyExpansion(L"C:\\U\\AppData\\App\\"));
}
