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
