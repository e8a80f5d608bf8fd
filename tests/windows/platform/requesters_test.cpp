// The open-file dialog and the folder browser, answered from a second thread as a
// user would. (The input window is driven through the launcher in
// e2e/prompts_test.cpp.)
#include <windows.h>

#include <functional>
#include <thread>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/windows/support/test_files.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

// The first visible top-level window of this process with the class and, when
// given, the caption; polled for up to ten seconds.
HWND WaitForOwnWindow(const wchar_t* windowClass, const wchar_t* caption) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, windowClass, caption); w != nullptr;
             w = FindWindowExW(nullptr, w, windowClass, caption)) {
          DWORD process = 0;
          GetWindowThreadProcessId(w, &process);
          if (process == GetCurrentProcessId() && IsWindowVisible(w)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      10s);
  return found;
}

// Runs the user's part on a second thread while the requester blocks this one.
struct User {
  std::thread worker;
  explicit User(std::function<void()> act) : worker(std::move(act)) {}
  ~User() { worker.join(); }
};

}  // namespace

TEST(FileDialog, ProposesTheInitialFileAndKeepsTheCurrentFolder) {
  ScopedFolder start(L"voq dialog start");
  ScopedFolder current(L"voq dialog current");
  ASSERT_TRUE(WriteBytes(start.path + L"proposed.txt", "x"));
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(current.path.c_str()));

  std::optional<std::wstring> answer;
  {
    User user([&] {
      HWND dialog = WaitForOwnWindow(L"#32770", L"Select file for key \"uservar\":");
      if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    answer = os::AskFile(L"Select file for key \"uservar\":", L"Text|*.txt|All|*.*",
                         start.path + L"proposed.txt");
  }
  wchar_t after[MAX_PATH];
  const std::wstring afterDialog(after, GetCurrentDirectoryW(MAX_PATH, after));
  SetCurrentDirectoryW(before);

  EXPECT_EQ(answer, start.path + L"proposed.txt");
  EXPECT_EQ(afterDialog + L"\\", current.path);
}

TEST(FileDialog, CancelAnswersNothing) {
  std::optional<std::wstring> answer = L"unchanged";
  {
    User user([&] {
      HWND dialog = WaitForOwnWindow(L"#32770", L"voQ file cancel");
      if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    answer = os::AskFile(L"voQ file cancel", L"", L"");
  }
  EXPECT_EQ(answer, std::nullopt);
}

TEST(FolderBrowser, StartsAtTheInitialFolderAndAnswersIt) {
  ScopedFolder start(L"voq browse start");
  std::optional<std::wstring> answer;
  std::optional<std::wstring> cancelled = L"unchanged";
  {
    User user([&] {
      HWND dialog = WaitForOwnWindow(L"#32770", nullptr);
      if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    answer = os::AskFolder(L"Select directory for key \"uservar\":", start.path);
  }
  {
    User user([&] {
      HWND dialog = WaitForOwnWindow(L"#32770", nullptr);
      if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    cancelled = os::AskFolder(L"voQ browse cancel", start.path);
  }
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer + L"\\", start.path);
  EXPECT_EQ(cancelled, std::nullopt);
}
