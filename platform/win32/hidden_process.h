// Helpers shared by the Win32 files that start programs hidden.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// The null device, opened for reading and writing with an inheritable handle;
// INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE OpenNullDevice();

// Starts the command line hidden, normal priority, with the three standard
// handles given (inherited), in the folder (the current one when empty).
bool StartHidden(const std::wstring& commandLine, const std::wstring& folder, HANDLE input,
                 HANDLE output, HANDLE error, PROCESS_INFORMATION& process);

}  // namespace win32
