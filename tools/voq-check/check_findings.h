// What the check finds in a run of the main sequence on the recording layer:
// the configuration file, the application, the requirements, what is pending,
// the plan step by step and what to look at.
#pragma once

#include <string>
#include <vector>

#include "platform/context.h"
#include "tools/voq-check/check_report.h"
#include "tools/voq-check/recorded_changes.h"

// A point of the main sequence and how many changes had been recorded by then:
// the changes up to the next point are that point's.
struct SequenceStep {
  SequencePoint point;
  CommandEntry entry;
  size_t firstChange = 0;
  bool dropped = false;  // a key read past the list's limit
};

struct CheckedRun {
  LauncherContext ctx;
  std::vector<SequenceStep> steps;
  std::vector<std::wstring> placesGiven;  // to the application
  std::vector<PlaceDifference> atApplication;
};

// The report of the run, which ended the launcher with the exit code.
CheckReport FindingsOf(const CheckedRun& run, int launcherExitCode);
