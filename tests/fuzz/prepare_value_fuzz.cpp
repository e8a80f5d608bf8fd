// The transform every configuration value passes: trimming, empty fields, scrambled
// values, macros, prompts, environment variables and user variables, as the
// launcher applies it while reading its file. No value ends the process other than
// through the launcher's own way out, and no value grows past a fixed multiple of
// the input (or the user-text limit): no expansion feeds on itself. The options
// file allows values of 2 KiB, longer than any line of a real file, under a tight
// time-out, so that work that feeds on itself shows as a time-out too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "launcher/startup.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_platform.h"
#include "tests/fuzz/fuzz_check.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

// Every text the world answers with is at most this long, and every macro and
// variable reference is at least three characters: each step multiplies a length
// by less than this.
constexpr size_t kGrowthPerStep = 16;

void SetUpWorld() {
  using os::RegRoot;
  auto& w = Fake();
  w.env[L"windir"] = L"C:\\Windows";
  w.env[L"comspec"] = L"C:\\Windows\\system32\\cmd.exe";
  w.env[L"appdata"] = L"C:\\Users\\me\\AppData\\Roaming";
  w.env[L"userprofile"] = L"C:\\Users\\me";
  w.env[L"allusersprofile"] = L"C:\\ProgramData";
  w.env[L"a"] = L"{USERTEXT}{u}%a%";  // holds a prompt, a user variable and itself
  w.clipboard = L"%Desktop% {d} {USERDIR}";
  w.clock = os::LocalTime{2024, 2, 29, 23, 59, 58};
  const std::wstring international = L"Control Panel\\International";
  FakeSetRegString(RegRoot::CurrentUser, international, L"sCountry", L"Germany");
  FakeSetRegString(RegRoot::CurrentUser, international, L"sLanguage", L"DEU");
  FakeSetRegString(RegRoot::CurrentUser, international, L"Locale", L"00000407");
  FakeSetRegString(RegRoot::CurrentUser, international, L"LocaleName", L"de-DE");
  FakeSetRegString(RegRoot::ClassesRoot, L"jarfile\\shell\\open\\command", L"",
                   L"\"C:\\Java\\javaw.exe\" -jar \"%1\" %*");
  const std::wstring shellFolders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  for (const wchar_t* name : {L"Desktop", L"Personal", L"Local Appdata", L"Start Menu"})
    FakeSetRegString(RegRoot::CurrentUser, shellFolders, name,
                     std::wstring(L"C:\\Users\\me\\") + name + L" {Y}");
}

const LauncherContext& Started() {
  static const LauncherContext ctx = [] {
    SetUpWorld();
    LauncherContext started;
    StartUp(started);
    started.commandLineValue = L"/s {PARAMETERS}";
    started.launcherParameters = L"-x %appdata%";
    return started;
  }();
  return ctx;
}

constexpr const wchar_t* kSections[] = {L"GENERAL", L"BEFORE", L"AFTER", L""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LauncherContext ctx = Started();
  if (size == 0) return 0;
  // The first byte chooses the section, the system and the key; the rest is lines
  // of the file: "name :: value" of user variables, then the value itself.
  const unsigned flags = data[0];
  const std::wstring section = kSections[flags % 4];
  ctx.legacySystem = (flags & 4) ? L"1" : L"";
  const std::wstring key = (flags & 8) ? L"uservar" : L"commandline";
  std::vector<std::wstring> lines;
  const std::wstring text =
      WideFromUtf8(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  // A few definitions at most: a long input makes long values, not many of them.
  constexpr size_t kLines = 8;
  for (size_t start = 0; start <= text.size();) {
    const size_t end =
        lines.size() + 1 < kLines ? std::min(text.find(L'\n', start), text.size()) : text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }

  auto& w = Fake();
  w.requestAnswers = {L"answer {USERTEXT} %Desktop%", std::nullopt, L"C:\\Chosen\\{CLIPBOARD}\\",
                      L"{u}"};
  w.registryQueries = w.clockReads = w.clipboardReads = 0;
  const size_t bound = kGrowthPerStep * kGrowthPerStep * kGrowthPerStep * size + 2 * kUserTextLimit;
  try {
    for (size_t i = 0; i < lines.size(); ++i) {
      const bool last = i + 1 == lines.size();
      const std::wstring value =
          SubstituteUserVars(ctx, PrepareValue(ctx, lines[i], last ? key : L"uservar", section));
      FUZZ_CHECK(value.size() <= bound);
      if (!last) StoreUserVar(ctx, value);
    }
  } catch (const FakeExit& exit) {
    // A wrong or missing password: the launcher ends, and says why only when wrong.
    FUZZ_CHECK(exit.exitCode == 0);
  }
  // Nothing of this input stays behind: the fuzzer's leak check stays meaningful.
  w.requests.clear();
  w.boxes.clear();
  w.requestAnswers.clear();
  return 0;
}
