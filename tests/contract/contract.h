// What the launcher relies on of each os:: function, as tables of rows written
// once and checked against both implementations: natively on the in-memory
// platform, and under Wine on platform/win32. A row says what the call answers
// in a scene; the scene is arranged through the functions below, which each
// implementation provides with its own means (scene_fake.cpp, scene_win32.cpp).
//
// A row that Wine cannot produce says why in onlyOnFake: it is checked on the
// fake alone, and the Wine run names it, so that no row goes unrun unseen.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace contract {

struct Row {
  const char* name;         // the behaviour
  void (*arrange)();        // the scene before the call; nullptr: an empty one
  std::string (*answer)();  // the call, and what it answered, as text
  const char* expected;
  const char* onlyOnFake = nullptr;  // why Wine cannot produce the scene
};

// Each row in a fresh scene. Under Wine the rows only the fake can produce are
// listed with their reasons instead.
void CheckRows(const char* table, const std::vector<Row>& rows);

// ---- the scene: a fresh folder of its own and a scratch registry key ---------------

void NewScene();
void EndScene();
bool OnWine();
// The full path of a name in the scene's folder; At(L"") ends with a backslash.
std::wstring At(const std::wstring& relative);
// A folder on another volume, ending with a backslash: a rename there is refused.
std::wstring OnOtherVolume(const std::wstring& relative);

void PutFile(const std::wstring& relative, const std::string& bytes);
void PutFolder(const std::wstring& relative);
void PutAttributes(const std::wstring& relative, unsigned attributes);
// Opened by another program, sharing nothing, until the scene ends.
void Hold(const std::wstring& relative);
// A folder link to the folder target (relative too).
void PutFolderLink(const std::wstring& relative, const std::wstring& target);
// A link that points at itself: nothing below it can be looked up.
void PutLoopingLink(const std::wstring& relative);

// The short (8.3) form of the full path of a folder in the scene's folder.
std::wstring ShortForm(const std::wstring& relative);

// Only the fake can make these (rows with onlyOnFake).
void DenyListing(const std::wstring& relative);
void FailListingPartWay(const std::wstring& relative);
void FailReads(const std::wstring& relative);
void PutDriveNotReady(const std::wstring& drive);  // "R:"

// The scratch key below HKEY_CURRENT_USER, and keys and values below it.
std::wstring RegScratch(const std::wstring& relative = L"");
void PutRegKey(const std::wstring& relative);
void PutRegValue(const std::wstring& relative, const std::wstring& name, unsigned type,
                 const std::string& bytes);
void DenyRegReading(const std::wstring& relative);  // no access at all
void DenyRegWriting(const std::wstring& relative);  // read access only

// A scratch key below HKEY_LOCAL_MACHINE\SOFTWARE, where the two registry views
// part: as 64-bit programs name it, and where what 32-bit programs call by that
// name lies (below WOW6432Node).
std::wstring MachineScratch(const std::wstring& relative = L"");
std::wstring MachineScratch32(const std::wstring& relative = L"");
// A REG_SZ value in a key below HKEY_LOCAL_MACHINE (its full name there, as the
// 64-bit view has it); the key is made with its parents.
void PutMachineRegText(const std::wstring& key, const std::wstring& name, const std::wstring& text);

// ---- answers as text -------------------------------------------------------------

std::string Utf8(const std::wstring& text);
// The words with a blank between them, worked out in the order given (the
// operands of + are not), so that a call comes before what shows its effect.
std::string Words(std::initializer_list<std::string> words);
std::string YesNo(bool value);
// A size, or "missing", "folder", "unreadable".
std::string StateText(std::int64_t state);
std::string State(const std::wstring& relative);
// "none" for nullopt; else the entries by name, ", " between them: a file as
// "name size" and "timed" when it has a write time, a folder as "name\", then
// " link" and " hidden" where they hold.
std::string ListingText(const std::optional<std::vector<os::DirEntry>>& listing);
// The write time of a file in the scene, as its folder's listing gives it; 0: none.
std::uint64_t WriteTime(const std::wstring& relative);
// The bytes of a file in the scene, read through the seam; "no file" when it
// does not open.
std::string Bytes(const std::wstring& relative);
std::string Hex(unsigned value);

}  // namespace contract
