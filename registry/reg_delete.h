// Registry deletions, sent to reg.exe. A value or key that the registry reports
// as not existing starts no tool; any other answer (access denied, an unknown
// root) starts it as written, and the tool decides.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"
#include "process/run_hidden.h"

// The key or value as a place of LauncherContext::deletionsNotEnded: the same for
// any notation.
std::wstring RegPlace(std::wstring_view keyPath, const std::wstring* valueName);

// Both deletions below note their place when their tool was still running at the
// end of its wait, and start none where an earlier one may still be at work.

// The value; an empty key path or value name does nothing. True when the value is
// gone: reported missing, or the tool ended within waitMs with exit code 0 and
// the key was written out to the disk.
bool DeleteRegValue(const LauncherContext& ctx, std::wstring_view keyPath,
                    std::wstring_view valueName, unsigned waitMs = kToolTimeoutMs);

// The key with everything below it; a root alone ("HKCU") is never deleted. True
// as for DeleteRegValue, the key above written out.
bool RemoveRegKey(const LauncherContext& ctx, std::wstring_view keyPath, unsigned waitMs);

// RemoveRegKey with the tool time-out, unless skipDelete; then, with parentCleanUp
// and a path holding "\Software\", the parents that have become empty, upwards to
// the Software key, which stays.
void DeleteRegKey(const LauncherContext& ctx, std::wstring_view keyPath, bool parentCleanUp = false,
                  bool skipDelete = false);

// Deletes the key only when it has no subkey and no value but the default one,
// as its own counts say; a key that cannot be read counts as not empty.
void DeleteEmptyRegKey(const LauncherContext& ctx, std::wstring_view keyPath);
