// A launcher in C:\P\Tool.exe on an in-memory 64-bit Windows 7, ready for each test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "launcher/startup.h"
#include "platform/context.h"
#include "tests/fake_platform/fake_platform.h"

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    Fake().env[L"windir"] = L"C:\\Windows";
    Fake().env[L"comspec"] = L"C:\\Windows\\system32\\cmd.exe";
    FakeAddFolder(L"C:\\P");
  }

  void Start() { StartUp(ctx); }

  // Runs the step and returns the exit code it ended the launcher with, or -1
  // when it returned normally.
  int ExitCodeOf(const std::function<void()>& step) {
    try {
      step();
    } catch (const FakeExit& exit) {
      return exit.exitCode;
    }
    return -1;
  }

  std::vector<std::wstring> HiddenCommandLines() const {
    std::vector<std::wstring> lines;
    for (const auto& start : Fake().hiddenStarts) lines.push_back(start.commandLine);
    return lines;
  }

  LauncherContext ctx;
};
