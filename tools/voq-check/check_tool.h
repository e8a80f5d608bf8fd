// voq-check: runs a launcher's real start-up and main sequence on the recording
// layer (recorded_changes.h), with the application's start as a line of the plan,
// and says what it found, what is pending and what the start would do, without
// changing anything or asking anything.
#pragma once

#include <string>
#include <vector>

// Exit codes of the check.
inline constexpr int kCheckClean = 0;     // nothing to look at
inline constexpr int kCheckWarnings = 1;  // something to look at
inline constexpr int kCheckFails = 2;     // the launcher would end with an error; or wrong usage

// Runs the check on its arguments (without the program name): [--json] [launcher]
// [-- arguments for the launcher]. Without a launcher, the one program of the
// folder with an ini of its name beside it. `print` gets the report as UTF-8.
// Never returns: the process ends with the check's exit code.
[[noreturn]] void RunCheckTool(const std::vector<std::wstring>& arguments,
                               const std::wstring& currentFolder,
                               void (*print)(const std::string& utf8));
