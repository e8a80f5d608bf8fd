#include "commands/start_commands.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/prepare_value.h"

namespace {

constexpr int kShowHidden = 0;  // SW_HIDE
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
constexpr std::wstring_view kConsoleTitleSuffix = L" (voQ)";

}  // namespace

void BatchCommand(LauncherContext& ctx, const std::wstring& value) {
  const std::wstring written = Field(value, 1);
  if (TrimSpaces(written).empty()) return;
  const std::wstring batch = ResolvePath(ctx, written);
  if (Field(value, 2) == L"show") {
    os::OpenConsole(ctx.launcherName + std::wstring(kConsoleTitleSuffix));
    os::StartInConsole(batch);
    return;
  }
  os::ShellStartRequest request;
  request.file = batch;
  request.parameters = ctx.phase;
  request.showCommand = kShowHidden;
  request.wantProcess = false;
  request.asProgram = false;
  os::ShellStart(request);
}

void RunCommand(LauncherContext& ctx, const std::wstring& value) {
  // Prepared once more, so that "NULL" between two separators is an empty field.
  const std::wstring prepared = PrepareValue(ctx, value, L"run", ctx.phase);
  const std::wstring written = Field(prepared, 1);
  if (written.empty()) return;
  const bool wait = Field(prepared, 2) == L"wait";
  os::ShellStartRequest request;
  request.file = ResolvePath(ctx, written);
  request.parameters = Field(prepared, 3);
  // As written, not made absolute; without one, the program's own folder.
  request.directory = Field(prepared, 4);
  if (request.directory.empty()) request.directory = ParentFolder(ctx, request.file);
  request.showCommand = kShowNormal;
  request.wantProcess = wait;
  request.asProgram = false;
  const os::ShellStartResult started = os::ShellStart(request);
  if (!started.ok || started.process == 0) return;
  os::WaitForProcessEnd(started.process);
  os::ReleaseProcess(started.process);
}
