#include "commands/place_locks.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/text.h"

bool HoldPlace(LauncherContext& ctx, const std::wstring& identity) {
  if (std::find(ctx.heldPlaces.begin(), ctx.heldPlaces.end(), identity) != ctx.heldPlaces.end())
    return true;
  // Identities can be longer than a mutex name may be, and hold backslashes.
  const os::MutexTake take =
      os::CreateOwnedMutex(L"Global\\voQ place " + HexDigits(Fnv1a64(Utf8FromWide(identity)), 16));
  if (take.mutex == 0 || take.existed) {
    os::ReleaseOwnedMutex(take.mutex);
    return false;
  }
  // Held to the end of the process: the system releases it then.
  ctx.heldPlaces.push_back(identity);
  return true;
}
