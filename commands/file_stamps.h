// `date` and `attributes`: the dates and attributes of a file of the application.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/context.h"
#include "platform/platform.h"

// `date`: "file :: date or now :: which". The modification date unless the third
// field names "created" or "accessed"; a date that cannot be read leaves the file
// as it was.
void DateCommand(LauncherContext& ctx, const std::wstring& value);

// `attributes`: "file or folder :: words". The words named (archive, compressed,
// hidden, normal, readonly, system) replace the attributes; none means normal.
void AttributesCommand(LauncherContext& ctx, const std::wstring& value);

// A date written "yyyy.mm.dd hh:ii:ss", each part with exactly its digits and
// separators; nullopt for any other text or a day that does not exist (month 13,
// 30 February), and for years before 1601, where file times begin.
std::optional<os::LocalTime> ReadDateText(std::wstring_view text);
