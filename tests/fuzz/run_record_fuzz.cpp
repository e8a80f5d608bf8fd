// The run record, which the next start acts on after a crash. Any bytes read as a
// record give items that come back the same once written and read again; and every
// item the launcher would record comes back from its record exactly as it was, so
// that a later start finishes the item it began and touches no other place.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "commands/run_record.h"
#include "commands/wrap_steps.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool SameItems(const std::vector<RunItem>& a, const std::vector<RunItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].stage != b[i].stage || a[i].key != b[i].key || a[i].value != b[i].value) return false;
  return true;
}

constexpr std::wstring_view kStages[] = {kStageSpare, kStageToClear, kStagePuttingBack, kStageInUse,
                                         kStageHeld};
constexpr std::wstring_view kKeys[] = {L"dir",      L"file",       L"(dir)",
                                       L"(file)",   L"regkey",     L"regvalue",
                                       L"(regkey)", L"(regvalue)", L"symlink"};
constexpr size_t kStageCount = std::size(kStages);
constexpr size_t kKeyCount = std::size(kKeys);

const LauncherContext& Launcher() {
  static const LauncherContext ctx = [] {
    LauncherContext c;
    c.launcherFolder = L"C:\\P\\";
    return c;
  }();
  return ctx;
}

// Items made of the input: pieces separated by a zero byte, each a byte choosing
// stage and key, then the value as UTF-8. Only those the launcher would record.
std::vector<RunItem> ItemsOf(std::string_view bytes) {
  std::vector<RunItem> items;
  while (!bytes.empty()) {
    const size_t end = std::min(bytes.find('\0'), bytes.size());
    const std::string_view piece = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    if (piece.empty()) continue;
    const auto choice = static_cast<unsigned char>(piece[0]);
    RunItem item{std::wstring(kStages[choice % kStageCount]),
                 std::wstring(kKeys[(choice / kStageCount) % kKeyCount]),
                 WideFromUtf8(piece.substr(1)), kThisRun};
    if (IsRecordableItem(Launcher(), item.key, item.value)) items.push_back(item);
  }
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const std::vector<RunItem> read = ParseRunRecord(Launcher(), bytes, kEarlierRun);
  FUZZ_CHECK(SameItems(ParseRunRecord(Launcher(), RunRecordText(read), kEarlierRun), read));

  const std::vector<RunItem> items = ItemsOf(bytes);
  FUZZ_CHECK(SameItems(ParseRunRecord(Launcher(), RunRecordText(items), kEarlierRun), items));
  return 0;
}
