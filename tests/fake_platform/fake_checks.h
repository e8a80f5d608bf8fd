// The in-memory world of the requirement checks, the single-instance mutex, the
// elevated restart and the link API. Part of FakeWorld (Fake().checks), reset with it.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

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

  std::vector<FakeProgramStart> programStarts;
  bool programStartSucceeds = true;

  // The link API: every call, and whether it makes the link.
  std::vector<FakeLink> linkCalls;
  bool linkApiWorks = true;
};

// Makes a link in the in-memory file system: a folder link is a folder that is a
// reparse point; a file link an empty file with the reparse-point attribute.
void FakeMakeLink(const std::wstring& link, bool folder);

// True while an open handle on the file lets others read it but not write it.
bool FakeFileHeldAgainstWriters(const std::wstring& path);
