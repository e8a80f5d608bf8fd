// The floor of a one-key configuration: what any program that starts another
// through the shell and waits for it must do. It starts APPLICATION the way the
// launcher does and polls its process every 500 ms until it has ended. With
// "/cleanup" it then also starts the five reg.exe DELETE commands of the
// launcher's clean-up: the two MuiCache keys for both programs, and App Paths.
//     shell_floor.exe APPLICATION [/cleanup]
#include <windows.h>
// After windows.h, which they build on.
#include <objbase.h>
#include <shellapi.h>

#include <string>

namespace {

// The tool's streams go to the null device, as the launcher's do: from a program
// without a console that is also the quickest start of a console tool (measured
// under Wine: a program making five such starts ran 0.65-0.77 s, one making them
// with no streams given 1.06-1.57 s).
void RunHiddenAndWait(std::wstring commandLine) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inheritable, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(nul);
}

void CleanTraces(const std::wstring& application) {
  wchar_t self[MAX_PATH];
  wchar_t system[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring reg = std::wstring(system) + L"\\reg.exe";
  for (const wchar_t* key :
       {L"HKCU\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
        L"HKCU\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"})
    for (const std::wstring& program : {application, std::wstring(self)})
      RunHiddenAndWait(reg + L" DELETE \"" + key + L"\" /v \"" + program + L"\" /f");
  const std::wstring name = application.substr(application.find_last_of(L'\\') + 1);
  RunHiddenAndWait(reg +
                   L" DELETE \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" +
                   name + L"\" /f");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 2) return 2;
  const std::wstring application = arguments[1];

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_CLASSNAME | SEE_MASK_FLAG_DDEWAIT;
  info.lpVerb = L"open";
  info.lpClass = L"exefile";
  info.lpFile = application.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return 1;
  do {
    Sleep(500);
  } while (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT);
  CloseHandle(info.hProcess);

  if (count > 2 && std::wstring(arguments[2]) == L"/cleanup") CleanTraces(application);
  return 0;
}
