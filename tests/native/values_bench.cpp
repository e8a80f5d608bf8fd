// Cost of reading configuration values: open an ini file of 100 keys in the
// in-memory platform, enumerate it and prepare every value.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/context.h"
#include "tests/fake_platform/fake_platform.h"
#include "values/ini_document.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

const std::wstring kPath = L"C:\\P\\Tool.ini";
constexpr int kKeys = 100;

// Values of the kinds a real file holds: plain paths, fields, NULL markers,
// environment and user-variable references.
std::string HundredKeyIni() {
  std::string ini = "\xEF\xBB\xBF[GENERAL]\r\napplication = App\\App.exe\r\n[BEFORE]\r\n";
  for (int i = 1; i < kKeys; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 4) {
      case 0:
        ini += "dir = %APPDATA%\\Vendor\\App" + n + "\r\n";
        break;
      case 1:
        ini += "regkey = HKCU\\Software\\Vendor\\App" + n + " :: NULL :: x\r\n";
        break;
      case 2:
        ini += "file = {Root}\\data\\file" + n + ".dat\r\n";
        break;
      default:
        ini += "  iniwrite =  settings.ini :: Main :: Key" + n + " :: value  \r\n";
        break;
    }
  }
  return ini;
}

void BM_ReadAndPrepareHundredKeys(benchmark::State& state) {
  ResetFake();
  Fake().env[L"appdata"] = L"C:\\Users\\me\\AppData\\Roaming";
  FakeAddFile(kPath, HundredKeyIni());
  LauncherContext ctx;
  StoreUserVar(ctx, L"Root :: C:\\P");
  std::size_t prepared = 0;
  for (auto _ : state) {
    IniDocument doc = IniOpen(kPath);
    for (const wchar_t* section : {L"GENERAL", L"BEFORE"}) {
      if (!IniSelectSection(doc, section) || !IniFirstKey(doc)) continue;
      while (IniNextKey(doc)) {
        const std::wstring value = PrepareValue(ctx, IniKeyValue(doc), IniKeyName(doc), section);
        benchmark::DoNotOptimize(value.data());
        ++prepared;
      }
    }
    IniClose(doc);
  }
  if (prepared != static_cast<std::size_t>(state.iterations()) * kKeys)
    state.SkipWithError("the file did not give 100 values");
  // Seconds per value, shown in nanoseconds.
  state.counters["per_value"] = benchmark::Counter(
      kKeys, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadAndPrepareHundredKeys)->Unit(benchmark::kMicrosecond);

void BM_ParseLargeFile(benchmark::State& state) {
  ResetFake();
  std::string ini;
  const auto size = static_cast<std::size_t>(state.range(0)) << 20;
  for (int i = 0; ini.size() < size; ++i) {
    if (i % 1000 == 0) ini += "[Section" + std::to_string(i / 1000) + "]\r\n";
    ini += "key" + std::to_string(i) + " = some value " + std::to_string(i) + "\r\n";
  }
  FakeAddFile(kPath, ini);
  for (auto _ : state) {
    IniDocument doc = IniOpen(kPath);
    benchmark::DoNotOptimize(doc.entries.data());
    IniClose(doc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ini.size()));
}
BENCHMARK(BM_ParseLargeFile)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
