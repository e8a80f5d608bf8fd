// The application of the crash points under Wine. At its nth save it appends
// "+n" to %APPDATA%\App\s.ini and to the text value "s" of
// HKCU\Software\voQCrashPoints\App, and writes n to %APPDATA%\App\last.txt, so
// that a save that is lost, or carried back twice, shows. It counts its starts
// and saves in the file VOQ_SAVES_FILE names ("saves starts"), and saves nothing
// on a full disk (VOQ_DISK_FULL set by the launcher's gate).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::string Read(const std::wstring& path) {
  std::string bytes;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void Write(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void AppendToValue(int save) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\voQCrashPoints\\App", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  wchar_t text[4096] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, L"s", nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    text[0] = 0;
  const std::wstring value = std::wstring(text) + L"+" + std::to_wstring(save);
  RegSetValueExW(key, L"s", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring counts = Env(L"VOQ_SAVES_FILE");
  int saves = 0;
  int starts = 0;
  std::sscanf(Read(counts).c_str(), "%d %d", &saves, &starts);
  ++starts;
  if (Env(L"VOQ_DISK_FULL").empty()) {
    ++saves;
    const std::wstring folder = Env(L"APPDATA") + L"\\App";
    CreateDirectoryW(folder.c_str(), nullptr);
    Write(folder + L"\\s.ini", Read(folder + L"\\s.ini") + "+" + std::to_string(saves));
    Write(folder + L"\\last.txt", std::to_string(saves));
    AppendToValue(saves);
  }
  Write(counts, std::to_string(saves) + " " + std::to_string(starts));
  return 0;
}
