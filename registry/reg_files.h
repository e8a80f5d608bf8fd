// Registry files in the portable folder: a key exported by reg.exe, a value
// written by the launcher itself, files imported by reg.exe and appended to one
// another. An export replaces only its own item's part of a file, so that items
// sharing a file (the default settings.reg) all keep their data, whichever of
// them carry their data back in a run.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"
#include "process/run_hidden.h"

// The registry file of a name: "settings.reg" for an empty name or one ending in
// a backslash (a folder), under the launcher folder when relative.
std::wstring RegFilePath(const LauncherContext& ctx, std::wstring_view name);

// `regexport`: a registry path ending in a backslash names a key, any other a
// value.
void RegExport(const LauncherContext& ctx, std::wstring_view registryPath,
               std::wstring_view fileName);

// reg.exe EXPORT of the key into a part file beside the registry file (its folder
// created first), waited for at most waitMs; the registry file then takes the
// part in place of what it held of the key, and keeps every other item's data.
// True only when the tool ended with exit code 0, the part holds the key and the
// registry file was written; a key that does not exist starts no tool.
bool ExportRegKey(const LauncherContext& ctx, std::wstring_view keyPath, std::wstring_view fileName,
                  unsigned waitMs = kToolTimeoutMs);

// The value, of any type, written by the launcher into the registry file in place
// of what the file held of it, atomically; a file holding nothing else is the
// value's own. A value that does not exist takes its part out (and the file, when
// nothing else is left). True when nothing of the value is lost: written,
// or not there; false when it could not be read or the file not written. A file
// that the other items' parts cannot be kept in stays as it is (RegFileWithPart),
// for ExportRegKey too.
bool ExportRegValue(const LauncherContext& ctx, std::wstring_view valuePath,
                    std::wstring_view fileName);

// reg.exe IMPORT of the registry file, waited for at most waitMs; a file that is
// not there starts no tool. True when the tool ended with exit code 0.
bool ImportRegFile(const LauncherContext& ctx, std::wstring_view fileName,
                   unsigned waitMs = kToolTimeoutMs);

// Brings in what the registry file holds of one item, the key (and the keys
// below it) or, with a value name, that value of the key: the rest of a shared
// file may hold other items' keys, which must not land on their machine data
// before those items have set it aside. A missing file, or one that holds nothing
// of the item, starts no tool and has nothing to bring in. True when everything
// the file holds of the item is in the registry now: nothing to bring in, or the
// tool ended with exit code 0. False for a file that cannot be read, or that is
// no registry file (a line before its header, say).
bool ImportRegFileFor(const LauncherContext& ctx, std::wstring_view fileName,
                      std::wstring_view keyPath, const std::wstring* valueName);

// reg.exe IMPORT of registry file bytes, written to the temporary folder for the
// tool and removed again; waited for at most waitMs. True as for ImportRegFile.
bool ImportRegBytes(const LauncherContext& ctx, const std::string& bytes, unsigned waitMs);

// `regmerge`: appends the entries of the second file to the target (written
// atomically) and deletes the second file once that is done.
void MergeRegFiles(const LauncherContext& ctx, std::wstring_view target,
                   std::wstring_view appendFile);
