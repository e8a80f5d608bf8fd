// The key vocabulary of BEFORE and AFTER: one row per key, in order of recognition.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/context.h"

struct KeyRow {
  std::wstring_view key;
  void (*operation)(LauncherContext& ctx, const std::wstring& value);
};

std::span<const KeyRow> KeyTable();

// The operation of the rows whose work arrives with a later piece of the launcher:
// the key is recognised (no "Unknown key" message) and does nothing yet.
void NotYetAvailable(LauncherContext& ctx, const std::wstring& value);
