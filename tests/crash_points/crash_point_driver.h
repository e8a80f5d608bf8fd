// The crash-point enumeration, over any world the launcher can run in: the
// in-memory platform (tests/native/crash_points_test.cpp) or the real one under
// Wine (tests/windows/crash_points_win_test.cpp). A run from a known disk counts
// the calls by which the launcher changes the disk or starts a tool; then, for
// every one of them, the same disk is set up again, the run is disturbed there,
// and the launcher runs twice more. The disk must then be exactly what the same
// number of undisturbed runs of the application leave behind. A failing call may
// also leave an item undone for that run (the application then works on the
// machine's own data): the disk is then what one run without that item and two
// with it leave.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/text.h"

namespace crash_points {

// What the disk and the registry hold, as the launcher could see them.
struct Disk {
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> folders;
  std::map<std::wstring, unsigned> attributes;
  std::map<std::wstring, std::vector<std::tuple<std::wstring, unsigned, std::string>>> registry;
  bool operator==(const Disk&) const = default;
};

inline std::string Differences(const Disk& want, const Disk& got) {
  std::ostringstream out;
  for (const auto& [name, bytes] : want.files) {
    auto it = got.files.find(name);
    if (it == got.files.end())
      out << "\n  missing file " << Utf8FromWide(name);
    else if (it->second != bytes)
      out << "\n  " << Utf8FromWide(name) << " holds \"" << it->second << "\", not \"" << bytes
          << "\"";
  }
  for (const auto& [name, bytes] : got.files)
    if (!want.files.count(name)) out << "\n  extra file " << Utf8FromWide(name);
  for (const auto& name : want.folders)
    if (!got.folders.count(name)) out << "\n  missing folder " << Utf8FromWide(name);
  for (const auto& name : got.folders)
    if (!want.folders.count(name)) out << "\n  extra folder " << Utf8FromWide(name);
  if (want.attributes != got.attributes) out << "\n  attributes differ";
  if (want.registry != got.registry) out << "\n  registry differs";
  return out.str();
}

enum class Disturbance {
  Crash,        // the process is killed at the change
  PowerLoss,    // as killed, and every byte not flushed by then is lost too
  FailingCall,  // the change fails without effect (access denied, a tool that does not start)
  DiskFull,     // from the change on, every call that adds data fails
  HeldFile,     // a file is held open by another program for the whole run
  TornWrite,    // killed while writing a new file: half of its bytes are there
};

inline const char* NameOf(Disturbance d) {
  static const char* const kNames[] = {"crash",     "power loss",     "failing call",
                                       "disk full", "file held open", "torn write"};
  return kNames[static_cast<int>(d)];
}

inline bool Kills(Disturbance d) {
  return d == Disturbance::Crash || d == Disturbance::PowerLoss || d == Disturbance::TornWrite;
}

// Where a run is disturbed: at a change (counted from 1), or by a held file.
struct Point {
  int change = 0;
  std::wstring heldFile;
};

// One counted call: the platform function, the place it changes (empty for a
// tool start), and whether it adds data.
struct Change {
  std::wstring call;
  std::wstring path;
  bool addsData = false;
};

inline bool IsRunRecord(const std::wstring& path) { return EndsWith(path, L".running"); }

// A world and its configuration, as the driver runs them.
struct Rig {
  std::string sections;                // BEFORE and AFTER of the configuration file
  std::vector<std::string> unwrapped;  // the sections of a run that left an item undone
  std::function<void()> restore;       // the disk before the first run; no saves yet
  std::function<void(const std::string&)> writeConfiguration;
  // One start of the launcher, disturbed at the point (nullptr: undisturbed); false
  // when it was killed. When it returns, the other program that held a file has
  // ended, the injected faults are off, and a lost power has taken its bytes.
  std::function<bool(const Disturbance*, const Point&)> run;
  std::function<std::vector<Change>()> changes;  // of the last run
  std::function<Disk()> snapshot;
  std::function<int()> saves;                // by the application since the restore
  std::function<bool()> applicationStarted;  // in the last run
  // The files another program may hold: the data files at the start (the run
  // records of a run are added from its changes).
  std::function<std::vector<std::wstring>()> dataFiles;
};

class Driver {
 public:
  explicit Driver(Rig rig) : rig_(std::move(rig)) {}

  // The disk after this many undisturbed runs from the start.
  const Disk& Undisturbed(int runs) {
    auto [it, fresh] = undisturbed_.try_emplace(runs);
    if (fresh) {
      rig_.restore();
      for (int i = 0; i < runs; ++i) rig_.run(nullptr, Point{});
      it->second = rig_.snapshot();
    }
    return it->second;
  }

  // Two undisturbed runs after one with these sections.
  const Disk& AfterOneRunWith(const std::string& sections) {
    auto [it, fresh] = unwrapped_.try_emplace(sections);
    if (fresh) {
      rig_.restore();
      rig_.writeConfiguration(sections);
      rig_.run(nullptr, Point{});
      rig_.writeConfiguration(rig_.sections);
      rig_.run(nullptr, Point{});
      rig_.run(nullptr, Point{});
      it->second = rig_.snapshot();
    }
    return it->second;
  }

  // Disturbs the first run, runs twice more, and describes what is wrong with the
  // disk then (empty when nothing is).
  std::string Check(Disturbance disturbance, const Point& point) {
    rig_.restore();
    const bool ended = rig_.run(&disturbance, point);
    const bool killed = Kills(disturbance);
    std::string wrong;
    if (killed && ended) wrong += "\n  the run was not stopped";
    if (!killed && (!ended || !rig_.applicationStarted()))
      wrong += "\n  the run did not go on to the application and its end";
    rig_.run(nullptr, Point{});
    rig_.run(nullptr, Point{});
    const Disk now = rig_.snapshot();
    const int saves = rig_.saves();
    const Disk& expected = Undisturbed(saves);
    if (now == expected) return wrong;
    if (!killed && saves == 3) {
      for (const std::string& sections : rig_.unwrapped)
        if (now == AfterOneRunWith(sections)) return wrong;
      // A record that cannot be written sets nothing up at all.
      if (IsRunRecord(point.heldFile) && now == AfterOneRunWith("")) return wrong;
    }
    return wrong + Differences(expected, now);
  }

  // The changes of one undisturbed run from the start.
  const std::vector<Change>& CountChanges() {
    rig_.restore();
    rig_.run(nullptr, Point{});
    changes_ = rig_.changes();
    return changes_;
  }

  std::vector<Point> PointsOf(Disturbance disturbance) const {
    std::vector<Point> points;
    if (disturbance == Disturbance::HeldFile) {
      // The data files, and the run record (a scanner holding it as it appears).
      std::set<std::wstring> held;
      for (const std::wstring& name : rig_.dataFiles()) held.insert(name);
      for (const Change& change : changes_)
        if (IsRunRecord(change.path)) held.insert(change.path);
      for (const std::wstring& name : held) points.push_back(Point{0, name});
      return points;
    }
    for (size_t i = 0; i < changes_.size(); ++i)
      if ((disturbance != Disturbance::DiskFull || changes_[i].addsData) &&
          (disturbance != Disturbance::TornWrite || changes_[i].call == L"WriteNewFile"))
        points.push_back(Point{static_cast<int>(i) + 1, L""});
    return points;
  }

  std::string Describe(Disturbance disturbance, const Point& point) const {
    std::string text = NameOf(disturbance);
    if (disturbance == Disturbance::HeldFile) return text + " " + Utf8FromWide(point.heldFile);
    const Change& change = changes_[static_cast<size_t>(point.change) - 1];
    return text + " at change " + std::to_string(point.change) + " of " +
           std::to_string(changes_.size()) + " (" + Utf8FromWide(change.call) + " " +
           Utf8FromWide(change.path) + ")";
  }

  // Checks every point of the disturbance; returns how many there were.
  size_t CheckEvery(Disturbance disturbance, const char* configuration) {
    CountChanges();
    const std::vector<Point> points = PointsOf(disturbance);
    int violations = 0;
    for (const Point& point : points) {
      const std::string wrong = Check(disturbance, point);
      // A handful describe the fault; the count tells how widespread it is.
      if (!wrong.empty() && ++violations <= 5)
        ADD_FAILURE() << Describe(disturbance, point) << ":" << wrong;
    }
    EXPECT_EQ(violations, 0) << "of " << points.size() << " points";
    std::printf("%s: %zu %s points checked, %d violations\n", configuration, points.size(),
                NameOf(disturbance), violations);
    return points.size();
  }

  const std::vector<Change>& changes() const { return changes_; }

 private:
  Rig rig_;
  std::vector<Change> changes_;  // of one undisturbed run
  std::map<int, Disk> undisturbed_;
  std::map<std::string, Disk> unwrapped_;
};

}  // namespace crash_points
