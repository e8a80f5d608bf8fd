// The recursive folder copy under CopyOrMoveDirContents, and the write times of
// a tree that a carry-back leaves.
#pragma once

#include <cstdint>
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
//
// A file the target holds already with the same bytes is not written again.
// `filledAt`: the os::FileClock reading taken before the source was filled with
// copies of the target's files (0: not known). Then a source file whose size and
// write time are its counterpart's, and older than the reading, is that copy
// untouched, and is not read at all (see SameCopy in copy_tree.cpp).
bool CopyTree(const std::wstring& source, const std::wstring& target, std::wstring_view pattern,
              TreeCopyLog* log, std::uint64_t filledAt = 0);

// Gives every file of the folder's tree the time now as its write time
// (os::StampWriteTime), none below a link; true when each got it.
bool GiveTreeNewTimes(const std::wstring& folder);
