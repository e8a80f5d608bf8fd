// Which Java the machine has, found where its installers register it, and how two
// versions compare. `!java` builds on both.
#pragma once

#include <string>
#include <string_view>

struct InstalledJava {
  std::wstring version;      // the highest found, as registered; empty when none
  bool readRefused = false;  // some key is there but may not be read
};

// Looks in HKLM\SOFTWARE\JavaSoft under "Java Runtime Environment" (Java 8 and
// older), "JRE" and "JDK" (Java 9 on), each in the 64-bit and the 32-bit view, at
// the key's CurrentVersion and at its subkeys named for versions. Read access
// is all it asks for, so any user can be checked.
InstalledJava FindInstalledJava();

// Below zero, zero or above zero as version a is lower than, equal to or higher
// than b. The numbers are compared in turn, a missing one counting as 0; a leading
// 1 before further numbers is the old way of naming the second (1.8 is 8).
int CompareVersions(std::wstring_view a, std::wstring_view b);
