// The item operations of the key table for folders ("DIR") and files ("FILE"),
// and symbolic links.
// Registry items ("REGKEY", "REGVAL") arrive with the registry operations; until
// then these operations leave them alone.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// `dir`, `file`: "local :: portable". The phase decides which half runs.
void WrapItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
              std::wstring_view phase);

// `(dir)`, `(file)`: the whole value is the local item.
void BackupItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                std::wstring_view phase);

// `symlink`: "link :: target"; a link ending in a backslash is a folder link.
void SymlinkItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view phase);

// `->dir` ... `<-file`: "source :: target :: options :: pattern"; direction 1
// exchanges source and target.
void CopyMoveItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                  int direction);

// `+dir` (whole value), `+file` ("path :: options :: contents").
void CreateItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type);

// `-dir` ("folder :: option"), `-file` (whole value, wildcards allowed).
void DeleteItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type);
