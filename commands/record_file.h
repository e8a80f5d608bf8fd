// The files the launcher keeps about runs in progress (the run record, and the
// note that a later run wrote newer data): written whole and read strictly, so
// that a file cut short, damaged or written twice over is never taken for what it
// was. One UTF-8 line each, CR LF:
//     ; what the file is, for a person who finds it
//     <kind>                       e.g. "voQ run record 1"
//     <line> ...
//     end <number of lines> <checksum of every byte before this line>
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

std::string FramedText(std::wstring_view comment, std::wstring_view kind,
                       const std::vector<std::wstring>& lines);

// The lines between the kind and the end line; nullopt unless the bytes are a
// whole file of that kind exactly as FramedText writes it.
std::optional<std::vector<std::wstring>> ReadFramed(std::string_view bytes, std::wstring_view kind);
