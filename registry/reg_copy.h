// Registry keys and values copied or moved through reg.exe. A move removes its
// source only after a copy that the registry shows to be there, and never acts
// on a source and target that are one key (in two notations) or lie inside one
// another.
#pragma once

#include <string_view>

#include "platform/context.h"

// reg.exe COPY of the key with everything below it, over what the target holds,
// waited for at most waitMs. True when the tool ended with exit code 0 and the
// target exists, written out to the disk; false, and no tool started, for a
// missing source, a target inside the source, or a target that a deletion still
// running may reach.
bool CopyRegKey(const LauncherContext& ctx, std::wstring_view source, std::wstring_view target,
                unsigned waitMs);

// The value, whatever its type, length or content, written under the target name
// and read back: true when the target holds the same type and bytes. A plain
// REG_SZ text or a REG_DWORD goes through reg.exe ADD, every other value through
// a registry file imported by reg.exe. The copy is written out to the disk, and
// nothing is written where a deletion still running may reach.
bool CopyRegValue(const LauncherContext& ctx, std::wstring_view sourceKey,
                  std::wstring_view sourceName, std::wstring_view targetKey,
                  std::wstring_view targetName);

// With reverse, target and source change places first. A move first removes the
// target (also when the source is missing), then copies, then removes the source
// when the copy is there. Trailing backslashes are dropped from both paths.
void CopyOrMoveRegKey(const LauncherContext& ctx, std::wstring_view source,
                      std::wstring_view target, bool move, bool reverse);
void CopyOrMoveRegValue(const LauncherContext& ctx, std::wstring_view source,
                        std::wstring_view target, bool move, bool reverse);
