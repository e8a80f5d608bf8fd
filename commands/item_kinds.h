// The kinds of item that set the machine's data aside for a run and put it back:
// folders and files, registry keys and values, links. Each kind is one row of
// primitive operations on its places; the stage machine of commands/wrap_steps.h
// runs the same steps for every kind, so that each kind gets the run record and
// the recovery at the next start without code of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/context.h"

struct ItemPlaces {
  std::wstring local;     // where the application expects its data
  std::wstring backup;    // local + "_backup": the machine's own data during the run
  std::wstring portable;  // wrap items: where the data lives between runs
};

struct ItemKind {
  std::wstring_view key;  // "dir", "(file)", ... as written in the configuration

  // The places of a value of this key; nullopt when it names no local item.
  std::optional<ItemPlaces> (*placesOf)(const LauncherContext& ctx, std::wstring_view value);
  // A text that is equal for two spellings of the same local place.
  std::wstring (*identity)(const LauncherContext& ctx, const std::wstring& local);

  bool (*exists)(const LauncherContext& ctx, const std::wstring& place);
  // Renames `from` to `to` (which does not exist) in one step; false when the
  // platform cannot (then a copy is made). Null for kinds that cannot rename.
  bool (*rename)(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to);
  // Copies all of `from` to `to`, replacing what is there; true only when whole.
  bool (*copy)(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to);
  // Removes the place; true when nothing is there any more.
  bool (*remove)(const LauncherContext& ctx, const std::wstring& place);

  // Before the application: puts the item's data in place at the local place,
  // which is free. False when the item cannot be in place (then the machine's
  // data goes back at once). Null: nothing is brought in (backup items).
  bool (*bringIn)(const LauncherContext& ctx, const ItemPlaces& places);
  // After the application: carries what the local place holds back to the
  // portable location; true only when all of it is there. Null: nothing to carry.
  // `broughtInAt`: the os::FileClock reading before this run brought the data in
  // (0: it did not), so that what the application left untouched need not be read.
  bool (*carryBack)(const LauncherContext& ctx, const ItemPlaces& places,
                    std::uint64_t broughtInAt);
  // Wrap items: the folder or file that holds the portable data, resolved, with
  // the suffix added to its name (before the extension of a file); an empty
  // suffix names the place itself. Null: nothing is carried back.
  std::wstring (*portableAt)(const LauncherContext& ctx, const ItemPlaces& places,
                             std::wstring_view suffix);
};

// The kind of an item key; nullptr for any other key.
const ItemKind* FindItemKind(std::wstring_view key);

// An item of the configuration: its kind and its places.
struct Item {
  const ItemKind* kind;
  ItemPlaces places;
};

// The item a key and its value name; nullopt when the key names no kind of item,
// or the value no place an item may take. With `identity`, also the identity of
// its local place (kind->identity), which the checks work out anyway.
std::optional<Item> ItemOf(const LauncherContext& ctx, std::wstring_view key,
                           std::wstring_view value, std::wstring* identity = nullptr);

// The item's place, written or by default, that is one of the launcher's own files
// (the item is then refused); nullopt when it names none. For the check's warnings.
std::optional<std::wstring> LauncherFileOfItem(const LauncherContext& ctx, std::wstring_view key,
                                               std::wstring_view value);

// The rows of each kind, defined beside their primitives.
extern const ItemKind kDirWrapKind;
extern const ItemKind kFileWrapKind;
extern const ItemKind kDirBackupKind;
extern const ItemKind kFileBackupKind;
extern const ItemKind kRegKeyWrapKind;
extern const ItemKind kRegValueWrapKind;
extern const ItemKind kRegKeyBackupKind;
extern const ItemKind kRegValueBackupKind;
extern const ItemKind kLinkKind;
