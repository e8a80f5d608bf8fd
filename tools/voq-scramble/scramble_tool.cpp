#include "tools/voq-scramble/scramble_tool.h"

#include <optional>

#include "platform/text.h"
#include "values/scramble_format.h"

namespace {

constexpr char kUsage[] =
    "usage: voq-scramble [--password PASSWORD] VALUE\n"
    "Prints the ini value that the launcher decodes back to VALUE:\n"
    "  \"@@...\"  scrambled with the built-in key, decoded without asking;\n"
    "  \"!@@...\" locked with PASSWORD, which the launcher asks for once per run.\n";

}  // namespace

int RunScrambleTool(const std::vector<std::wstring>& arguments, std::string& out,
                    std::string& err) {
  std::optional<std::wstring> password;
  std::optional<std::wstring> plain;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument == L"--help" || argument == L"-h") {
      out += kUsage;
      return 0;
    }
    if (argument == L"--password" && i + 1 < arguments.size() && !password) {
      password = arguments[++i];
    } else if (!plain) {
      plain = argument;
    } else {
      err += kUsage;
      return 2;
    }
  }
  if (!plain) {
    err += kUsage;
    return 2;
  }
  if (password && password->empty()) {
    err += "voq-scramble: the password must not be empty (the launcher stops on an empty answer)\n";
    return 1;
  }
  const std::optional<std::wstring> scrambled =
      password ? ScrambleValueWithPassword(*plain, *password) : ScrambleValue(*plain);
  if (!scrambled) {
    err +=
        "voq-scramble: the value or the password holds a character that the ANSI code page "
        "lacks\n";
    return 1;
  }
  if (TrimSpaces(*plain) != *plain)
    err += "voq-scramble: note: the launcher removes the value's leading and trailing spaces\n";
  out += Utf8FromWide(*scrambled) + "\n";
  return 0;
}
