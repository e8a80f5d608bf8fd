// The item operations of the key table for folders ("DIR"), files ("FILE"),
// registry keys ("REGKEY") and registry values ("REGVAL"), and symbolic links.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// `dir`, `file`, `regkey`, `regvalue`: "local :: portable". The phase decides
// which half runs.
void WrapItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
              std::wstring_view phase);

// `(dir)`, `(file)`, `(regkey)`, `(regvalue)`: the whole value is the local item.
void BackupItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                std::wstring_view phase);

// `symlink`: "link :: target"; a link ending in a backslash is a folder link.
void SymlinkItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view phase);

// `->dir` ... `<-regvalue`: "source :: target :: options :: pattern"; direction 1
// exchanges source and target.
void CopyMoveItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type,
                  int direction);

// `+dir`, `+regkey` (whole value), `+file` ("path :: options :: contents"),
// `+regvalue` ("key :: name :: data :: type :: separator :: options").
void CreateItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type);

// `-dir` ("folder :: option"), `-file` (whole value, wildcards allowed), `-regkey`
// ("key :: option"), `-regvalue` ("key :: name").
void DeleteItem(LauncherContext& ctx, const std::wstring& value, std::wstring_view type);
