// voq_test_app.exe: the stand-in application that the launcher starts in the
// end-to-end tests. It tells the tests how it was started and does what they ask.
//
// On every start it appends one line to "<own path>.run.txt" (UTF-8, CR LF):
//     <command line> TAB <current folder> TAB <show state> TAB <standard handles>
// The command line is GetCommandLineW's; the show state is the wShowWindow of its
// start-up information, or "-" when that was not given; the standard handles are
// the kinds of input, output and error, e.g. "pipe,pipe,pipe" ("none" for none).
//
// Then it runs the commands of "<own path>.control.txt" (UTF-8, optional, read
// before that line is written), one per line, fields separated by "|", in order:
//     sleep|<ms>                     wait before going on
//     window|<ms>|<title>            show a top-level window with that title for <ms>
//     leave-window|<ms>|<title>      start a copy of itself that shows such a window
//                                    for <ms>, and go on at once (a window that
//                                    outlives the application)
//     append|<file>|<text>           append <text> and CR LF to <file> (created if missing)
//     env|<file>|<name>              append the environment variable's value and CR LF
//                                    to <file> ("<unset>" when it is not set)
//     increment|<file>               read a decimal number from <file> (0 if missing),
//                                    write it back increased by one
//     flood|<bytes>                  write that many bytes to standard output and error
//     print|<text>                   write <text> and CR LF to standard output
//     exit|<code>                    the exit code (0 without this line)
//     regset|<key>|<name>|<type>|<hex>  set a value of the key below HKCU, or below
//                                    HKLM for a key starting "HKLM\" (created if
//                                    missing): type number, data as hex digits
//     regdump|<key>|<file>           append one line per value of the key below HKCU
//                                    to <file>: name|type|hex data ("-" for no key)
// Relative file names are taken from the current folder. Empty lines are skipped.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
  return out;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes, bool append) {
  HANDLE file =
      CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::vector<std::wstring> Split(const std::wstring& line, wchar_t separator) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find(separator, start);
    fields.push_back(line.substr(start, end - start));
    if (end == std::wstring::npos) return fields;
    start = end + 1;
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// Shows a window for the given time, answering its messages meanwhile.
void HoldWindow(unsigned milliseconds, const std::wstring& title) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"VoqTestAppWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                10, 10, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  DestroyWindow(window);
}

void LeaveWindow(const std::wstring& self, const std::wstring& milliseconds,
                 const std::wstring& title) {
  std::wstring line = L"\"" + self + L"\" --hold-window " + milliseconds + L" \"" + title + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (CreateProcessW(self.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    // Returns once the copy's window exists, so the caller may end right away.
    WaitForInputIdle(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

std::wstring ShowState() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  if (!(startup.dwFlags & STARTF_USESHOWWINDOW)) return L"-";
  return std::to_wstring(startup.wShowWindow);
}

std::wstring HandleKinds() {
  std::wstring kinds;
  for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    HANDLE handle = GetStdHandle(which);
    const wchar_t* kind = L"other";
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
      kind = L"none";
    else if (GetFileType(handle) == FILE_TYPE_PIPE)
      kind = L"pipe";
    else if (GetFileType(handle) == FILE_TYPE_DISK)
      kind = L"file";
    else if (GetFileType(handle) == FILE_TYPE_CHAR)
      kind = L"char";
    if (!kinds.empty()) kinds += L',';
    kinds += kind;
  }
  return kinds;
}

std::wstring Hex(const BYTE* bytes, DWORD size) {
  std::wstring hex;
  for (DWORD i = 0; i < size; ++i) {
    hex += L"0123456789abcdef"[bytes[i] >> 4];
    hex += L"0123456789abcdef"[bytes[i] & 0xF];
  }
  return hex;
}

void RegSet(const std::vector<std::wstring>& f) {
  std::string bytes;
  for (size_t i = 0; i + 1 < f[4].size(); i += 2)
    bytes += static_cast<char>(std::wcstoul(f[4].substr(i, 2).c_str(), nullptr, 16));
  const bool machine = f[1].rfind(L"HKLM\\", 0) == 0;
  const std::wstring subkey = machine ? f[1].substr(5) : f[1];
  HKEY key = nullptr;
  if (RegCreateKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr,
                      0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, f[2].c_str(), 0, std::wcstoul(f[3].c_str(), nullptr, 10),
                 reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void RegDump(const std::wstring& subkey, const std::wstring& file) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    WriteFileBytes(file, "-\r\n", true);
    return;
  }
  std::vector<BYTE> data(1 << 16);
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD nameLength = 16384, type = 0, size = static_cast<DWORD>(data.size());
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS)
      break;
    WriteFileBytes(file,
                   Utf8(std::wstring(name, nameLength) + L"|" + std::to_wstring(type) + L"|" +
                        Hex(data.data(), size)) +
                       "\r\n",
                   true);
  }
  RegCloseKey(key);
}

void Increment(const std::wstring& path) {
  const long value = std::strtol(ReadFileBytes(path).c_str(), nullptr, 10);
  WriteFileBytes(path, std::to_string(value + 1), false);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc == 4 && std::wstring(argv[1]) == L"--hold-window") {
    HoldWindow(static_cast<unsigned>(_wtoi(argv[2])), argv[3]);
    return 0;
  }

  wchar_t buffer[32768];
  const DWORD selfLength = GetModuleFileNameW(nullptr, buffer, 32768);
  const std::wstring self(buffer, selfLength);
  const DWORD folderLength = GetCurrentDirectoryW(32768, buffer);
  const std::wstring folder(buffer, folderLength);
  // The commands are read before the start is recorded: a test that waits for the
  // record and then writes new commands for later starts neither finds the file
  // open nor changes what this start does.
  const std::wstring control = Wide(ReadFileBytes(self + L".control.txt"));
  WriteFileBytes(self + L".run.txt",
                 Utf8(std::wstring(GetCommandLineW()) + L"\t" + folder + L"\t" + ShowState() +
                      L"\t" + HandleKinds() + L"\r\n"),
                 true);

  int exitCode = 0;
  for (std::wstring line : Split(control, L'\n')) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const std::vector<std::wstring> f = Split(line, L'|');
    const std::wstring& command = f[0];
    if (command == L"sleep" && f.size() == 2) {
      Sleep(static_cast<DWORD>(_wtoi(f[1].c_str())));
    } else if (command == L"window" && f.size() == 3) {
      HoldWindow(static_cast<unsigned>(_wtoi(f[1].c_str())), f[2]);
    } else if (command == L"leave-window" && f.size() == 3) {
      LeaveWindow(self, f[1], f[2]);
    } else if (command == L"append" && f.size() == 3) {
      WriteFileBytes(f[1], Utf8(f[2]) + "\r\n", true);
    } else if (command == L"env" && f.size() == 3) {
      SetLastError(0);
      const DWORD got = GetEnvironmentVariableW(f[2].c_str(), buffer, 32768);
      const bool set = got > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
      WriteFileBytes(f[1], Utf8(set ? std::wstring(buffer, got) : L"<unset>") + "\r\n", true);
    } else if (command == L"increment" && f.size() == 2) {
      Increment(f[1]);
    } else if (command == L"flood" && f.size() == 2) {
      const std::string chunk(4096, 'x');
      for (long left = _wtol(f[1].c_str()); left > 0; left -= 4096)
        for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
          DWORD written = 0;
          WriteFile(GetStdHandle(which), chunk.data(), 4096, &written, nullptr);
        }
    } else if (command == L"print" && f.size() == 2) {
      const std::string text = Utf8(f[1]) + "\r\n";
      DWORD written = 0;
      WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
                &written, nullptr);
    } else if (command == L"exit" && f.size() == 2) {
      exitCode = _wtoi(f[1].c_str());
    } else if (command == L"regset" && f.size() == 5) {
      RegSet(f);
    } else if (command == L"regdump" && f.size() == 3) {
      RegDump(f[1], f[2]);
    }
  }
  return exitCode;
}
