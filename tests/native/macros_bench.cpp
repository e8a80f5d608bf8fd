// Cost of preparing one value with the in-memory platform: every call reads the
// locale values, the jar association and every shell-folder form afresh.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/context.h"
#include "tests/fake_platform/fake_platform.h"
#include "values/prepare_value.h"

namespace {

void FillRegistry() {
  using os::RegRoot;
  const std::wstring international = L"Control Panel\\International";
  FakeSetRegString(RegRoot::CurrentUser, international, L"sCountry", L"Germany");
  FakeSetRegString(RegRoot::CurrentUser, international, L"sLanguage", L"DEU");
  FakeSetRegString(RegRoot::CurrentUser, international, L"Locale", L"00000407");
  FakeSetRegString(RegRoot::CurrentUser, international, L"LocaleName", L"de-DE");
  FakeSetRegString(RegRoot::ClassesRoot, L"jarfile\\shell\\open\\command", L"",
                   L"\"C:\\Java\\bin\\javaw.exe\" -jar \"%1\" %*");
  const std::wstring shellFolders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  for (const wchar_t* name : {L"Administrative Tools",
                              L"Cache",
                              L"CD Burning",
                              L"Cookies",
                              L"Desktop",
                              L"Favorites",
                              L"Fonts",
                              L"History",
                              L"Local Appdata",
                              L"My Music",
                              L"My Pictures",
                              L"My Video",
                              L"NetHood",
                              L"PrintHood",
                              L"Programs",
                              L"Recent",
                              L"SendTo",
                              L"Start Menu",
                              L"Startup",
                              L"Templates",
                              L"Personal"})
    FakeSetRegString(RegRoot::CurrentUser, shellFolders, name,
                     std::wstring(L"C:\\Users\\me\\AppData\\Roaming\\") + name);
}

const wchar_t* const kValues[] = {
    L"App\\App.exe",
    L"%Desktop%\\App :: {VOQROOT}\\Data\\{Y}-{m}-{d} :: NULL :: x",
    L"{JAVAEXE} :: {LANG}/{LOCALENAME_SHORT} :: %MyDocuments%\\{CLIPBOARD}",
};

void BM_PrepareValue(benchmark::State& state) {
  ResetFake();
  FillRegistry();
  Fake().clipboard = L"clip";
  LauncherContext ctx;
  ctx.launcherPath = L"C:\\P\\Tool.exe";
  ctx.launcherFolder = L"C:\\P\\";
  const std::wstring value = kValues[state.range(0)];
  for (auto _ : state) {
    const std::wstring prepared = PrepareValue(ctx, value, L"dir", L"BEFORE");
    benchmark::DoNotOptimize(prepared.data());
  }
  state.counters["registry_reads_per_value"] =
      static_cast<double>(Fake().registryQueries) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PrepareValue)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_PrepareHugeValue(benchmark::State& state) {
  ResetFake();
  FillRegistry();
  LauncherContext ctx;
  ctx.launcherFolder = L"C:\\P\\";
  std::wstring value;
  while (value.size() < 100000) value += L"{VOQROOT}\\{d} %Desktop% {LINEBREAK} :: ";
  for (auto _ : state) {
    const std::wstring prepared = PrepareValue(ctx, value, L"dir", L"BEFORE");
    benchmark::DoNotOptimize(prepared.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * value.size()));
}
BENCHMARK(BM_PrepareHugeValue)->Unit(benchmark::kMillisecond);

}  // namespace
