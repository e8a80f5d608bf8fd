#include "launcher/single_instance.h"

#include "platform/platform.h"
#include "platform/text.h"

namespace {

// The copy restarted elevated follows closely on the launcher that started it;
// that one let the name go first, and is given a moment to be gone entirely.
constexpr int kRestartedTries = 20;
constexpr unsigned kRestartedPauseMs = 250;

// A backslash would make the name a path into the object namespace, and the
// creation would fail on every start.
std::wstring MutexName(const LauncherContext& ctx) {
  return ReplaceAll(ctx.launcherName, L"\\", L"/");
}

bool TakenByAnother(const os::MutexTake& take) { return take.mutex == 0 || take.existed; }

void Ask(LauncherContext& ctx) {
  const int answer = os::ShowMessageBox(
      ctx.launcherName + L" is already running!\r\nAre you sure to launch another instance?",
      ctx.launcherName, os::kBoxOkCancel | os::kBoxIconQuestion | os::kBoxTopmost);
  if (answer != os::kAnswerOk) EndLauncher(ctx);
  ctx.additionalInstance = 1;
}

struct InstanceRow {
  std::wstring_view value;
  void (*whenAnotherRuns)(LauncherContext& ctx);
};
constexpr InstanceRow kInstanceRows[] = {
    {L"-1", [](LauncherContext& ctx) { EndLauncher(ctx); }},
    {L"2", [](LauncherContext& ctx) { ctx.additionalInstance = 1; }},
    {L"0", Ask},
};

}  // namespace

void CheckSingleInstance(LauncherContext& ctx, const std::wstring& multipleValue) {
  if (multipleValue == L"1") return;
  os::MutexTake take = os::CreateOwnedMutex(MutexName(ctx));
  for (int tries = 1; ctx.restartedElevated == 1 && TakenByAnother(take) && tries < kRestartedTries;
       ++tries) {
    os::ReleaseOwnedMutex(take.mutex);
    os::Pause(kRestartedPauseMs);
    take = os::CreateOwnedMutex(MutexName(ctx));
  }
  ctx.instanceMutex = take.mutex;
  if (!TakenByAnother(take)) return;
  for (const InstanceRow& row : kInstanceRows)
    if (multipleValue == row.value) row.whenAnotherRuns(ctx);
}

void ReleaseInstanceMutex(LauncherContext& ctx) {
  os::ReleaseOwnedMutex(ctx.instanceMutex);
  ctx.instanceMutex = 0;
}
