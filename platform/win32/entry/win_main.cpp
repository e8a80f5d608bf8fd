// The Windows entry point: the GUI subsystem, so no console opens.
#include <windows.h>

#include "launcher/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { LauncherEntry(); }
