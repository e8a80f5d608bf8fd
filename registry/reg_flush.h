// The registry's changes written out before anything relies on them: the system
// writes the registry lazily, so a power cut may lose what reg.exe changed
// moments before, while the run record, flushed, already counts on it.
#pragma once

#include <string_view>

// RegFlushKey of a key path such as HKCU\Software\App. False for a path that names
// no key below a known root, a key that is not there, or a flush that fails.
bool FlushRegKeyPath(std::wstring_view keyPath);

// The same for the key above it (the root for a key just below one): what the
// key's removal changed.
bool FlushParentRegKey(std::wstring_view keyPath);
