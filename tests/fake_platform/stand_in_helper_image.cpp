// Native builds carry these few bytes where voQ.exe carries the elevation helper.
#include "launcher/helper_image.h"

std::string_view ElevationHelperImage() { return "MZ stand-in for the elevation helper"; }
