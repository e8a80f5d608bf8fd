// The recursive folder copy under CopyOrMoveDirContents, exposed for tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a copy took from the source, so that a move can remove exactly that.
struct TreeCopyLog {
  std::vector<std::wstring> files;    // source files copied
  std::vector<std::wstring> folders;  // source folders walked, parents before children
};

// Copies the source folder's tree into the target folder: every subfolder is
// created, files matching the pattern ("" for all) replace their counterparts
// whatever their attributes, which the counterparts keep. Folder texts longer than
// 260 characters fail, as does a missing source. True only when every copy
// succeeded and is flushed to the disk. Nothing is logged below a link to a folder:
// what it points to is no part of the source.
bool CopyTree(const std::wstring& source, const std::wstring& target, std::wstring_view pattern,
              TreeCopyLog* log);
