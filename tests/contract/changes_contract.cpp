// The calls that change the disk: folders, copies, flushes, deletions, renames.
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr char kRoot[] = "Wine runs as root here, and root writes over read-only files";

void Five() { PutFile(L"five.txt", "12345"); }

void FileAndFolder() {
  Five();
  PutFolder(L"sub");
}

std::string Made(const std::wstring& relative) {
  return Words({YesNo(os::CreateOneFolder(At(relative))), State(relative)});
}

TEST(Contract, CreateOneFolder) {
  CheckRows(
      "CreateOneFolder",
      {
          {"a new folder in one that is there", nullptr, [] { return Made(L"new"); }, "yes folder"},
          {"a folder that is there already", FileAndFolder, [] { return Made(L"sub"); },
           "no folder"},
          {"a parent that is not there", nullptr, [] { return Made(L"none\\new"); }, "no missing"},
          {"where a file is", Five, [] { return Made(L"five.txt"); }, "no 5"},
          {"the trailing dot of the name is dropped", nullptr,
           [] {
             return Words({YesNo(os::CreateOneFolder(At(L"dot."))), State(L"dot")});
           },
           "yes folder"},
      });
}

std::string Removed(const std::wstring& relative) {
  return Words({YesNo(os::RemoveOneFolder(At(relative))), State(relative)});
}

TEST(Contract, RemoveOneFolder) {
  CheckRows(
      "RemoveOneFolder",
      {
          {"an empty folder", FileAndFolder, [] { return Removed(L"sub"); }, "yes missing"},
          {"a folder that holds a file",
           [] {
             PutFolder(L"sub");
             PutFile(L"sub\\f.txt", "f");
           },
           [] { return Removed(L"sub"); }, "no folder"},
          {"a file", Five, [] { return Removed(L"five.txt"); }, "no 5"},
          {"a folder link goes alone; what its target holds stays",
           [] {
             PutFolder(L"target");
             PutFile(L"target\\f.txt", "f");
             PutFolderLink(L"link", L"target");
           },
           [] {
             return Words({Removed(L"link"), State(L"target\\f.txt")});
           },
           "yes missing 1", "Wine cannot remove a Linux folder link while its target holds files"},
      });
}

std::string Deleted(const std::wstring& relative) {
  return Words({YesNo(os::DeleteOneFile(At(relative))), State(relative)});
}

TEST(Contract, DeleteOneFile) {
  CheckRows("DeleteOneFile",
            {
                {"a file", Five, [] { return Deleted(L"five.txt"); }, "yes missing"},
                {"a read-only file",
                 [] {
                   Five();
                   PutAttributes(L"five.txt", os::kAttrReadOnly);
                 },
                 [] { return Deleted(L"five.txt"); }, "no 5"},
                {"a file held by another program",
                 [] {
                   Five();
                   Hold(L"five.txt");
                 },
                 [] { return Deleted(L"five.txt"); }, "no 5"},
                {"a folder, or nothing", FileAndFolder,
                 [] { return Deleted(L"sub") + " " + Deleted(L"none"); }, "no folder no missing"},
            });
}

std::string Copied(const std::wstring& target) {
  return Words({YesNo(os::CopyFileReplacing(At(L"five.txt"), At(target))), Bytes(target)});
}

TEST(Contract, CopyFileReplacing) {
  CheckRows(
      "CopyFileReplacing",
      {
          {"a copy takes its source's read-only attribute",
           [] {
             Five();
             PutAttributes(L"five.txt", os::kAttrReadOnly);
           },
           [] {
             return Words({Copied(L"copy.txt"),
                           Hex(*os::FileAttributes(At(L"copy.txt")) & os::kAttrReadOnly)});
           },
           "yes 12345 0x1"},
          {"a copy replaces its target",
           [] {
             Five();
             PutFile(L"old.txt", "old");
           },
           [] { return Copied(L"old.txt"); }, "yes 12345"},
          {"a copy over a target takes the source's read-only attribute too",
           [] {
             Five();
             PutAttributes(L"five.txt", os::kAttrReadOnly);
             PutFile(L"old.txt", "old");
           },
           [] {
             return Words({Copied(L"old.txt"),
                           Hex(*os::FileAttributes(At(L"old.txt")) & os::kAttrReadOnly)});
           },
           "yes 12345 0x1",
           "Wine's CopyFileW gives a target it replaces none of the source's attributes"},
          {"a source that is not there", nullptr, [] { return Copied(L"copy.txt"); }, "no no file"},
          {"onto a folder, or into a folder that is not there", FileAndFolder,
           [] { return Copied(L"sub") + " " + Copied(L"none\\copy.txt"); },
           "no no file no no file"},
          {"a source held by another program",
           [] {
             Five();
             Hold(L"five.txt");
           },
           [] { return Copied(L"copy.txt"); }, "no no file"},
          {"onto a read-only target",
           [] {
             Five();
             PutFile(L"old.txt", "old");
             PutAttributes(L"old.txt", os::kAttrReadOnly);
           },
           [] { return Copied(L"old.txt"); }, "no old", kRoot},
          {"onto a hidden target",
           [] {
             Five();
             PutFile(L"old.txt", "old");
             PutAttributes(L"old.txt", os::kAttrHidden);
           },
           [] { return Copied(L"old.txt"); }, "no old",
           "Wine's CopyFileW writes over hidden files"},
      });
}

TEST(Contract, FlushFile) {
  CheckRows("FlushFile",
            {
                {"a read-only file is flushed and stays read-only",
                 [] {
                   Five();
                   PutAttributes(L"five.txt", os::kAttrReadOnly);
                 },
                 [] {
                   return Words({YesNo(os::FlushFile(At(L"five.txt"))),
                                 Hex(*os::FileAttributes(At(L"five.txt")) & os::kAttrReadOnly)});
                 },
                 "yes 0x1"},
                {"a folder, or nothing", FileAndFolder,
                 [] { return YesNo(os::FlushFile(At(L"sub"))) + YesNo(os::FlushFile(At(L"x"))); },
                 "nono"},
            });
}

std::string Moved(const std::wstring& from, const std::wstring& to) {
  return Words({YesNo(os::MoveFileOrFolder(At(from), to)), State(from)});
}

TEST(Contract, MoveFileOrFolder) {
  CheckRows("MoveFileOrFolder",
            {
                {"a file, and a folder with all it holds",
                 [] {
                   Five();
                   PutFolder(L"sub");
                   PutFile(L"sub\\f.txt", "f");
                 },
                 [] {
                   return Words({Moved(L"five.txt", At(L"new.txt")), Moved(L"sub", At(L"moved")),
                                 State(L"moved\\f.txt")});
                 },
                 "yes missing yes missing 1"},
                {"never over a file or a folder that is there",
                 [] {
                   FileAndFolder();
                   PutFile(L"other.txt", "o");
                 },
                 [] {
                   return Moved(L"other.txt", At(L"five.txt")) + " " +
                          Moved(L"other.txt", At(L"sub"));
                 },
                 "no 1 no 1"},
                {"into a folder that is not there", Five,
                 [] { return Moved(L"five.txt", At(L"none\\five.txt")); }, "no 5"},
                {"to another volume", Five,
                 [] { return Moved(L"five.txt", OnOtherVolume(L"five.txt")); }, "no 5"},
                {"a file held by another program",
                 [] {
                   Five();
                   Hold(L"five.txt");
                 },
                 [] { return Moved(L"five.txt", At(L"new.txt")); }, "no 5"},
                {"a folder with a file held by another program",
                 [] {
                   PutFolder(L"sub");
                   PutFile(L"sub\\f.txt", "f");
                   Hold(L"sub\\f.txt");
                 },
                 [] { return Moved(L"sub", At(L"moved")); }, "no folder",
                 "Wine renames a folder whose files are held open"},
            });
}

std::string Replaced(const std::wstring& target) {
  return Words(
      {YesNo(os::ReplaceFileWith(At(L"five.txt"), At(target))), Bytes(target), State(L"five.txt")});
}

TEST(Contract, ReplaceFileWith) {
  CheckRows("ReplaceFileWith",
            {
                {"the new file takes the target's place",
                 [] {
                   Five();
                   PutFile(L"old.txt", "old");
                 },
                 [] { return Replaced(L"old.txt"); }, "yes 12345 missing"},
                {"a new file that is not there", [] { PutFile(L"old.txt", "old"); },
                 [] { return Replaced(L"old.txt"); }, "no old missing"},
                {"a target held by another program",
                 [] {
                   Five();
                   PutFile(L"old.txt", "old");
                   Hold(L"old.txt");
                 },
                 [] { return Replaced(L"old.txt"); }, "no no file 5"},
                {"a read-only target",
                 [] {
                   Five();
                   PutFile(L"old.txt", "old");
                   PutAttributes(L"old.txt", os::kAttrReadOnly);
                 },
                 [] { return Replaced(L"old.txt"); }, "no old 5", kRoot},
            });
}

TEST(Contract, SameFileBytes) {
  static const std::string kLong(200000, 'l');
  CheckRows("SameFileBytes",
            {
                {"the same bytes, and other bytes of the same size",
                 [] {
                   Five();
                   PutFile(L"same.txt", "12345");
                   PutFile(L"other.txt", "12346");
                 },
                 [] {
                   return YesNo(os::SameFileBytes(At(L"five.txt"), At(L"same.txt"))) + " " +
                          YesNo(os::SameFileBytes(At(L"five.txt"), At(L"other.txt")));
                 },
                 "yes no"},
                {"files longer than a block, differing in their last byte only",
                 [] {
                   PutFile(L"a", kLong);
                   PutFile(L"b", kLong);
                   PutFile(L"c", kLong.substr(1) + "x");
                 },
                 [] {
                   return YesNo(os::SameFileBytes(At(L"a"), At(L"b"))) + " " +
                          YesNo(os::SameFileBytes(At(L"a"), At(L"c")));
                 },
                 "yes no"},
                {"one not there, or held by another program",
                 [] {
                   Five();
                   PutFile(L"held.txt", "12345");
                   Hold(L"held.txt");
                 },
                 [] {
                   return YesNo(os::SameFileBytes(At(L"five.txt"), At(L"none"))) + " " +
                          YesNo(os::SameFileBytes(At(L"five.txt"), At(L"held.txt")));
                 },
                 "no no"},
            });
}

TEST(Contract, MatchesSpec) {
  CheckRows("MatchesSpec",
            {
                {"*.* matches every name; a pattern ignores case; ; separates several", nullptr,
                 [] {
                   return YesNo(os::MatchesSpec(L"noext", L"*.*")) +
                          YesNo(os::MatchesSpec(L"a.INI", L"*.ini")) +
                          YesNo(os::MatchesSpec(L"a.ini", L"*.txt;*.ini")) +
                          YesNo(os::MatchesSpec(L"a.txt", L"*.ini"));
                 },
                 "yesyesyesno"},
            });
}

}  // namespace
}  // namespace contract
