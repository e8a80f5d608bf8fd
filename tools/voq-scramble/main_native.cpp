// The tool on Linux: arguments arrive as UTF-8.
#include <cstdio>

#include "platform/text.h"
#include "tools/voq-scramble/scramble_tool.h"

int main(int argc, char** argv) {
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(WideFromUtf8(argv[i]));
  std::string out;
  std::string err;
  const int code = RunScrambleTool(arguments, out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return code;
}
