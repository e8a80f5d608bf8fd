#include <string>

#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"

void FileCreate(const LauncherContext& ctx, std::wstring_view path, std::wstring_view options,
                std::wstring_view contents) {
  if (path.empty()) return;
  const std::wstring resolved = ResolvePath(ctx, path);
  const bool overwrite = !Contains(TrimSpaces(options), L"no overwrite");
  // Without overwrite a file that cannot be read is kept too: it may hold data.
  const std::int64_t state = os::FileState(resolved);
  if (!overwrite && (state >= 1 || state == os::kStateUnreadable)) return;
  CreateDir(ctx, ParentFolder(ctx, resolved));
  os::WriteNewFile(resolved, Utf8FromWide(contents));
}
