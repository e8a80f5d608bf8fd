// Edits of the user's text files in their own format (fileops/text_format.h),
// rewritten whole through WriteFileAtomically: a file is either left as it was
// or replaced by its complete new version.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of find (case-sensitively, left to right, inserted
// text not scanned again); an empty replacement removes them. A missing or
// unreadable file, an empty find text or no occurrence leaves the file untouched.
// True when the file was rewritten.
bool ReplaceTextInFile(const std::wstring& path, std::wstring_view find,
                       std::wstring_view replacement);

// Replaces the first line that begins with lineStart by newLine, keeping that
// line's own line end and every other byte. An empty lineStart matches no line.
// True when the file was rewritten.
bool ReplaceLineInFile(const std::wstring& path, std::wstring_view lineStart,
                       std::wstring_view newLine);
