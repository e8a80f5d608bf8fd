// `replace`, `replaceline`, `iniread` and `iniwrite`: the keys that change the
// contents of the application's own text and ini files.
#pragma once

#include <string>

#include "platform/context.h"

// `replace`: "file :: find :: replacement".
void ReplaceInFile(LauncherContext& ctx, const std::wstring& value);

// `replaceline`: "file :: beginning of the line :: new line".
void ReplaceLineCommand(LauncherContext& ctx, const std::wstring& value);

// `iniread` (mode 0): "file :: section :: key :: user variable".
// `iniwrite` (mode 1): "file :: section :: key :: value :: options"; a section
// written "--Name" removes that section, an empty value removes the key, and the
// option "no overwrite" keeps a key already present under exactly that name.
void IniEdit(LauncherContext& ctx, const std::wstring& value, int mode);
