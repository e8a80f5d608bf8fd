#include "commands/item_kinds.h"

namespace {

// One row per item key. A new kind of item is a new row here.
const ItemKind* const kItemKinds[] = {
    &kDirWrapKind,      &kFileWrapKind,       &kDirBackupKind,
    &kFileBackupKind,   &kRegKeyWrapKind,     &kRegValueWrapKind,
    &kRegKeyBackupKind, &kRegValueBackupKind, &kLinkKind,
};

}  // namespace

const ItemKind* FindItemKind(std::wstring_view key) {
  for (const ItemKind* kind : kItemKinds)
    if (kind->key == key) return kind;
  return nullptr;
}
