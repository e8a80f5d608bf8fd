// Which configuration file drives this start, and the template offered without one.
#pragma once

#include <string>
#include <vector>

#include "platform/context.h"

// The names looked for beside the launcher, in order (the 64-bit ones only on
// 64-bit Windows).
std::vector<std::wstring> ConfigFileCandidates(const LauncherContext& ctx);

// The first candidate beside the launcher that exists and is not empty. Without
// one, offers to write the template and ends the launcher (exit code 0).
std::wstring FindConfigFile(LauncherContext& ctx);

// BOM, 95 commented lines with CR LF, and a last line of one blank and 0x1A.
std::string ConfigTemplateBytes();
