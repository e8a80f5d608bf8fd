// Macros fed by the real (Wine) system: shell folders and locale values from the
// user's registry, the clipboard, and the cost of preparing a value against the
// real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/context.h"
#include "values/macros.h"
#include "values/prepare_value.h"

namespace {

// The value as the system has it, read without the launcher's code.
std::wstring DirectRead(HKEY root, const wchar_t* subkey, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegGetValueW(root, subkey, name, RRF_RT_REG_SZ, &type, buffer, &bytes) != ERROR_SUCCESS)
    return std::wstring();
  return buffer;
}

const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t kInternational[] = L"Control Panel\\International";

// The clipboard belongs to a window; a hidden one of our own.
bool PutOnClipboard(const std::wstring* text) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"voQ clipboard test", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, nullptr, nullptr);
  if (owner == nullptr || !OpenClipboard(owner)) return false;
  bool ok = EmptyClipboard() != FALSE;
  if (ok && text != nullptr) {
    const SIZE_T bytes = (text->size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ok = block != nullptr;
    if (ok) {
      memcpy(GlobalLock(block), text->c_str(), bytes);
      GlobalUnlock(block);
      ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
  }
  CloseClipboard();
  DestroyWindow(owner);
  return ok;
}

class MacrosWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.launcherPath = L"C:\\Port\\Tool.exe";
    ctx.launcherFolder = L"C:\\Port\\";
  }
  LauncherContext ctx;
};

}  // namespace

TEST_F(MacrosWin, ShellFolderFormsReadTheUsersShellFoldersKey) {
  const std::wstring desktop = DirectRead(HKEY_CURRENT_USER, kShellFolders, L"Desktop");
  const std::wstring personal = DirectRead(HKEY_CURRENT_USER, kShellFolders, L"Personal");
  ASSERT_FALSE(desktop.empty()) << "the prefix has no Desktop shell folder";
  ASSERT_FALSE(personal.empty());
  SetEnvironmentVariableW(L"Desktop", L"C:\\not-the-desktop");
  EXPECT_EQ(PrepareValue(ctx, L"%Desktop%\\x", L"dir", L"BEFORE"), desktop + L"\\x");
  EXPECT_EQ(PrepareValue(ctx, L"%MyDocuments%|%Documents%", L"dir", L"BEFORE"),
            personal + L"|" + personal);
  SetEnvironmentVariableW(L"Desktop", nullptr);
}

TEST_F(MacrosWin, LocaleMacrosReadControlPanelInternational) {
  const std::wstring language = DirectRead(HKEY_CURRENT_USER, kInternational, L"sLanguage");
  const std::wstring locale = DirectRead(HKEY_CURRENT_USER, kInternational, L"Locale");
  const std::wstring country = DirectRead(HKEY_CURRENT_USER, kInternational, L"sCountry");
  ASSERT_FALSE(language.empty()) << "the prefix has no sLanguage";
  ASSERT_FALSE(locale.empty()) << "the prefix has no Locale";
  EXPECT_EQ(ExpandMacros(ctx, L"{LANG}|{LOCALE}|{COUNTRY}", L"key", L"BEFORE"),
            language + L"|" + locale + L"|" + country);
  const std::wstring name = DirectRead(HKEY_CURRENT_USER, kInternational, L"LocaleName");
  EXPECT_EQ(ExpandMacros(ctx, L"{LOCALENAME}|{LOCALENAME_SHORT}", L"key", L"BEFORE"),
            name + L"|" + name.substr(0, 2));
}

TEST_F(MacrosWin, TheClipboardMacroTakesTheClipboardsText) {
  const std::wstring text = L"from the clipboard %SystemRoot%";
  ASSERT_TRUE(PutOnClipboard(&text));
  wchar_t systemRoot[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", systemRoot, MAX_PATH), 0u);
  EXPECT_EQ(ExpandMacros(ctx, L"<{CLIPBOARD}>", L"key", L"BEFORE"), L"<" + text + L">");
  // The environment step comes after the macros, so the clipboard's reference expands.
  EXPECT_EQ(PrepareValue(ctx, L"{CLIPBOARD}", L"key", L"BEFORE"),
            L"from the clipboard " + std::wstring(systemRoot));
  ASSERT_TRUE(PutOnClipboard(nullptr));
  EXPECT_EQ(PrepareValue(ctx, L"<{CLIPBOARD}>", L"key", L"BEFORE"), L"<>");
}

// Not a timed assertion: the figure is printed for the record.
TEST_F(MacrosWin, PreparingAValueAgainstTheRealRegistryCosts) {
  const std::wstring desktop = DirectRead(HKEY_CURRENT_USER, kShellFolders, L"Desktop");
  constexpr int kValues = 1000;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::wstring last;
  for (int i = 0; i < kValues; ++i)
    last = PrepareValue(ctx, L"%Desktop%\\App :: {VOQROOT}\\Data", L"dir", L"BEFORE");
  QueryPerformanceCounter(&end);
  EXPECT_EQ(last, desktop + L"\\App :: C:\\Port\\Data");
  const double microseconds =
      1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / kValues;
  std::printf("PrepareValue against the registry: %.1f us per value (average of %d)\n",
              microseconds, kValues);
  RecordProperty("microseconds_per_value", std::to_string(microseconds));
}
