// Rewrites of files that belong to the user (registry exports, edited text and
// ini files): never half a file.
#pragma once

#include <string>

// Writes the bytes to a new file beside the old one, flushes it, and puts it in
// the old one's place in one step, keeping the old file's attributes. A crash, a
// full disk or a pulled drive leaves the old file or the new one, never half of
// one; on failure the old file stays as it was and no temporary file is left.
// A read-only file is left alone, as a plain rewrite would be refused.
bool WriteFileAtomically(const std::wstring& path, const std::string& bytes);

// The name of the new file while it is written: beside the old one, so that the
// last step is a rename within one folder.
std::wstring AtomicWriteTempName(const std::wstring& path);
