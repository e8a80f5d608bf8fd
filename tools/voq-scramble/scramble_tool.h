// voq-scramble: prints the ini value that holds a plain value scrambled, with the
// built-in key ("@@...") or under a password ("!@@..."). The format itself lives
// in values/scrambled.h, beside the launcher's decoder.
#pragma once

#include <string>
#include <vector>

// Runs the tool on its arguments (without the program name); what it prints goes
// to out and err as UTF-8. Returns the exit code: 0 done, 1 the value cannot be
// scrambled, 2 wrong usage.
int RunScrambleTool(const std::vector<std::wstring>& arguments, std::string& out, std::string& err);
