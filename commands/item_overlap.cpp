#include "commands/item_overlap.h"

#include <optional>
#include <string>

#include "commands/item_kinds.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace {

// A place identity as path components: registry identities are "key <path>" and
// "value <path>", the others plain paths.
struct Place {
  bool registry = false;
  bool value = false;
  std::wstring path;
};

Place PlaceOf(const std::wstring& identity) {
  if (StartsWith(identity, L"key ")) return Place{true, false, identity.substr(4)};
  if (StartsWith(identity, L"value ")) return Place{true, true, identity.substr(6)};
  return Place{false, false, identity};
}

bool Inside(const Place& inner, const Place& outer) {
  return inner.registry == outer.registry && !outer.value &&
         StartsWith(inner.path, outer.path + L"\\");
}

// Where the item keeps portable data: the portable place of a wrap item, the
// target of a link; empty for a backup item.
std::wstring PortableSpan(const LauncherContext& ctx, const Item& item) {
  if (item.kind->portableAt != nullptr)
    return PathIdentity(ctx, item.kind->portableAt(ctx, item.places, L""));
  if (item.kind->key == L"symlink") return PathIdentity(ctx, item.places.portable);
  return L"";
}

bool Overlapping(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && !b.empty() &&
         (a == b || StartsWith(a, b + L"\\") || StartsWith(b, a + L"\\"));
}

}  // namespace

std::optional<PlacedItem> PlacedItemOf(const LauncherContext& ctx, std::wstring_view key,
                                       std::wstring_view value) {
  const auto item = ItemOf(ctx, key, value);
  if (!item) return std::nullopt;
  PlacedItem placed{std::wstring(key), std::wstring(value),
                    item->kind->identity(ctx, item->places.local), PortableSpan(ctx, *item)};
  placed.registry = PlaceOf(placed.identity).registry;
  placed.link = item->kind->key == L"symlink";
  return placed;
}

ItemFit FitOf(const PlacedItem& earlier, const PlacedItem& later) {
  if (earlier.identity == later.identity) return ItemFit::LeaveOut;
  const Place earlierPlace = PlaceOf(earlier.identity);
  const Place laterPlace = PlaceOf(later.identity);
  if (Inside(laterPlace, earlierPlace))
    return earlier.registry || earlier.link || Overlapping(earlier.portable, later.portable)
               ? ItemFit::LeaveOut
               : ItemFit::Nests;
  if (Inside(earlierPlace, laterPlace)) return ItemFit::Displaces;
  // Apart on the machine but one portable place (two folders without a portable
  // folder of their own share Settings): each would bring the other's data in and
  // carry its own back over it. Registry items share a registry file by design,
  // each with its own part of it.
  if (!(earlier.registry && later.registry) && Overlapping(earlier.portable, later.portable))
    return ItemFit::LeaveOut;
  return ItemFit::Apart;
}

bool PlaceInside(const std::wstring& innerIdentity, const std::wstring& outerIdentity) {
  return Inside(PlaceOf(innerIdentity), PlaceOf(outerIdentity));
}
