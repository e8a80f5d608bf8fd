// Which configuration file drives this start, and the template offered without one.
#pragma once

#include <string>

#include "platform/context.h"

// The first candidate beside the launcher that exists and is not empty. Without
// one, offers to write the template and ends the launcher (exit code 0).
std::wstring FindConfigFile(LauncherContext& ctx);

// BOM, 95 commented lines with CR LF, and a last line of one blank and 0x1A.
std::string ConfigTemplateBytes();
