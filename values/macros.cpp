#include "values/macros.h"

#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_read.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

// Every replacement: all occurrences, left to right, case-sensitive, on the
// result of the one before. Most values hold few macros, so the common case is a
// scan that finds nothing and copies nothing.
void Replace(std::wstring& text, std::wstring_view macro, std::wstring_view replacement) {
  if (text.find(macro) == std::wstring::npos) return;
  text = ReplaceAll(text, macro, OrEmptyMark(replacement));
}

std::wstring RegData(os::RegRoot root, std::wstring_view subkey, std::wstring_view name) {
  return Field(ReadRegValue(root, subkey, name), 1);
}

// ---- paths and text -----------------------------------------------------------------

using PathText = std::wstring (*)(const LauncherContext& ctx, const std::wstring& root);

struct PathMacro {
  std::wstring_view macro;
  PathText text;
};

constexpr PathMacro kPathMacros[] = {
    {L"{WORKDIR}",
     [](const LauncherContext& ctx, const std::wstring&) { return ctx.appWorkingDir; }},
    {L"{COMMANDLINE}",
     [](const LauncherContext& ctx, const std::wstring&) { return ctx.commandLineValue; }},
    {L"{PARAMETERS}",
     [](const LauncherContext& ctx, const std::wstring&) { return ctx.launcherParameters; }},
    {L"{VOQROOT}", [](const LauncherContext&, const std::wstring& root) { return root; }},
    {L"{VOQPARENT}",
     [](const LauncherContext& ctx, const std::wstring& root) { return ParentFolder(ctx, root); }},
    // Before the application is known the folder is unknown too: the empty text,
    // not the launcher folder that the path rules would make of an empty path.
    {L"{EXEPATH}",
     [](const LauncherContext& ctx, const std::wstring&) {
       return ctx.applicationPath.empty() ? std::wstring() : ParentFolder(ctx, ctx.applicationPath);
     }},
    {L"{APPEXE}",
     [](const LauncherContext& ctx, const std::wstring&) { return ctx.applicationPath; }},
    {L"{DRIVE}",
     [](const LauncherContext& ctx, const std::wstring&) { return ctx.launcherPath.substr(0, 1); }},
    {L"{CLIPBOARD}",
     [](const LauncherContext&, const std::wstring&) { return os::ClipboardText(); }},
    {L"{LINEBREAK}",
     [](const LauncherContext&, const std::wstring&) { return std::wstring(L"\r"); }},
    {L"{JAVAEXE}", [](const LauncherContext&, const std::wstring&) { return JavaExePath(); }},
};

// ---- locale ---------------------------------------------------------------------------

constexpr std::wstring_view kInternationalKey = L"Control Panel\\International";

struct LocaleMacro {
  std::wstring_view macro;
  std::wstring_view valueName;
  size_t keep;  // characters of the data kept
};

constexpr LocaleMacro kLocaleMacros[] = {
    {L"{COUNTRY}", L"sCountry", std::wstring::npos},
    {L"{LANG}", L"sLanguage", std::wstring::npos},
    {L"{LOCALE}", L"Locale", std::wstring::npos},
    {L"{LOCALENAME}", L"LocaleName", std::wstring::npos},
    {L"{LOCALENAME_SHORT}", L"LocaleName", 2},
};

// The value names in table order, one per read.
const std::vector<std::wstring>& LocaleReads() {
  static const std::vector<std::wstring> names = [] {
    std::vector<std::wstring> list;
    for (const LocaleMacro& row : kLocaleMacros) list.emplace_back(row.valueName);
    return list;
  }();
  return names;
}

// ---- date and time ----------------------------------------------------------------

// Decimal digits, zero-padded to the width; the clock's fields are never negative.
std::wstring Digits(std::int64_t number, size_t width) {
  wchar_t digits[24];
  size_t count = 0;
  if (number < 0) number = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
    number /= 10;
  } while (number > 0);
  while (count < width) digits[count++] = L'0';
  return std::wstring(std::make_reverse_iterator(digits + count),
                      std::make_reverse_iterator(digits));
}

// Hours 13 to 23 give 1 to 11; midnight stays 0 and noon 12.
int TwelveHour(int hour) { return hour > 12 ? hour - 12 : hour; }

struct DateMacro {
  std::wstring_view macro;
  std::wstring (*text)(const os::LocalTime& t);
};

constexpr DateMacro kDateMacros[] = {
    {L"{d}", [](const os::LocalTime& t) { return Digits(t.day, 2); }},
    {L"{j}", [](const os::LocalTime& t) { return Digits(t.day, 1); }},
    {L"{m}", [](const os::LocalTime& t) { return Digits(t.month, 2); }},
    {L"{n}", [](const os::LocalTime& t) { return Digits(t.month, 1); }},
    {L"{Y}", [](const os::LocalTime& t) { return Digits(t.year, 4); }},
    {L"{y}", [](const os::LocalTime& t) { return Digits(t.year % 100, 2); }},
    {L"{g}", [](const os::LocalTime& t) { return Digits(TwelveHour(t.hour), 1); }},
    {L"{G}", [](const os::LocalTime& t) { return Digits(t.hour, 1); }},
    {L"{h}", [](const os::LocalTime& t) { return Digits(TwelveHour(t.hour), 2); }},
    {L"{H}", [](const os::LocalTime& t) { return Digits(t.hour, 2); }},
    {L"{i}", [](const os::LocalTime& t) { return Digits(t.minute, 2); }},
    {L"{s}", [](const os::LocalTime& t) { return Digits(t.second, 2); }},
};

// Counted on the local clock on both ends: no time zone enters.
std::wstring LocalSecondsSince1970(const os::LocalTime& t) {
  const std::int64_t seconds =
      DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  return Digits(seconds > 0 ? seconds : 0, 1);
}

// ---- shell folders ------------------------------------------------------------------

constexpr std::wstring_view kShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct ShellFolder {
  std::wstring_view valueName;
  std::wstring_view forms[3];  // replaced in this order; unused ones empty
};

constexpr ShellFolder kShellFolders[] = {
    {L"Administrative Tools", {L"%Administrative Tools%", L"%AdministrativeTools%"}},
    {L"Cache", {L"%Cache%"}},
    {L"CD Burning", {L"%CD Burning%", L"%CDBurning%"}},
    {L"Cookies", {L"%Cookies%"}},
    {L"Desktop", {L"%Desktop%"}},
    {L"Favorites", {L"%Favorites%"}},
    {L"Fonts", {L"%Fonts%"}},
    {L"History", {L"%History%"}},
    {L"Local Appdata", {L"%Local Appdata%", L"%LocalAppdata%"}},
    {L"My Music", {L"%My Music%", L"%MyMusic%"}},
    {L"My Pictures", {L"%My Pictures%", L"%MyPictures%"}},
    {L"My Video", {L"%My Video%", L"%MyVideo%"}},
    {L"NetHood", {L"%NetHood%"}},
    {L"PrintHood", {L"%PrintHood%"}},
    {L"Programs", {L"%Programs%"}},
    {L"Recent", {L"%Recent%"}},
    {L"SendTo", {L"%SendTo%"}},
    {L"Start Menu", {L"%Start Menu%", L"%StartMenu%"}},
    {L"Startup", {L"%Startup%"}},
    {L"Templates", {L"%Templates%"}},
    {L"Personal", {L"%Personal%", L"%Documents%", L"%MyDocuments%"}},
};

// Every form reads its row's value again: the value names in table order, one per form.
const std::vector<std::wstring>& ShellFolderReads() {
  static const std::vector<std::wstring> names = [] {
    std::vector<std::wstring> list;
    for (const ShellFolder& row : kShellFolders)
      for (std::wstring_view form : row.forms)
        if (!form.empty()) list.emplace_back(row.valueName);
    return list;
  }();
  return names;
}

// ---- older systems ------------------------------------------------------------------

struct Rewrite {
  std::wstring_view text;
  std::wstring_view replacement;
};

// Variables that XP does not have, spelled out in ones it has.
constexpr Rewrite kLegacyRewrites[] = {
    {L"%ProgramData%", L"%AllUsersProfile%\\Application Data"},
    {L"%LocalAppData%", L"%UserProfile%\\Local Settings\\Application Data"},
    {L"%Local AppData%", L"%UserProfile%\\Local Settings\\Application Data"},
};

}  // namespace

std::wstring JavaExePath() {
  std::wstring command = RegData(os::RegRoot::ClassesRoot, L"jarfile\\shell\\open\\command", L"");
  command = ReplaceAll(command, L" -jar \"%1\" %*", L"");
  const size_t begin = command.find_first_not_of(L'"');
  if (begin == std::wstring::npos) return std::wstring();
  return command.substr(begin, command.find_last_not_of(L'"') + 1 - begin);
}

std::wstring ExpandMacros(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                          std::wstring_view sectionLabel) {
  std::wstring text(value);

  const std::wstring root = RemoveTrailingBackslashes(ctx.launcherFolder);
  for (const PathMacro& row : kPathMacros) Replace(text, row.macro, row.text(ctx, root));

  const std::vector<std::wstring> locale =
      ReadRegData(os::RegRoot::CurrentUser, kInternationalKey, LocaleReads());
  for (size_t i = 0; i < std::size(kLocaleMacros); ++i)
    Replace(text, kLocaleMacros[i].macro,
            std::wstring_view(locale[i]).substr(0, kLocaleMacros[i].keep));

  // One reading for all twelve, so that they agree even across midnight.
  const os::LocalTime now = os::LocalClock();
  for (const DateMacro& row : kDateMacros) Replace(text, row.macro, row.text(now));
  Replace(text, L"{U}", LocalSecondsSince1970(os::LocalClock()));

  // In AFTER the answers belong to the run after the application, not to reading.
  if (sectionLabel != L"AFTER") text = ResolvePrompts(ctx, text, keyName);

  const std::vector<std::wstring> folders =
      ReadRegData(os::RegRoot::CurrentUser, kShellFoldersKey, ShellFolderReads());
  size_t read = 0;
  for (const ShellFolder& row : kShellFolders)
    for (std::wstring_view form : row.forms)
      if (!form.empty()) Replace(text, form, folders[read++]);

  if (ctx.legacySystem == L"1") {
    for (const Rewrite& row : kLegacyRewrites) Replace(text, row.text, row.replacement);
    text = ExpandEnvironment(text);
  }
  return text;
}
