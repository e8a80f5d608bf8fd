// Message boxes, answered by the rig's answerer, and the top-level window list.
#include <windows.h>

#include <algorithm>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/windows/support/box_answerer.h"

using namespace testing_win;

namespace {

struct BoxCase {
  const wchar_t* text;
  unsigned style;
  int press;
  BoxIcon icon;
  bool ok, cancel, yes, no;
};

const BoxCase kBoxCases[] = {
    {L"No ini file found!\r\n\r\nCreate a new one?",
     os::kBoxOkCancel | os::kBoxIconInformation | os::kBoxTopmost, os::kAnswerCancel,
     BoxIcon::Information, true, true, false, false},
    {L"Main application is not set!\r\nPlease check C:\\P\\Tool.ini.",
     os::kBoxOk | os::kBoxIconStop | os::kBoxTopmost, os::kAnswerOk, BoxIcon::Stop, true, false,
     false, false},
    {L"Question?", os::kBoxYesNo | os::kBoxIconQuestion | os::kBoxTopmost, os::kAnswerNo,
     BoxIcon::Question, false, false, true, true},
    {L"Careful.\r\n\r\nContinue anyway?", os::kBoxYesNo | os::kBoxIconWarning | os::kBoxTopmost,
     os::kAnswerYes, BoxIcon::Warning, false, false, true, true},
    {L"Plain", os::kBoxOk | os::kBoxTopmost, os::kAnswerOk, BoxIcon::None, true, false, false,
     false},
};

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* title, bool visible) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = PlainWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"VoqUiTestWindow";
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, windowClass.lpszClassName, title,
                         WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 100, 80, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
}

bool Listed(const std::wstring& title) {
  const std::vector<std::wstring> titles = os::TopLevelWindowTitles();
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

}  // namespace

TEST(MessageBox, ReturnsThePressedButtonAndShowsTextIconAndButtons) {
  const std::wstring caption = L"voQ box test";
  std::vector<int> script;
  for (const BoxCase& box : kBoxCases) script.push_back(box.press);
  BoxAnswerer answerer;
  StartAnswering(answerer, caption, script);

  std::vector<int> answers;
  for (const BoxCase& box : kBoxCases)
    answers.push_back(os::ShowMessageBox(box.text, caption, box.style));
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  EXPECT_EQ(answers, script);
  ASSERT_EQ(seen.size(), std::size(kBoxCases));
  for (size_t i = 0; i < seen.size(); ++i) {
    const BoxCase& expected = kBoxCases[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].caption, caption);
    EXPECT_EQ(seen[i].text, expected.text);
    EXPECT_STREQ(BoxIconName(seen[i].icon), BoxIconName(expected.icon));
    EXPECT_EQ(seen[i].hasOk, expected.ok);
    EXPECT_EQ(seen[i].hasCancel, expected.cancel);
    EXPECT_EQ(seen[i].hasYes, expected.yes);
    EXPECT_EQ(seen[i].hasNo, expected.no);
    EXPECT_EQ(seen[i].pressed, expected.press);
    if (!RunningUnderWine()) {
      EXPECT_TRUE(seen[i].topmost);
    }
  }
}

TEST(WindowTitles, ListVisibleAndHiddenWindowsWhileTheyExist) {
  HWND shown = MakeWindow(L"voQ visible title", true);
  HWND hidden = MakeWindow(L"voQ hidden title", false);
  ASSERT_NE(shown, nullptr);
  ASSERT_NE(hidden, nullptr);
  EXPECT_TRUE(Listed(L"voQ visible title"));
  EXPECT_TRUE(Listed(L"voQ hidden title"));

  DestroyWindow(shown);
  DestroyWindow(hidden);
  EXPECT_FALSE(Listed(L"voQ visible title"));
  EXPECT_FALSE(Listed(L"voQ hidden title"));
}

TEST(WindowTitles, LongTitlesAreReadWhole) {
  const std::wstring title = L"voQ " + std::wstring(300, L'w') + L" end";
  HWND window = MakeWindow(title.c_str(), true);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Listed(title));
  DestroyWindow(window);
}
