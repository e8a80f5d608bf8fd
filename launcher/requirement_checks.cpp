#include "launcher/requirement_checks.h"

#include "launcher/java_versions.h"
#include "launcher/startup.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "process/run_hidden.h"

namespace {

// A requirement written as "!os" = "<XP" is met on N <= 60, "XP" on N >= 60.
struct VersionRow {
  std::wstring_view value;
  int number;
  bool older;
};
constexpr VersionRow kVersionRows[] = {
    {L"XP", 60, false}, {L"<XP", 60, true}, {L"Vista", 70, false}, {L"<Vista", 70, true},
    {L"7", 80, false},  {L"<7", 80, true},  {L"8", 90, false},     {L"<8", 90, true},
};

// A trailing "!" (any number of them) means: end instead of asking.
bool TakeExitFlag(std::wstring& value) {
  const size_t end = value.find_last_not_of(L'!');
  const size_t keep = end == std::wstring::npos ? 0 : end + 1;
  if (keep == value.size()) return false;
  value.resize(keep);
  return true;
}

// `!online`: which state each value wants, and what happens when it is not so.
enum class Unmet { Ask, Tell, EndSilently };
struct OnlineRow {
  std::wstring_view value;
  bool wantsOnline;
  Unmet unmet;
};
constexpr OnlineRow kOnlineRows[] = {
    {L"1", true, Unmet::Ask},   {L"2", true, Unmet::Tell},   {L"-1", true, Unmet::EndSilently},
    {L"-2", false, Unmet::Ask}, {L"-3", false, Unmet::Tell},
};

// ping.exe from the system's own folder: a program of that name beside the
// launcher or the application must never run in its place (elevated after `!admin`).
std::wstring PingPath() { return os::WindowsDirectory() + L"\\system32\\ping.exe"; }

// Online when the ping printed something and none of it says the host could not
// be reached. Only the English texts of the tool are known.
bool PingAnswered(std::wstring_view pingArguments) {
  const os::CapturedRun ping =
      os::RunCapturingOutput(HiddenCommandLine(PingPath(), pingArguments), kToolTimeoutMs);
  std::string output;
  for (const char c : ping.output)
    if (c != '\r' && c != '\n') output += c;
  return ping.started && !output.empty() && output.find("unreachable") == std::string::npos &&
         output.find("could not find host") == std::string::npos;
}

}  // namespace

void AskToContinue(LauncherContext& ctx, const std::wstring& text) {
  const int answer = os::ShowMessageBox(text + L"Continue anyway?", ctx.launcherName,
                                        os::kBoxYesNo | os::kBoxIconQuestion | os::kBoxTopmost);
  if (answer != os::kAnswerYes) EndLauncher(ctx);
}

void TellAndEnd(LauncherContext& ctx, const std::wstring& text) {
  os::ShowMessageBox(text + L"Exiting...", ctx.launcherName,
                     os::kBoxOk | os::kBoxIconStop | os::kBoxTopmost);
  EndLauncher(ctx);
}

void AskOrEnd(LauncherContext& ctx, const std::wstring& text, bool exitFlag) {
  if (exitFlag) TellAndEnd(ctx, text);
  AskToContinue(ctx, text);
}

void CheckWindowsVersion(LauncherContext& ctx, const std::wstring& given) {
  std::wstring value = given;
  const int number = WindowsVersionNumber();
  const bool exitFlag = TakeExitFlag(value);
  for (const VersionRow& row : kVersionRows) {
    if (value != row.value) continue;
    if (row.older ? number <= row.number : number >= row.number) return;
    const std::wstring_view shown = row.older ? row.value.substr(1) : row.value;
    AskOrEnd(ctx,
             ctx.launcherName + L" requires Windows " + std::wstring(shown) + L" or " +
                 (row.older ? L"older" : L"newer") + L" to run.\r\n\r\n",
             exitFlag);
    return;
  }
}

bool DotNetPresent(const std::wstring& version) {
  if (StartsWith(version, L"0")) return true;
  const std::wstring wanted = L"v" + version;
  const auto entries =
      os::ListFolder(os::WindowsDirectory() + L"\\Microsoft.NET\\Framework", wanted + L"*");
  if (!entries) return false;
  for (const os::DirEntry& entry : *entries)
    if (entry.isFolder && std::wstring_view(entry.name).substr(0, 4) == wanted) return true;
  return false;
}

void CheckDotNet(LauncherContext& ctx, const std::wstring& given) {
  std::wstring value = given;
  if (value.size() == 1) value += L".0";
  const bool exitFlag = TakeExitFlag(value);
  // "!" alone became "!.0" above: no version is asked for.
  if (value.empty() || value == L"!.0") return;
  if (value.size() == 1)
    value += L".0";
  else if (value.size() == 2)
    value += L"0";
  if (DotNetPresent(value)) return;
  const std::wstring text = ctx.launcherName + L" needs Microsoft .NET version " + value;
  if (exitFlag) TellAndEnd(ctx, text + L" or higher to be installed.\r\n\r\n");
  AskToContinue(ctx, text + L" to be installed.\r\n\r\n");
}

void CheckJava(LauncherContext& ctx, const std::wstring& given) {
  std::wstring value = given;
  const InstalledJava java = FindInstalledJava();
  std::wstring installed = java.version;
  const std::wstring versionNote =
      installed.empty() ? L"" : L"\r\nYour Java version is " + installed + L".";
  // Only a key that is there but may not be read leaves the question open; the
  // user then decides whether to go on unchecked.
  if (ctx.isAdministrator == 0 && !value.empty() && installed.empty() && java.readRefused) {
    AskToContinue(ctx, L"Java version check is not possible without admin rights.\r\n\r\n");
    installed = L"9999";
  }
  if (value.empty() || value == L"0" || value == L"!") return;
  const bool exitFlag = TakeExitFlag(value);
  if (value.size() == 1) value += L".0";
  if (CompareVersions(installed, value) >= 0) return;
  AskOrEnd(ctx,
           ctx.launcherName + L" needs Java version " + value + L" or higher to be installed." +
               versionNote + L"\r\n\r\n",
           exitFlag);
}

void CheckOnline(LauncherContext& ctx, const std::wstring& value, std::wstring_view pingArguments) {
  // Tested whatever the value, also for values that lead to nothing.
  const bool online = os::InternetConnected() && PingAnswered(pingArguments);
  for (const OnlineRow& row : kOnlineRows) {
    if (value != row.value) continue;
    if (online == row.wantsOnline) return;
    const std::wstring text = row.wantsOnline
                                  ? std::wstring(L"No internet connection is available.\r\n\r\n")
                                  : ctx.launcherName + L" requires offline mode.\r\n\r\n";
    if (row.unmet == Unmet::EndSilently) EndLauncher(ctx);
    AskOrEnd(ctx, text, row.unmet == Unmet::Tell);
    return;
  }
}
