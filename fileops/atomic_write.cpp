#include "fileops/atomic_write.h"

#include "platform/platform.h"

std::wstring AtomicWriteTempName(const std::wstring& path) { return path + L".voq-new"; }

bool WriteFileAtomically(const std::wstring& path, const std::string& bytes) {
  const std::optional<unsigned> attributes = os::FileAttributes(path);
  if (attributes && (*attributes & (os::kAttrReadOnly | os::kAttrDirectory))) return false;
  const std::wstring temp = AtomicWriteTempName(path);
  bool done = os::WriteNewFile(temp, bytes);
  // Hidden, system or archive as the old file was; the rename carries them over.
  if (done && attributes) os::SetFileAttributes(temp, *attributes);
  done = done && os::ReplaceFileWith(temp, path);
  if (!done && os::FileState(temp) != os::kStateMissing) {
    os::SetFileAttributes(temp, os::kAttrNormal);
    os::DeleteOneFile(temp);
  }
  return done;
}
