// Helpers shared by the Win32 files: buffers that grow until a call fits.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// Calls fill(buffer, capacity) until the answer fits. fill returns what the W
// function returns: the length written, or the capacity needed when too small.
template <typename Fill>
std::wstring GrowingBuffer(Fill fill, DWORD initial = MAX_PATH) {
  std::wstring buffer(initial, L'\0');
  for (;;) {
    const DWORD got = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got < buffer.size()) {
      buffer.resize(got);
      return buffer;
    }
    buffer.resize(got > buffer.size() ? got + 1 : buffer.size() * 2);
  }
}

}  // namespace win32
