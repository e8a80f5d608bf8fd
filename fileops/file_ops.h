// File and folder operations. Folder creation and deletion go through the
// command interpreter; copies and file creation use the file API.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/context.h"

// Creates the folder with its missing parents; an existing folder starts nothing.
void CreateDir(const LauncherContext& ctx, std::wstring_view path);

// The deletions below wait for their tool up to a bound of minutes. They return
// false when it was still running then: it may yet delete whatever is put in the
// place, so nothing is for the rest of the run (LauncherContext::deletionsNotEnded).
// True says only that no tool of theirs is left running; callers look at the place
// to see whether it is gone.

// Deletes the file (or, with wildcards, every match) through the command
// interpreter; a missing name or a folder is left alone.
bool DeleteFiles(const LauncherContext& ctx, std::wstring_view path);

// Removes the folder with everything in it, or with option "ifempty" only when
// empty. With * or ? in the last component: every matching folder (files stay).
bool DeleteDir(const LauncherContext& ctx, std::wstring_view path, std::wstring_view option);

// Copies (or moves) one file; a target ending in a backslash receives the
// source's name. A read-only, hidden or system target is replaced too, and keeps
// those attributes. Returns true when the file was copied and flushed; false,
// without a change, for a target that a deletion still running may reach.
bool CopyOrMoveFile(const LauncherContext& ctx, std::wstring_view source, std::wstring_view target,
                    bool move, bool overwrite, bool reverse);
// The file that the target of CopyOrMoveFile names.
std::wstring ResolveFileTarget(const LauncherContext& ctx, std::wstring_view source,
                               std::wstring_view target);

// Copies (or moves) a folder's contents; an empty or "." target is "Settings"
// beside the launcher. Returns true when every file was copied and flushed; false,
// without a change, for a target that a deletion still running may reach.
// `filledAt`: as for CopyTree, when the source was filled from the target.
bool CopyOrMoveDirContents(const LauncherContext& ctx, std::wstring_view source,
                           std::wstring_view target, std::wstring_view pattern, bool move,
                           bool overwrite, bool reverse, std::uint64_t filledAt = 0);
// The folder that the target of CopyOrMoveDirContents names.
std::wstring ResolveFolderTarget(const LauncherContext& ctx, std::wstring_view target);

// Writes the contents as UTF-8 without BOM; "no overwrite" keeps a non-empty file.
void FileCreate(const LauncherContext& ctx, std::wstring_view path, std::wstring_view options,
                std::wstring_view contents);
