// What voq-check tells, as plain records, and its two forms: text for a person,
// one JSON document for tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/context.h"
#include "tools/voq-check/recorded_changes.h"

struct ReportItem {
  std::wstring name;    // "!dotnet = 4.5", a candidate's path, ...
  std::wstring status;  // what holds for it
};

struct PlanStep {
  std::wstring title;  // "BEFORE dir = C:\...", "At start", "The application"
  bool automatic = false;
  std::vector<std::wstring> does;
};

struct CheckReport {
  std::wstring launcher;
  std::wstring configFile;
  std::vector<ReportItem> candidates;
  std::wstring application;
  std::wstring applicationWhy;
  std::wstring workingFolder;
  std::wstring commandLine;
  std::vector<ReportItem> requirements;
  std::vector<std::wstring> asked;
  std::vector<std::wstring> pending;
  std::vector<PlanStep> plan;
  bool applicationStarts = false;
  // What would differ from the machine now, name by name.
  std::vector<PlaceDifference> atApplication;  // when the application starts
  std::vector<PlaceDifference> atEnd;          // once the launcher has ended
  std::vector<std::wstring> warnings;
  std::wstring outcome;
  int exitCode = 0;
};

std::string ReportText(const CheckReport& report);
std::string ReportJson(const CheckReport& report);

// What the recorded changes do, in a user's words: runs of the same kind within
// one step (the files of a tree copy) are told as one line, with their sizes.
std::vector<std::wstring> DescribeChanges(const LauncherContext& ctx,
                                          const std::vector<RecordedChange>& changes);

// "12 files, 3.1 MB"; "20 KB"; "512 bytes".
std::wstring SizeText(std::uint64_t bytes);
