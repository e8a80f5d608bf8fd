// The tool on Windows: a console program with wide arguments (-municode), so a
// value reaches the ANSI conversion whole instead of through the console's code page.
#include <cstdio>

#include "tools/voq-scramble/scramble_tool.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  std::string out;
  std::string err;
  const int code = RunScrambleTool(arguments, out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return code;
}
