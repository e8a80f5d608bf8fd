// What a name is, what a folder holds, and whole-file access.
#include "tests/contract/contract.h"

namespace contract {
namespace {

constexpr char kRoot[] = "Wine runs as root here, and root reads and writes every file and folder";

void Five() { PutFile(L"five.txt", "12345"); }

TEST(Contract, FileState) {
  CheckRows(
      "FileState",
      {
          {"a file: its size", Five, [] { return State(L"five.txt"); }, "5"},
          {"an empty file", [] { PutFile(L"empty", ""); }, [] { return State(L"empty"); }, "0"},
          {"nothing under the name", nullptr, [] { return State(L"none.txt"); }, "missing"},
          {"a name in a folder that is not there", nullptr, [] { return State(L"none\\x.txt"); },
           "missing"},
          {"a folder, named with or without a trailing backslash", [] { PutFolder(L"sub dir"); },
           [] { return State(L"sub dir") + " " + State(L"sub dir\\"); }, "folder folder"},
          {"a file named with a trailing backslash: no folder", Five,
           [] { return State(L"five.txt\\"); }, "missing"},
          {"the empty name", nullptr, [] { return StateText(os::FileState(L"")); }, "missing"},
          {"trailing dots and blanks of the name are dropped", Five,
           [] { return State(L"five.txt. .") + " " + State(L"five.txt..."); }, "5 5"},
          {"wildcards: the first match, a file or a folder, or none",
           [] {
             PutFile(L"only.log", "abc");
             PutFolder(L"Cache1");
           },
           [] { return State(L"*.log") + " " + State(L"Cache*") + " " + State(L"*.none"); },
           "3 folder missing"},
          {"a drive root, with or without its backslash", nullptr,
           [] { return StateText(os::FileState(L"C:")) + " " + StateText(os::FileState(L"C:\\")); },
           "folder folder"},
          {"a drive that is not there", nullptr,
           [] { return StateText(os::FileState(L"Q:")) + " " + StateText(os::FileState(L"Q:\\")); },
           "missing missing"},
          // A pulled drive says "path not found" like a missing folder would.
          {"a name on a drive that is not there cannot be read", nullptr,
           [] { return StateText(os::FileState(L"Q:\\Portable\\App.ini")); }, "unreadable"},
          {"a name on a share that is not there cannot be read", nullptr,
           [] { return StateText(os::FileState(L"\\\\nohost\\share\\App.ini")); }, "unreadable"},
          {"a file held open by another program: its size",
           [] {
             Five();
             Hold(L"five.txt");
           },
           [] { return State(L"five.txt"); }, "5"},
          {"a name below a link that loops cannot be read", [] { PutLoopingLink(L"loop"); },
           [] { return State(L"loop\\x.ini"); }, "unreadable"},
          {"a name longer than the system looks up cannot be read", nullptr,
           [] { return State(std::wstring(300, L'n')); }, "unreadable"},
          {"a name in a folder that denies listing cannot be read",
           [] {
             PutFolder(L"denied");
             PutFile(L"denied\\x.ini", "x");
             DenyListing(L"denied");
           },
           [] { return State(L"denied\\x.ini") + " " + State(L"denied\\*.ini"); },
           "unreadable unreadable", kRoot},
          {"a drive not ready (no medium) cannot be read", [] { PutDriveNotReady(L"R:"); },
           [] {
             return StateText(os::FileState(L"R:")) + " " + StateText(os::FileState(L"R:\\x"));
           },
           "unreadable unreadable", "Wine has no drive without its medium"},
      });
}

std::string List(const std::wstring& folder, const std::wstring& pattern = L"*.*") {
  return ListingText(os::ListFolder(At(folder), pattern));
}

void SomeEntries() {
  PutFile(L"a.txt", "abc");
  PutFile(L"h.ini", "h");
  PutAttributes(L"h.ini", os::kAttrHidden);
  PutFile(L"noext", "");
  PutFolder(L"sub");
}

TEST(Contract, ListFolder) {
  CheckRows(
      "ListFolder",
      {
          {"a folder that is not there", nullptr, [] { return List(L"none"); }, "none"},
          {"a file", Five, [] { return List(L"five.txt"); }, "none"},
          {"an empty folder: nothing, not even . and ..", [] { PutFolder(L"empty"); },
           [] { return List(L"empty"); }, ""},
          {"a pattern without a match", SomeEntries, [] { return List(L"", L"x*"); }, ""},
          {"every entry: a file with its size and time, a folder, hidden or not", SomeEntries,
           [] { return List(L""); }, "a.txt 3 timed, h.ini 1 timed hidden, noext 0 timed, sub\\"},
          {"a pattern takes its matches only; *.* also names without a dot", SomeEntries,
           [] { return List(L"", L"*.ini") + " | " + List(L"", L"*.*"); },
           "h.ini 1 timed hidden | a.txt 3 timed, h.ini 1 timed hidden, noext 0 timed, sub\\"},
          {"a folder named with a trailing backslash", SomeEntries,
           [] { return List(L"sub\\") + "|" + List(L"", L"sub"); }, "|sub\\"},
          {"a folder link: a folder that is a link; through it, the target's entries",
           [] {
             PutFolder(L"target");
             PutFile(L"target\\f.txt", "f");
             PutFolderLink(L"link", L"target");
           },
           [] { return List(L"", L"link") + " | " + List(L"link"); },
           "link\\ link | f.txt 1 timed"},
          {"a folder below a link that loops", [] { PutLoopingLink(L"loop"); },
           [] { return List(L"loop\\sub"); }, "none"},
          {"a drive that is not there", nullptr,
           [] { return ListingText(os::ListFolder(L"Q:\\", L"*")); }, "none"},
          {"a folder longer than the system looks up", nullptr,
           [] { return List(std::wstring(260, L'f')); }, "none"},
          {"a folder that denies listing",
           [] {
             PutFolder(L"denied");
             DenyListing(L"denied");
           },
           [] { return List(L"denied") + " | " + List(L"", L"denied"); }, "none | denied\\", kRoot},
          {"a listing that fails part-way is no list",
           [] {
             SomeEntries();
             FailListingPartWay(L"sub");
           },
           [] { return List(L"sub"); }, "none",
           "Wine's FindNextFileW does not fail part-way on a local folder"},
      });
}

// The write time a listing gives, as a later listing compares with an earlier one.
std::string Compared(std::uint64_t before, std::uint64_t after) {
  if (before == 0 || after == 0) return "no time";
  return before == after ? "same" : after > before ? "later" : "earlier";
}

TEST(Contract, ListedWriteTimes) {
  CheckRows(
      "ListFolder write times",
      {
          {"a copy takes its source's time", Five,
           [] {
             os::Pause(30);
             os::CopyFileReplacing(At(L"five.txt"), At(L"copy.txt"));
             return Compared(WriteTime(L"five.txt"), WriteTime(L"copy.txt"));
           },
           "same"},
          {"a rename keeps it", Five,
           [] {
             const std::uint64_t before = WriteTime(L"five.txt");
             os::Pause(30);
             os::MoveFileOrFolder(At(L"five.txt"), At(L"moved.txt"));
             return Compared(before, WriteTime(L"moved.txt"));
           },
           "same"},
          {"every write gives a new one, even of the same bytes", Five,
           [] {
             const std::uint64_t before = WriteTime(L"five.txt");
             os::Pause(30);
             os::WriteNewFile(At(L"five.txt"), "12345");
             return Compared(before, WriteTime(L"five.txt"));
           },
           "later"},
          {"the clock: a file written before a reading is older, one after is not, "
           "less the grain",
           Five,
           [] {
             os::Pause(30);
             const std::uint64_t reading = os::FileClock();
             os::WriteNewFile(At(L"after.txt"), "12345");
             const bool before = WriteTime(L"five.txt") < reading;
             const bool after = WriteTime(L"after.txt") + os::kCoarsestWriteTimeGrain > reading;
             return std::string(before ? "older" : "not older") + (after ? " not older" : " older");
           },
           "older not older"},
          {"a modified date set is the write time a listing gives", Five,
           [] {
             const std::uint64_t before = WriteTime(L"five.txt");
             os::SetFileDate(At(L"five.txt"), os::FileDate::Modified,
                             os::LocalTime{2001, 2, 3, 4, 5, 6});
             // 2001-02-03 04:05:06 is 12,625,646,706 s after 1601, less the zone's offset.
             const std::uint64_t after = WriteTime(L"five.txt");
             const long long hours =
                 (12'625'646'706LL - static_cast<long long>(after / 10'000'000)) / 3600;
             return Compared(before, after) +
                    (hours >= -14 && hours <= 14 ? " that day" : " another day");
           },
           "earlier that day"},
          {"a stamp gives the clock's time, to a read-only and a held file too",
           [] {
             Five();
             PutFile(L"held.txt", "12345");
             PutAttributes(L"five.txt", os::kAttrReadOnly);
             Hold(L"held.txt");
             os::Pause(30);
           },
           [] {
             const std::uint64_t reading = os::FileClock();
             std::string answer;
             for (const wchar_t* name : {L"five.txt", L"held.txt"})
               answer += !os::StampWriteTime(At(name))                             ? "refused "
                         : WriteTime(name) + os::kCoarsestWriteTimeGrain > reading ? "now "
                                                                                   : "old ";
             return answer + (os::StampWriteTime(At(L"")) ? "folder" : "no folder");
           },
           "now now no folder"},
      });
}

std::string Opens(const std::wstring& relative, os::OpenMode mode) {
  const os::FileRef file = os::OpenExistingFile(At(relative), mode);
  os::CloseFile(file);
  return file != 0 ? "opens" : "refused";
}

std::string InEveryMode(const std::wstring& relative) {
  return Opens(relative, os::OpenMode::ReadWriteShareRead) + " " +
         Opens(relative, os::OpenMode::ReadShareRead) + " " +
         Opens(relative, os::OpenMode::ReadShareReadWrite);
}

// A second open while the first is held, in each mode.
std::string BesideAnOpen(os::OpenMode first) {
  const os::FileRef held = os::OpenExistingFile(At(L"five.txt"), first);
  const std::string answer = InEveryMode(L"five.txt");
  os::CloseFile(held);
  return held != 0 ? answer : "not held";
}

const std::string kWithZero("\xEF\xBB\xBFkey = \x00value\r\n", 17);

TEST(Contract, WholeFiles) {
  CheckRows(
      "OpenExistingFile, ReadWholeFile, RewriteFile, WriteNewFile",
      {
          {"what is written reads back whole, zeros and all, under any name", nullptr,
           [] {
             const bool written = os::WriteNewFile(At(L"Ünïcode ✓.ini"), kWithZero);
             return YesNo(written) + " " + YesNo(Bytes(L"Ünïcode ✓.ini") == kWithZero);
           },
           "yes yes"},
          {"a rewrite replaces the whole content; reads start from the beginning", Five,
           [] {
             const os::FileRef file =
                 os::OpenExistingFile(At(L"five.txt"), os::OpenMode::ReadWriteShareRead);
             std::string first, second;
             os::ReadWholeFile(file, first);
             const bool rewritten = os::RewriteFile(file, "ab");
             os::ReadWholeFile(file, second);
             os::CloseFile(file);
             return first + " " + YesNo(rewritten) + " " + second + " " + Bytes(L"five.txt");
           },
           "12345 yes ab ab"},
          {"a handle opened for reading never writes", Five,
           [] {
             const os::FileRef file =
                 os::OpenExistingFile(At(L"five.txt"), os::OpenMode::ReadShareRead);
             const bool rewritten = os::RewriteFile(file, "x");
             os::CloseFile(file);
             return YesNo(rewritten) + " " + Bytes(L"five.txt");
           },
           "no 12345"},
          {"a new file replaces what was there", Five,
           [] {
             return Words({YesNo(os::WriteNewFile(At(L"five.txt"), "x")), Bytes(L"five.txt")});
           },
           "yes x"},
          {"a new file drops the trailing dot of its name", nullptr,
           [] {
             return Words({YesNo(os::WriteNewFile(At(L"t.txt."), "t")), State(L"t.txt")});
           },
           "yes 1"},
          {"a new file in a folder that is not there", nullptr,
           [] {
             return Words({YesNo(os::WriteNewFile(At(L"none\\new.ini"), "x")), State(L"none")});
           },
           "no missing"},
          {"nothing there, or a folder, opens in no mode", [] { PutFolder(L"sub"); },
           [] { return InEveryMode(L"none") + " | " + InEveryMode(L"sub"); },
           "refused refused refused | refused refused refused"},
          {"a file held by another program opens in no mode and takes no new file",
           [] {
             Five();
             Hold(L"five.txt");
           },
           [] {
             return Words(
                 {InEveryMode(L"five.txt"), YesNo(os::WriteNewFile(At(L"five.txt"), "x"))});
           },
           "refused refused refused no"},
          {"beside a writer that lets others read, only a reader tolerating writers", Five,
           [] { return BesideAnOpen(os::OpenMode::ReadWriteShareRead); }, "refused refused opens"},
          {"beside readers that let others read, readers, and no writer", Five,
           [] { return BesideAnOpen(os::OpenMode::ReadShareRead); }, "refused opens opens"},
          {"beside a reader that tolerates writers, anything", Five,
           [] { return BesideAnOpen(os::OpenMode::ReadShareReadWrite); }, "opens opens opens"},
          {"a read-only file opens for reading",
           [] {
             Five();
             PutAttributes(L"five.txt", os::kAttrReadOnly);
           },
           [] {
             return Words({Opens(L"five.txt", os::OpenMode::ReadShareRead),
                           Opens(L"five.txt", os::OpenMode::ReadShareReadWrite),
                           Bytes(L"five.txt")});
           },
           "opens opens 12345"},
          {"a read-only file opens for no writing and takes no new file",
           [] {
             Five();
             PutAttributes(L"five.txt", os::kAttrReadOnly);
           },
           [] {
             return Words({Opens(L"five.txt", os::OpenMode::ReadWriteShareRead),
                           YesNo(os::WriteNewFile(At(L"five.txt"), "x"))});
           },
           "refused no", kRoot},
          {"a file whose reads fail opens, and reads nothing",
           [] {
             Five();
             FailReads(L"five.txt");
           },
           [] { return Bytes(L"five.txt"); }, "unread",
           "Wine cannot make the reads of a local file fail"},
      });
}

std::string Long(const std::wstring& path) {
  const auto longPath = os::LongPathName(path);
  if (!longPath) return "none";
  return *longPath == path ? "as given" : Utf8(longPath->substr(At(L"").size()));
}

TEST(Contract, LongPathName) {
  CheckRows(
      "LongPathName",
      {
          {"a short name gives the long one, and so do the names below it",
           [] {
             PutFolder(L"a long folder name");
             PutFile(L"a long folder name\\settings.ini", "x");
           },
           [] {
             const std::wstring shortForm = ShortForm(L"a long folder name");
             return Words({Long(shortForm), Long(shortForm + L"\\settings.ini")});
           },
           "a long folder name a long folder name\\settings.ini"},
          {"a long name, a file or a folder, comes back as given",
           [] {
             Five();
             PutFolder(L"sub");
           },
           [] {
             return Words({Long(At(L"five.txt")), Long(At(L"sub"))});
           },
           "as given as given"},
          {"nothing there, or a place that cannot be read", [] { PutLoopingLink(L"loop"); },
           [] {
             return Words({Long(At(L"none")), Long(At(L"none\\x.ini")), Long(At(L"loop\\x.ini"))});
           },
           "none none none"},
      });
}

std::string Attributes(const std::wstring& relative) {
  const auto attributes = os::FileAttributes(At(relative));
  return attributes ? Hex(*attributes) : "none";
}

TEST(Contract, FileAttributes) {
  CheckRows("FileAttributes, SetFileAttributes, SetNormalAttributes",
            {
                {"a new file is to be archived; a folder is a directory; nothing has none",
                 [] {
                   Five();
                   PutFolder(L"sub");
                 },
                 [] {
                   return Attributes(L"five.txt") + " " + Attributes(L"sub") + " " +
                          Attributes(L"x");
                 },
                 "0x20 0x10 none"},
                {"a folder link: a directory and a reparse point",
                 [] {
                   PutFolder(L"target");
                   PutFolderLink(L"link", L"target");
                 },
                 [] { return Attributes(L"link"); }, "0x410"},
                {"the set given replaces the old one", Five,
                 [] {
                   os::SetFileAttributes(At(L"five.txt"),
                                         os::kAttrReadOnly | os::kAttrHidden | os::kAttrArchive);
                   return Attributes(L"five.txt");
                 },
                 "0x23"},
                {"without the archive attribute given, none is kept", Five,
                 [] {
                   os::SetFileAttributes(At(L"five.txt"), os::kAttrReadOnly);
                   return Attributes(L"five.txt");
                 },
                 "0x1", "Wine reports the archive attribute on every file"},
                {"the normal attributes clear read-only and hidden",
                 [] {
                   Five();
                   PutAttributes(L"five.txt", os::kAttrReadOnly | os::kAttrHidden);
                 },
                 [] {
                   const bool done = os::SetNormalAttributes(At(L"five.txt"));
                   return YesNo(done) + " " +
                          Hex(*os::FileAttributes(At(L"five.txt")) &
                              (os::kAttrReadOnly | os::kAttrHidden));
                 },
                 "yes 0x0"},
            });
}

}  // namespace
}  // namespace contract
