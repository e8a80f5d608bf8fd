// The in-memory world of the requirement checks, the single-instance mutex, the
// elevated restart and the link API. Part of FakeWorld (Fake().checks), reset with it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

struct FakeProgramStart {
  std::wstring program;
  std::wstring parameters;
  std::wstring folder;
  bool heldAgainstWriters = false;  // the program file was open, shared for reading only
  std::string bytes;                // the program file's bytes at the start
  int mutexesReleasedBefore = 0;
};

struct FakeLink {
  std::wstring link;
  std::wstring target;
  bool folder = false;
};

struct FakeChecks {
  std::wstring windowsDirectory = L"C:\\Windows";
  bool internetConnected = true;
  // What the ping prints; nullopt: it cannot be started.
  std::optional<std::string> pingOutput = std::string("Reply from 8.8.8.8: bytes=32 time=9ms\r\n");
  std::vector<std::wstring> capturedRuns;  // command lines, in order

  std::set<std::wstring> mutexesOfOthers;  // names held by other processes
  int othersLetGoAfter = -1;               // creations after which the others let go
  std::vector<std::wstring> mutexesCreated;
  int mutexesReleased = 0;
  // Names held by the fake's processes, by process number; a process that ends
  // or is killed lets go of its own. `process` is the one that runs now (a test
  // that runs a second launcher while the first one waits gives it another number).
  struct HeldMutex {
    int process = 0;
    std::uintptr_t handle = 0;  // the one that took the name
  };
  std::map<std::wstring, HeldMutex> mutexesHeld;
  int process = 1;

  // Who runs: a second machine is a second world with other names here.
  os::RunnerNames runner{L"6f1d1c2e-0a1b-4c3d-8e9f-a1b2c3d4e5f6", L"S-1-5-21-100-200-300-1001",
                         L"PC-A", L"me"};

  std::vector<FakeProgramStart> programStarts;
  bool programStartSucceeds = true;

  // The link API: every call, and whether it makes the link.
  std::vector<FakeLink> linkCalls;
  bool linkApiWorks = true;
};

// Makes a link in the in-memory file system: a folder link is a folder that is a
// reparse point; a file link an empty file with the reparse-point attribute.
void FakeMakeLink(const std::wstring& link, bool folder);

// The process that runs now has ended or was killed: its mutexes are free (part
// of FakeProcessEnded).
void FakeReleaseMutexesOfProcess();

// True while an open handle on the file lets others read it but not write it.
bool FakeFileHeldAgainstWriters(const std::wstring& path);
