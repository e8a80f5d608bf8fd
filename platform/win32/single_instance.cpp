// The named mutex that tells a second start of the same launcher from the first.
#include <windows.h>

#include "platform/platform.h"

namespace os {

MutexTake CreateOwnedMutex(const std::wstring& name) {
  MutexTake take;
  HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
  take.existed = GetLastError() == ERROR_ALREADY_EXISTS;
  take.mutex = reinterpret_cast<MutexRef>(mutex);
  return take;
}

void ReleaseOwnedMutex(MutexRef mutex) {
  if (mutex == 0) return;
  ReleaseMutex(reinterpret_cast<HANDLE>(mutex));
  CloseHandle(reinterpret_cast<HANDLE>(mutex));
}

}  // namespace os
