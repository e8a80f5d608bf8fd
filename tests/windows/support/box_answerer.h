// Answers the message boxes of a program under test the way a person would:
// a background thread waits for each box with the given caption, records what
// it shows, and presses the scripted button.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_win {

enum class BoxIcon { None, Information, Stop, Question, Warning, Unrecognised };
const char* BoxIconName(BoxIcon icon);

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  BoxIcon icon = BoxIcon::Unrecognised;
  bool hasOk = false;
  bool hasCancel = false;
  bool hasYes = false;
  bool hasNo = false;
  bool topmost = false;
  int pressed = 0;  // the button pressed; the scripted one unless the box lacked it
};

struct BoxAnswerer {
  std::wstring caption;
  std::vector<int> script;  // button ids, one per expected box, in order
  unsigned timeoutMs = 0;
  std::atomic<bool> stop{false};
  std::atomic<bool> timedOut{false};
  std::mutex guard;  // over seen
  std::vector<SeenBox> seen;
  std::thread worker;
};

// Starts answering boxes titled caption. Box n gets the button script[n]; a box
// beyond the script is recorded too and closed with Cancel (or OK when it has
// none), so that a surprise cannot hang the program under test. The worker gives
// up when the next scripted box has not shown within timeoutMs.
void StartAnswering(BoxAnswerer& answerer, const std::wstring& caption, std::vector<int> script,
                    unsigned timeoutMs = 15000);

// Stops watching and returns every box seen, in order.
std::vector<SeenBox> FinishAnswering(BoxAnswerer& answerer);

// Blocks until as many boxes as scripted were answered, or the worker gave up.
bool WaitForScript(BoxAnswerer& answerer);

// Wine does not give message boxes the topmost style (it ignores MB_TOPMOST), so
// that part of a box can only be checked on Windows.
bool RunningUnderWine();

}  // namespace testing_win
