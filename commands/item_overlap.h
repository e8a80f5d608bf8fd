// Items whose places touch. The AFTER halves run in the reverse order of the
// BEFORE halves, as a stack unwinds, so that an item inside another one (a
// `(dir)` for a cache inside a wrapped `dir`) is finished before the item around
// it: its data is back in place before the outer data is carried back and the
// machine's put back. Pairs that no order of steps makes safe are refused when
// the configuration is read: the later of two items on one place; an item inside
// an earlier registry key item (whose export already holds its data), inside an
// earlier link (never acted on through a link), or whose portable data overlaps
// the outer item's; an item apart from an earlier one whose portable data overlaps
// it (registry items sharing a registry file excepted); and an item that an item
// written after it lies around (its data would be set aside inside the outer
// item's backup).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/context.h"

enum class ItemFit {
  Apart,      // the places do not touch
  Nests,      // the later item lies inside the earlier one, and both may run
  LeaveOut,   // the later item must not run
  Displaces,  // the earlier item lies inside the later one and must not run
};

// An item's places as these rules compare them, worked out once.
struct PlacedItem {
  std::wstring key;
  std::wstring value;
  std::wstring identity;  // of the local place
  std::wstring portable;  // where its portable data lives; empty for a backup item
  bool registry = false;
  bool link = false;
};

// nullopt when the key names no item, or the value no place an item may take.
std::optional<PlacedItem> PlacedItemOf(const LauncherContext& ctx, std::wstring_view key,
                                       std::wstring_view value);

ItemFit FitOf(const PlacedItem& earlier, const PlacedItem& later);

// True when the place of one identity lies inside the place of the other.
bool PlaceInside(const std::wstring& innerIdentity, const std::wstring& outerIdentity);
