#include "launcher/config_file.h"

#include "launcher/startup.h"
#include "platform/platform.h"

namespace {

constexpr wchar_t kNoIniMessage[] = L"No ini file found!\r\n\r\nCreate a new one?";

struct Candidate {
  bool only64Bit;
  bool namedAfterLauncher;  // else the generic "voQ" stem
  const wchar_t* suffix;
};

constexpr Candidate kCandidates[] = {
    {true, true, L"X64.ini"},
    {false, true, L".ini"},
    {true, false, L"X64.ini"},
    {false, false, L".ini"},
};

}  // namespace

std::vector<std::wstring> ConfigFileCandidates(const LauncherContext& ctx) {
  std::vector<std::wstring> paths;
  for (const Candidate& candidate : kCandidates) {
    if (candidate.only64Bit && ctx.is64Bit != 1) continue;
    paths.push_back(ctx.launcherFolder +
                    (candidate.namedAfterLauncher ? ctx.launcherName : L"voQ") + candidate.suffix);
  }
  return paths;
}

std::wstring FindConfigFile(LauncherContext& ctx) {
  for (const std::wstring& path : ConfigFileCandidates(ctx)) {
    // Missing, a folder, and an empty file all count as absent. A file that cannot
    // be read is there: it is never offered to be replaced by the template.
    const std::int64_t state = os::FileState(path);
    if (state > 0 || state == os::kStateUnreadable) return path;
  }

  const int answer =
      os::ShowMessageBox(kNoIniMessage, ctx.launcherName,
                         os::kBoxOkCancel | os::kBoxIconInformation | os::kBoxTopmost);
  if (answer == os::kAnswerOk) {
    // Always named after the launcher; a failure to write is not reported.
    os::WriteNewFile(ctx.launcherFolder + ctx.launcherName + L".ini", ConfigTemplateBytes());
  }
  ctx.exitCode = 0;
  EndLauncher(ctx);
}
