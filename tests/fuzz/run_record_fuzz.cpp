// The run record, which the next start acts on after a crash. Any bytes read as a
// record give a record that comes back the same once written and read again;
// every item the launcher would record comes back from its record for the same
// place; and a record cut short, with a byte changed or a line written twice, is
// never read as a record at all.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/run_record.h"
#include "commands/wrap_steps.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::wstring_view kStages[] = {kStageSpare, kStageToClear, kStagePuttingBack,
                                         kStageInUse, kStageHeld,    kStageOutdated};
constexpr std::wstring_view kKeys[] = {L"dir",      L"file",       L"(dir)",
                                       L"(file)",   L"regkey",     L"regvalue",
                                       L"(regkey)", L"(regvalue)", L"symlink"};
constexpr size_t kStageCount = std::size(kStages);
constexpr size_t kKeyCount = std::size(kKeys);

const LauncherContext& Launcher() {
  static const LauncherContext ctx = [] {
    LauncherContext c;
    c.launcherFolder = L"C:\\P\\";
    c.launcherPath = L"C:\\P\\Tool.exe";
    c.launcherName = L"Tool";
    c.configFilePath = L"C:\\P\\Tool.ini";
    c.runner = Runner{L"{guid}", L"S-1-5-21-1", L"PC", L"me"};
    return c;
  }();
  return ctx;
}

// Two records hold the same items when each stands for the same place at the
// same stage, whatever the spelling of its paths. The same spelling is the same
// place without working it out.
bool SameItems(const std::vector<RunItem>& a, const std::vector<RunItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].stage != b[i].stage || a[i].since != b[i].since || a[i].key != b[i].key ||
        (a[i].value != b[i].value && (ItemIdentity(Launcher(), a[i].key, a[i].value) !=
                                          ItemIdentity(Launcher(), b[i].key, b[i].value) ||
                                      PortableKeyOf(Launcher(), a[i].key, a[i].value) !=
                                          PortableKeyOf(Launcher(), b[i].key, b[i].value))))
      return false;
  return true;
}

// Items made of the input: pieces separated by a zero byte, each a byte choosing
// stage and key, then the value as UTF-8. Only those the launcher would record,
// one per place.
std::vector<RunItem> ItemsOf(std::string_view bytes) {
  std::vector<RunItem> items;
  std::vector<std::wstring> places;
  while (!bytes.empty()) {
    const size_t end = std::min(bytes.find('\0'), bytes.size());
    const std::string_view piece = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    if (piece.empty()) continue;
    const auto choice = static_cast<unsigned char>(piece[0]);
    const std::wstring_view key = kKeys[(choice / kStageCount) % kKeyCount];
    std::wstring value = WideFromUtf8(piece.substr(1));
    std::wstring place = ItemIdentity(Launcher(), key, value);
    if (place.empty() || std::find(places.begin(), places.end(), place) != places.end()) continue;
    places.push_back(std::move(place));
    items.push_back(RunItem{std::wstring(kStages[choice % kStageCount]), L"20261209140327",
                            std::wstring(key), std::move(value), kThisRun});
  }
  return items;
}

RunRecord RecordOf(std::vector<RunItem> items) {
  return RunRecord{Launcher().runner, L"Tool.exe", std::move(items)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  if (const auto read = ParseRunRecord(Launcher(), bytes)) {
    const std::string text = RunRecordText(Launcher(), *read);
    const auto again = ParseRunRecord(Launcher(), text);
    FUZZ_CHECK(again && SameItems(again->items, read->items));
    FUZZ_CHECK(RunRecordText(Launcher(), *again) == text);
  }

  const std::vector<RunItem> items = ItemsOf(bytes);
  const std::string text = RunRecordText(Launcher(), RecordOf(items));
  const auto back = ParseRunRecord(Launcher(), text);
  FUZZ_CHECK(back && SameItems(back->items, items));

  // Damaged at a place the input chooses: cut, one byte changed, a line twice.
  const size_t at = size == 0 ? 0 : data[0] * 131u % text.size();
  FUZZ_CHECK(!ParseRunRecord(Launcher(), text.substr(0, at)));
  std::string changed = text;
  changed[at] = static_cast<char>(changed[at] ^ (size > 1 && data[1] != 0 ? data[1] : 1));
  FUZZ_CHECK(!ParseRunRecord(Launcher(), changed));
  const size_t lineStart = text.rfind("\r\n", at == 0 ? 0 : at - 1);
  const size_t from = lineStart == std::string::npos ? 0 : lineStart + 2;
  const size_t to = text.find("\r\n", from) + 2;
  FUZZ_CHECK(!ParseRunRecord(Launcher(), text.substr(0, to) + text.substr(from)));
  return 0;
}
