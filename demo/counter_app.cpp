// The example application of the demo: it keeps a run counter in its settings
// folder under %APPDATA% and another in the registry (HKCU\Software\CounterApp,
// value Runs), as many real programs keep their settings on the machine, and
// notes how it was started beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

int ReadCounter(const std::wstring& file) {
  int counter = 0;
  if (FILE* f = _wfopen(file.c_str(), L"r")) {
    if (std::fscanf(f, "%d", &counter) != 1) counter = 0;
    std::fclose(f);
  }
  return counter;
}

void WriteText(const std::wstring& file, const std::string& text) {
  if (FILE* f = _wfopen(file.c_str(), L"wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1)
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

// The registry counter, increased by one (counted from 0 when it is not there yet).
DWORD CountRegistryRun() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\CounterApp", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 0;
  DWORD runs = 0;
  DWORD size = sizeof(runs);
  if (RegQueryValueExW(key, L"Runs", nullptr, nullptr, reinterpret_cast<BYTE*>(&runs), &size) !=
      ERROR_SUCCESS)
    runs = 0;
  ++runs;
  RegSetValueExW(key, L"Runs", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&runs), sizeof(runs));
  RegCloseKey(key);
  return runs;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t buffer[MAX_PATH * 4] = {};
  GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH * 4);
  const std::wstring settings = std::wstring(buffer) + L"\\CounterApp";
  CreateDirectoryW(settings.c_str(), nullptr);
  const std::wstring counterFile = settings + L"\\counter.txt";
  const int counter = ReadCounter(counterFile) + 1;
  WriteText(counterFile, std::to_string(counter) + "\n");
  const DWORD registryRuns = CountRegistryRun();

  GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  const std::wstring self = buffer;
  GetCurrentDirectoryW(MAX_PATH * 4, buffer);
  WriteText(FolderOf(self) + L"\\last-run.txt",
            "command line: " + Utf8(GetCommandLineW()) + "\r\nworking folder: " + Utf8(buffer) +
                "\r\nsettings folder: " + Utf8(settings) +
                "\r\ncounter: " + std::to_string(counter) +
                "\r\nregistry Runs: " + std::to_string(registryRuns) + "\r\n");
  return 0;
}
