// Places that are never deleted, wrapped, moved or backed up whole, and never
// emptied by a pattern that matches everything in them, whatever a configuration
// says (a typing slip or an expansion that came out other than meant):
// - folders: every drive root, the Windows folder, the profiles folder and the
//   user's profile, the shell folders themselves (Roaming, Local, Documents,
//   Desktop, Program Files, ProgramData, Temp, and every folder the shell lists for
//   the user and for all users), the launcher's own folder and the folders above
//   it;
// - registry keys: the roots, every key right below a root (HKCU\Software,
//   HKLM\SYSTEM, HKCU\Control Panel, ...), and the next level too, except below a
//   Software key, where applications keep their own keys: there only the system's
//   own (Classes, Clients, Microsoft, Policies, RegisteredApplications,
//   WOW6432Node) are kept.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// Fills ctx.protectedFolders for the run: what the system says its folders are.
void NoteProtectedFolders(LauncherContext& ctx);

bool IsProtectedFolder(const LauncherContext& ctx, std::wstring_view path);
// The same for a place's PathIdentity.
bool IsProtectedFolderIdentity(const LauncherContext& ctx, const std::wstring& identity);
bool IsProtectedKey(std::wstring_view keyPath);

// A path whose last name matches everything ("*", "*.*") in a protected folder:
// "C:\*" for every folder of the drive.
bool EmptiesAProtectedFolder(const LauncherContext& ctx, std::wstring_view path);
