// The elevation helper's executable, carried inside the launcher: the program of
// elevation-helper/ built for 32-bit Windows and turned into a byte array at build
// time. Native builds link a stand-in of a few bytes instead.
#pragma once

#include <string_view>

std::string_view ElevationHelperImage();
