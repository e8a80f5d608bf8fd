// Pieces shared by the folder and file operations: the decision whether a path
// may go on the command interpreter's command line, the same operations done
// through the file API for paths that may not, and path comparisons.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// True when the path means the same to the interpreter once QuoteForInterpreter
// has quoted it. Quotes do not stop expansion: a percent sign (and an exclamation
// mark, where delayed expansion is switched on for the user) is expanded inside
// them, a control character ends the command, and an inner double quote ends the
// quoting early.
bool InterpreterCanTake(std::wstring_view path);

// Starts the command interpreter hidden with the parameter text and waits at
// most timeoutMs for it. False when it was still running then.
bool RunInterpreter(const LauncherContext& ctx, std::wstring_view parameters, unsigned timeoutMs);

// A deletion of the place through the command interpreter, waited for up to the
// bound. False, and the place noted in ctx.deletionsNotEnded, when the tool was
// still running then; false at once where an earlier one may still be at work.
bool RunDeletion(const LauncherContext& ctx, const std::wstring& place,
                 std::wstring_view parameters);
// True when the place lies in, or holds, a place whose deletion had not ended.
bool DeletionMayReach(const LauncherContext& ctx, std::wstring_view place);

// CopyFileW allowed to replace the target whatever the target's attributes. A
// read-only, hidden or system target refuses the copy: those attributes are
// cleared, the copy is made again, and they are put back on the new bytes, so that
// a file keeps the attributes its owner gave it.
bool CopyFileOver(const std::wstring& source, const std::wstring& target);

// MKDIR through the file API: every missing level, stopping at the first failure.
void CreateFolderLevels(const std::wstring& path);

// DEL /F through the file API: the matching files, read-only ones included;
// hidden and system files stay, as DEL without /A leaves them.
void DeleteFilesDirectly(const std::wstring& path);

// RMDIR through the file API. The whole tree, or only an empty folder. A link to a
// folder is removed as a link: nothing behind it is touched.
void RemoveFolderDirectly(const std::wstring& path, bool onlyWhenEmpty);

// Windows compares names without case and takes / for \; trailing backslashes
// name the same folder.
bool SamePath(std::wstring_view a, std::wstring_view b);
// True when inner is outer or lies anywhere below it.
bool IsWithin(std::wstring_view inner, std::wstring_view outer);

bool HasWildcard(std::wstring_view path);
// "C:" or "C:\": RMDIR would take "C:" for the drive's current folder.
bool IsDriveRoot(std::wstring_view path);
