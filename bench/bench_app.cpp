// The application that the benchmark's launcher starts: it ends at once, so that
// a run measures the launcher and nothing else. With "/stay" it waits until it is
// ended instead; the benchmark keeps one such copy running, as a desktop session
// would, so that no measured start pays for bringing the session up. With
// "/change" it first writes one 4 KB file of its settings folder anew
// (%APPDATA%\BenchApp\folder01\file01.dat), other bytes every run, as an
// application that saves one setting does.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

void ChangeOneFile() {
  wchar_t appData[MAX_PATH];
  const DWORD got = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return;
  wchar_t path[MAX_PATH + 64];
  std::swprintf(path, MAX_PATH + 64, L"%ls\\BenchApp\\folder01\\file01.dat", appData);
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char bytes[4096];
  const int stamp = std::snprintf(bytes, sizeof bytes, "%llu ",
                                  static_cast<unsigned long long>(GetTickCount64()));
  for (size_t i = stamp > 0 ? static_cast<size_t>(stamp) : 0; i < sizeof bytes; ++i)
    bytes[i] = static_cast<char>('a' + i % 26);
  DWORD written = 0;
  WriteFile(file, bytes, sizeof bytes, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  if (std::wcsstr(arguments, L"/stay") != nullptr) Sleep(INFINITE);
  if (std::wcsstr(arguments, L"/change") != nullptr) ChangeOneFile();
  return 0;
}
