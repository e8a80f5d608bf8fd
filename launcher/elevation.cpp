#include "launcher/elevation.h"

#include <string>

#include "launcher/helper_image.h"
#include "launcher/requirement_checks.h"
#include "launcher/single_instance.h"
#include "platform/platform.h"

namespace {

std::wstring AdminRequiredText(const LauncherContext& ctx) {
  return L"Admin rights are required for " + ctx.launcherName + L" to run.\r\n\r\n";
}

struct AdminRow {
  std::wstring_view value;
  void (*withoutRights)(LauncherContext& ctx);
};
constexpr AdminRow kAdminRows[] = {
    {L"-1", [](LauncherContext& ctx) { EndLauncher(ctx); }},
    {L"1", [](LauncherContext& ctx) { RestartElevatedAndEnd(ctx); }},
    {L"2", [](LauncherContext& ctx) { TellAndEnd(ctx, AdminRequiredText(ctx)); }},
};

bool HoldsHelper(const std::wstring& path) {
  const os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadShareReadWrite);
  std::string bytes;
  const bool read = file != 0 && os::ReadWholeFile(file, bytes);
  os::CloseFile(file);
  return read && bytes == ElevationHelperImage();
}

}  // namespace

void CheckAdmin(LauncherContext& ctx, const std::wstring& value) {
  if (ctx.isAdministrator == 1) return;
  for (const AdminRow& row : kAdminRows)
    if (value == row.value) row.withoutRights(ctx);
}

void RestartElevatedAndEnd(LauncherContext& ctx) {
  if (ctx.restartedElevated == 1 || !RestartElevated(ctx)) TellAndEnd(ctx, AdminRequiredText(ctx));
  DeleteHelperCopy(ctx);
  EndLauncher(ctx);
}

bool RestartElevated(LauncherContext& ctx) {
  ReleaseInstanceMutex(ctx);
  const std::wstring& path = ctx.helperCopyPath;
  const std::string_view image = ElevationHelperImage();
  const std::int64_t state = os::FileState(path);
  // A file of another program under that name (a download named after the
  // application) is neither replaced nor started.
  if (state == os::kStateMissing ? !os::WriteNewFile(path, std::string(image)) : !HoldsHelper(path))
    return false;
  // Held against writers from the check of its bytes until the start has been
  // made: the program the system elevates is the helper, nothing put in its place.
  const os::FileRef held = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
  std::string bytes;
  bool started = false;
  if (held != 0 && os::ReadWholeFile(held, bytes) && bytes == image) {
    // A working directory that a later item would create does not exist yet.
    const bool folderExists = os::FileState(ctx.appWorkingDir) == os::kStateFolder;
    started = os::StartProgram(path, HelperParameters(ctx), folderExists ? ctx.appWorkingDir : L"");
  }
  os::CloseFile(held);
  // A helper the system would not start (a scanner that blocks new programs in the
  // temporary folder, no 32-bit support) restarts nothing: the user must be told.
  if (!started) DeleteHelperCopy(ctx);
  return started;
}

void DeleteHelperCopy(const LauncherContext& ctx) {
  if (os::FileState(ctx.helperCopyPath) < 0) return;
  if (HoldsHelper(ctx.helperCopyPath)) os::DeleteOneFile(ctx.helperCopyPath);
}
