// A gate in front of the seam's calls that change the disk or start a tool, so
// that a test can disturb a run of the real implementation at any one of them:
// end the process there, or let the call fail without effect. The shipped program
// installs none, and each such call then costs one test of a pointer.
#pragma once

#include <string>

namespace os {

// Asked at the start of each such call: true lets it go on; false makes it fail
// without effect, as the call reports its failures. call: the seam function's
// name; path: the place it changes, as given (empty for a tool start and for a
// rewrite through an open file).
using ChangeGate = bool (*)(const wchar_t* call, const std::wstring& path, bool addsData);
void SetChangeGate(ChangeGate gate);

}  // namespace os
