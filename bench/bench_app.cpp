// The application that the benchmark's launcher starts: it ends at once, so that
// a run measures the launcher and nothing else. With "/stay" it waits until it is
// ended instead; the benchmark keeps one such copy running, as a desktop session
// would, so that no measured start pays for bringing the session up.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  if (std::wcsstr(arguments, L"/stay") != nullptr) Sleep(INFINITE);
  return 0;
}
