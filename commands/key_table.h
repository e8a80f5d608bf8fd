// The key vocabulary of BEFORE and AFTER: one row per key, in order of recognition.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/context.h"

struct KeyRow {
  std::wstring_view key;
  void (*operation)(LauncherContext& ctx, const std::wstring& value);
  // How many of the first fields name places: a place that lost a name to an
  // empty expansion names no place, and the key does nothing.
  int placeFields = 0;
};

std::span<const KeyRow> KeyTable();
