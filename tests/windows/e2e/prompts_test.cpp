// The prompts, the password lock and the scramble tool, answered the way a person
// would: the real input window is found, typed into and closed with Enter.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

// The class of the launcher's input window (platform/win32/requesters.cpp).
constexpr wchar_t kInputClass[] = L"voQInputPrompt";

struct SeenInput {
  std::wstring label;
  std::wstring initial;  // not readable from outside when masked
  bool masked = false;
  RECT frame{};
};

// Answers the input windows titled `title`: window n gets script[n] typed after
// its initial text and Enter, or Escape for nullopt. A window beyond the script
// is recorded and cancelled.
class InputAnswerer {
 public:
  InputAnswerer(std::wstring title, std::vector<std::optional<std::wstring>> script)
      : title_(std::move(title)), script_(std::move(script)), worker_([this] { Run(); }) {}
  ~InputAnswerer() { Finish(); }

  std::vector<SeenInput> Finish() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    return seen_;
  }

 private:
  void Run() {
    while (!stop_) {
      HWND window = FindWindowW(kInputClass, title_.c_str());
      if (window == nullptr || !IsWindowVisible(window)) {
        Sleep(20);
        continue;
      }
      HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr);
      HWND label = FindWindowExW(window, nullptr, L"Static", nullptr);
      SeenInput seen;
      seen.label = Text(label);
      seen.masked = (GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
      if (!seen.masked) seen.initial = Text(edit);
      GetWindowRect(window, &seen.frame);
      const size_t n = seen_.size();
      const std::optional<std::wstring> answer =
          n < script_.size() ? script_[n] : std::optional<std::wstring>();
      if (answer) {
        for (wchar_t c : *answer) PostMessageW(edit, WM_CHAR, c, 1);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
      } else {
        PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
      }
      seen_.push_back(seen);
      for (int i = 0; i < 250 && IsWindow(window); ++i) Sleep(20);
    }
  }

  // WM_GETTEXT reaches the edit field's own text; GetWindowTextW would give only
  // the text it was created with, for a window of another process.
  static std::wstring Text(HWND control) {
    std::wstring text(4096, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(static_cast<size_t>(got));
    return text;
  }

  std::wstring title_;
  std::vector<std::optional<std::wstring>> script_;
  std::atomic<bool> stop_{false};
  std::vector<SeenInput> seen_;  // written by the worker only until Finish joins it
  std::thread worker_;
};

// A portable folder with the test application as App\App.exe and this ini.
struct PromptRun {
  PortableFolder folder;
  std::wstring app;
  PromptRun(const std::wstring& name, const std::string& ini) : folder(name) {
    app = AddTestApp(folder, L"App\\App.exe");
    EXPECT_TRUE(WriteFileIn(folder, name + L".ini", IniText(ini)));
  }
};

// The output of a console program, and its exit code.
struct ToolRun {
  bool started = false;
  unsigned long exitCode = 0;
  std::string out;
};

ToolRun RunTool(const std::wstring& program, const std::wstring& arguments) {
  ToolRun run;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring line = L"\"" + program + L"\" " + arguments;
  run.started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process) != FALSE;
  CloseHandle(writeEnd);
  if (run.started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0)
      run.out.append(buffer, got);
    WaitForSingleObject(process.hProcess, 20000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return run;
}

// voq-scramble.exe is built beside the launcher.
std::wstring ScrambleTool() {
  const std::wstring launcher = LauncherImage();
  return launcher.substr(0, launcher.find_last_of(L'\\') + 1) + L"voq-scramble.exe";
}

std::string Line(const std::string& out) { return out.substr(0, out.find_first_of("\r\n")); }

// Hand-worked values for the password "pw" (see tests/native/scrambled_test.cpp).
constexpr char kSecretUnderPw[] = "!@@Ng4pEVRTEgUVVSUbMDg5GRI0D3k5EDJ8";  // "/secret"
constexpr char kDataUnderPw[] = "!@@Ng4pEVRTEgUVVSUbMHFSCywkBD0=";        // "Data"

std::string LockedIni() {
  return std::string("[GENERAL]\napplication = App\\App.exe\ncommandline = ") + kSecretUnderPw +
         "\nworkdir = " + kDataUnderPw + "\n[BEFORE]\n+dir = Before\n";
}

}  // namespace

TEST(Prompts, TextIsTypedIntoTheInputWindowAfterItsInitialText) {
  PromptRun run(L"PromptText",
                "[GENERAL]\nuservar = USERTEXT_DEFAULT :: /pre\napplication = App\\App.exe\n"
                "commandline = {USERTEXT}\n");
  InputAnswerer answerer(L"PromptText", {L"-typed"});
  const LaunchResult launch = RunLauncher(run.folder, L"");
  const std::vector<SeenInput> seen = answerer.Finish();

  ASSERT_TRUE(launch.ended);
  EXPECT_EQ(launch.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].label, L"Enter parameter for key \"commandline\":");
  EXPECT_EQ(seen[0].initial, L"/pre");
  EXPECT_FALSE(seen[0].masked);
  EXPECT_EQ(seen[0].frame.right - seen[0].frame.left, 300);
  EXPECT_EQ(seen[0].frame.bottom - seen[0].frame.top, 130);
  EXPECT_EQ(seen[0].frame.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(seen[0].frame.top, (GetSystemMetrics(SM_CYSCREEN) - 130) / 2);
  // Typed at the caret, which stood at the end of the initial text.
  const std::vector<AppRun> apps = ReadAppRuns(run.app);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].commandLine, ShellCommandLine(run.app, L"/pre-typed "));
}

TEST(Prompts, EscapeAnswersNothingAndTheRunGoesOn) {
  PromptRun run(L"PromptEscape",
                "[GENERAL]\napplication = App\\App.exe\ncommandline = <{USERTEXT}>\n");
  InputAnswerer answerer(L"PromptEscape", {std::nullopt});
  const LaunchResult launch = RunLauncher(run.folder, L"");
  EXPECT_EQ(answerer.Finish().size(), 1u);

  ASSERT_TRUE(launch.ended);
  const std::vector<AppRun> apps = ReadAppRuns(run.app);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].commandLine, ShellCommandLine(run.app, L"<> "));
}

TEST(Prompts, CancelledFolderBrowserInsertsNothing) {
  PromptRun run(L"PromptDir", "[GENERAL]\napplication = App\\App.exe\ncommandline = [{USERDIR}]\n");
  // The browser carries its title in the caption.
  BoxAnswerer browser;
  StartAnswering(browser, L"Select directory for key \"commandline\":", {IDCANCEL});
  const LaunchResult launch = RunLauncher(run.folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(browser);

  ASSERT_TRUE(launch.ended);
  EXPECT_EQ(launch.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].hasCancel);
  const std::vector<AppRun> apps = ReadAppRuns(run.app);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].commandLine, ShellCommandLine(run.app, L"[] "));
}

TEST(Password, RightPasswordIsAskedOnceForTwoValues) {
  PromptRun run(L"LockRight", LockedIni());
  ASSERT_TRUE(MakeFolders(PathIn(run.folder, L"Data")));
  InputAnswerer answerer(L"LockRight", {L"pw"});
  BoxAnswerer boxes;
  StartAnswering(boxes, L"LockRight", {});
  const LaunchResult launch = RunLauncher(run.folder, L"");
  const std::vector<SeenInput> seen = answerer.Finish();

  ASSERT_TRUE(launch.ended);
  EXPECT_EQ(launch.exitCode, 0u);
  EXPECT_TRUE(FinishAnswering(boxes).empty());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].label, L"Enter password:");
  EXPECT_TRUE(seen[0].masked);
  const std::vector<AppRun> apps = ReadAppRuns(run.app);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].commandLine, ShellCommandLine(run.app, L"/secret "));
  EXPECT_EQ(apps[0].folder, PathIn(run.folder, L"Data"));
  EXPECT_TRUE(Exists(PathIn(run.folder, L"Before")));
}

TEST(Password, WrongPasswordEndsWithTheMessageBeforeAnythingRuns) {
  PromptRun run(L"LockWrong", LockedIni());
  InputAnswerer answerer(L"LockWrong", {L"PW"});
  BoxAnswerer boxes;
  StartAnswering(boxes, L"LockWrong", {IDOK});
  const LaunchResult launch = RunLauncher(run.folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(boxes);

  ASSERT_TRUE(launch.ended);
  EXPECT_EQ(launch.exitCode, 0u);
  EXPECT_EQ(answerer.Finish().size(), 1u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(seen[0], L"LockWrong", L"Invalid password!", BoxIcon::None, false);
  EXPECT_TRUE(ReadAppRuns(run.app).empty());
  EXPECT_FALSE(Exists(PathIn(run.folder, L"Before")));
}

TEST(Password, EmptyAnswerEndsSilently) {
  PromptRun run(L"LockEmpty", LockedIni());
  InputAnswerer answerer(L"LockEmpty", {L""});
  BoxAnswerer boxes;
  StartAnswering(boxes, L"LockEmpty", {});
  const LaunchResult launch = RunLauncher(run.folder, L"");

  ASSERT_TRUE(launch.ended);
  EXPECT_EQ(launch.exitCode, 0u);
  EXPECT_EQ(answerer.Finish().size(), 1u);
  EXPECT_TRUE(FinishAnswering(boxes).empty());
  EXPECT_TRUE(ReadAppRuns(run.app).empty());
  EXPECT_FALSE(Exists(PathIn(run.folder, L"Before")));
}

TEST(ScrambleTool, ItsValuesDecodeInTheLauncher) {
  const ToolRun locked = RunTool(ScrambleTool(), L"--password \"p w\" \"/x y :: z \u00FC\"");
  const ToolRun plain = RunTool(ScrambleTool(), L"Data");
  ASSERT_TRUE(locked.started) << Utf8(ScrambleTool());
  EXPECT_EQ(locked.exitCode, 0u) << locked.out;
  EXPECT_EQ(plain.exitCode, 0u) << plain.out;
  EXPECT_EQ(Line(locked.out).substr(0, 3), "!@@");
  EXPECT_EQ(Line(plain.out).substr(0, 2), "@@");

  PromptRun run(L"Scrambled", "[GENERAL]\napplication = App\\App.exe\ncommandline = " +
                                  Line(locked.out) + "\nworkdir = " + Line(plain.out) + "\n");
  ASSERT_TRUE(MakeFolders(PathIn(run.folder, L"Data")));
  InputAnswerer answerer(L"Scrambled", {L"p w"});
  const LaunchResult launch = RunLauncher(run.folder, L"");

  ASSERT_TRUE(launch.ended);
  EXPECT_EQ(answerer.Finish().size(), 1u);
  const std::vector<AppRun> apps = ReadAppRuns(run.app);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].commandLine, ShellCommandLine(run.app, L"/x y :: z \u00FC "));
  EXPECT_EQ(apps[0].folder, PathIn(run.folder, L"Data"));
}

TEST(ScrambleTool, RefusesAValueTheCodePageCannotCarry) {
  const ToolRun run = RunTool(ScrambleTool(), L"\"\u65E5\u672C\"");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out.find("@@"), std::string::npos);
}
