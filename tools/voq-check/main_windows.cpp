// The check on Windows: a console program with wide arguments (-municode). The
// report goes out as wide text in UTF-8 mode, so that the console shows every
// name and a redirected report is UTF-8; the C runtime turns "\n" into CR LF.
#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/text.h"
#include "tools/voq-check/check_tool.h"

namespace {

void Print(const std::string& utf8) {
  std::fputws(WideFromUtf8(utf8).c_str(), stdout);
  // The process ends without the C runtime's clean-up.
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_U8TEXT);
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  wchar_t* folder = _wgetcwd(nullptr, 0);
  const std::wstring current = folder ? folder : L"";
  std::free(folder);
  RunCheckTool(arguments, current, Print);
}
