// The elevation helper: a tiny 32-bit program whose manifest requires
// administrator rights. The launcher writes it to the temporary folder and starts
// it when it needs those rights; the system asks the user, and the helper, now
// elevated, starts the launcher again and ends. Its command line:
//     helper "launcher path" "parameter text"
// It is carried inside the launcher, so every byte counts: no C runtime, no
// start-up code, only kernel32 and shell32.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

// The compiler may turn structure clearing into a call of memset, and without a
// C runtime the program must bring its own.
void* memset(void* target, int value, size_t count) {
  volatile unsigned char* byte = target;
  while (count--) *byte++ = (unsigned char)value;
  return target;
}

static unsigned Length(const wchar_t* text) {
  unsigned length = 0;
  while (text[length]) ++length;
  return length;
}

static wchar_t* Append(wchar_t* at, const wchar_t* text) {
  while (*text) *at++ = *text++;
  return at;
}

// Starts the program directly, as "program" parameters; a program that needs
// rights the helper lacks, or that the system will not create for another
// reason, goes through the shell's default verb instead.
static BOOL Start(const wchar_t* program, const wchar_t* parameters, const wchar_t* folder) {
  const unsigned size = Length(program) + (parameters ? Length(parameters) : 0) + 4;
  wchar_t* line = HeapAlloc(GetProcessHeap(), 0, size * sizeof(wchar_t));
  if (!line) return FALSE;
  wchar_t* at = line;
  if (program[0] != L'"') *at++ = L'"';
  at = Append(at, program);
  if (program[0] != L'"') *at++ = L'"';
  if (parameters) {
    *at++ = L' ';
    at = Append(at, parameters);
  }
  *at = 0;

  STARTUPINFOW startup;
  memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  if (CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, folder, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return TRUE;
  }
  SHELLEXECUTEINFOW shell;
  memset(&shell, 0, sizeof(shell));
  shell.cbSize = sizeof(shell);
  // The helper ends right after the call: the start must be made before it returns.
  shell.fMask = SEE_MASK_NOASYNC;
  shell.lpFile = program;
  shell.lpParameters = parameters;
  shell.lpDirectory = folder;
  shell.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&shell);
}

void HelperEntry(void) {
  int count = 0;
  wchar_t** argument = CommandLineToArgvW(GetCommandLineW(), &count);
  BOOL started = FALSE;
  if (argument && count >= 2) {
    const wchar_t* parameters = count >= 3 ? argument[2] : L"";
    if (!parameters[0]) {
      started = Start(argument[1], NULL, NULL);
    } else {
      // The launcher starts in the helper's own folder, as the system would start
      // a program from there.
      wchar_t folder[MAX_PATH + 1];
      const DWORD got = GetModuleFileNameW(NULL, folder, MAX_PATH + 1);
      DWORD cut = got <= MAX_PATH ? got : 0;
      while (cut > 0 && folder[cut - 1] != L'\\') --cut;
      folder[cut] = 0;
      started = Start(argument[1], parameters, cut ? folder : NULL);
    }
  }
  ExitProcess(started ? 0 : 1);
}
