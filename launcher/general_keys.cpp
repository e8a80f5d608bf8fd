#include "launcher/general_keys.h"

#include "launcher/startup.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "values/prepare_value.h"

namespace {

constexpr std::wstring_view kMainApplication = L"Main application";

std::wstring StripLeadingStars(std::wstring_view text) {
  while (!text.empty() && text.front() == L'*') text.remove_prefix(1);
  return std::wstring(text);
}

[[noreturn]] void EndWithPathMessage(LauncherContext& ctx, std::wstring_view label,
                                     std::wstring_view problem) {
  const std::wstring text = std::wstring(label) + std::wstring(problem) + L"\r\nPlease check " +
                            ctx.configFilePath + L".";
  os::ShowMessageBox(text, ctx.launcherName, os::kBoxOk | os::kBoxIconStop | os::kBoxTopmost);
  ctx.exitCode = 1;
  EndLauncher(ctx);
}

// What cannot be read is there all the same: the start will tell.
bool Exists(const std::wstring& path) { return os::FileState(path) != os::kStateMissing; }

bool IsTheLauncher(const LauncherContext& ctx, const std::wstring& path) {
  return PathIdentity(ctx, path) == PathIdentity(ctx, ctx.launcherPath);
}

std::wstring InAppFolder(const LauncherContext& ctx, const std::wstring& path) {
  return ctx.launcherFolder + L"App\\" + LastComponent(path);
}

}  // namespace

void SetApplication(LauncherContext& ctx, std::wstring_view value) {
  std::wstring mainPath = Field(value, 1);
  std::wstring alternative = Field(value, 2);
  ctx.application64Path = alternative;
  ctx.showMode = Field(value, 3);

  bool checkExistence = true;
  if ((!mainPath.empty() && mainPath.front() == L'*') ||
      (!alternative.empty() && alternative.front() == L'*')) {
    checkExistence = false;
    mainPath = StripLeadingStars(mainPath);
    alternative = StripLeadingStars(alternative);
  }
  ctx.application64Path = alternative;

  std::wstring chosen = mainPath;
  if (!alternative.empty()) {
    if (!checkExistence || (ctx.is64Bit == 1 && Exists(ResolvePath(ctx, alternative))))
      chosen = alternative;
  }

  if (checkExistence && chosen.empty()) EndWithPathMessage(ctx, kMainApplication, L" is not set!");
  ctx.applicationPath = ResolvePath(ctx, chosen);
  if (checkExistence)
    CheckRequiredPath(ctx, ctx.applicationPath, true, true, kMainApplication);
  else if (IsTheLauncher(ctx, ctx.applicationPath))
    ctx.applicationPath = InAppFolder(ctx, ctx.applicationPath);
  SetWorkingDirectory(ctx, ParentFolder(ctx, ctx.applicationPath));
}

void RequireApplication(LauncherContext& ctx) {
  if (ctx.applicationPath.empty()) EndWithPathMessage(ctx, kMainApplication, L" is not set!");
}

void CheckRequiredPath(LauncherContext& ctx, std::wstring path, bool checkEmpty, bool checkExists,
                       std::wstring_view label) {
  if (checkEmpty && path.empty()) EndWithPathMessage(ctx, label, L" is not set!");
  // A main application given by its file name alone, or by a wrong folder, is
  // looked for in the App folder beside the launcher; so is one that names the
  // launcher itself (Editor.exe for the real App\Editor.exe), which would only
  // start the launcher again.
  if (label == kMainApplication && (os::FileState(path) < 0 || IsTheLauncher(ctx, path))) {
    path = InAppFolder(ctx, path);
    ctx.applicationPath = path;
  }
  if (!path.empty() && checkExists && !Exists(path)) EndWithPathMessage(ctx, label, L" not found!");
}

void SetWorkingDirectory(LauncherContext& ctx, std::wstring_view value) {
  ctx.appWorkingDir =
      value.empty() ? ParentFolder(ctx, ctx.applicationPath) : ResolvePath(ctx, value);
  os::SetCurrentFolder(ctx.appWorkingDir);  // a failure leaves the current folder as it was
}
