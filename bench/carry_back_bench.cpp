// The carry-back of a folder that the application left alone, against a full copy
// of it, on the real file system (scripts/bench.sh runs it under Wine). The folder
// has the benchmark's shape: 1,500 files of 4 KB in 30 folders and 10 of 4 MB.
//
//   carry_back_bench.exe WORK_FOLDER
//
// Each round times three tree copies of the same 46 MB: into an empty folder (a
// full copy); back over the portable copy after a bring-in, comparing every file's
// bytes (as a start finishing an earlier run does); and the same trusting the
// write times (as a run carries back what it brought in itself).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fileops/copy_tree.h"
#include "platform/platform.h"

namespace {

void MakeFolder(const std::wstring& root) {
  os::CreateOneFolder(root);
  const std::string small(4096, 's');
  const std::string large(4 << 20, 'l');
  for (int folder = 1; folder <= 30; ++folder) {
    const std::wstring sub = root + L"\\folder" + std::to_wstring(folder);
    os::CreateOneFolder(sub);
    for (int file = 1; file <= 50; ++file)
      os::WriteNewFile(sub + L"\\file" + std::to_wstring(file) + L".dat", small);
  }
  for (int file = 1; file <= 10; ++file)
    os::WriteNewFile(root + L"\\large" + std::to_wstring(file) + L".bin", large);
}

void RemoveTree(const std::wstring& folder) {
  const auto entries = os::ListFolder(folder, L"*.*");
  for (const os::DirEntry& entry : entries.value_or(std::vector<os::DirEntry>{})) {
    const std::wstring path = folder + L"\\" + entry.name;
    if (entry.isFolder)
      RemoveTree(path);
    else
      os::DeleteOneFile(path);
  }
  os::RemoveOneFolder(folder);
}

template <typename Copy>
double Seconds(Copy copy) {
  const auto start = std::chrono::steady_clock::now();
  if (!copy()) std::fprintf(stderr, "a copy failed\n");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: carry_back_bench WORK_FOLDER\n");
    return 2;
  }
  const std::wstring work = argv[1];
  const std::wstring portable = work + L"\\portable";
  const std::wstring local = work + L"\\local";
  const std::wstring copy = work + L"\\copy";
  if (!os::CreateOneFolder(work)) {
    std::fprintf(stderr, "cannot make %ls (it must not exist yet)\n", work.c_str());
    return 1;
  }
  MakeFolder(portable);
  os::Pause(3000);  // older than any reading below by more than a FAT32 step
  std::vector<double> full, compared, trusted;
  for (int round = 0; round < 5; ++round) {
    RemoveTree(copy);
    full.push_back(Seconds([&] { return CopyTree(portable, copy, L"", nullptr); }));
    RemoveTree(local);
    const std::uint64_t broughtInAt = os::FileClock();
    CopyTree(portable, local, L"", nullptr);
    compared.push_back(Seconds([&] { return CopyTree(local, portable, L"", nullptr); }));
    trusted.push_back(
        Seconds([&] { return CopyTree(local, portable, L"", nullptr, broughtInAt); }));
  }
  std::printf(
      "full copy %.3f s, carry-back comparing bytes %.3f s (%.2fx), trusting times "
      "%.3f s (%.2fx)\n",
      Median(full), Median(compared), Median(compared) / Median(full), Median(trusted),
      Median(trusted) / Median(full));
  RemoveTree(work);
  return 0;
}
