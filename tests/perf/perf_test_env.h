#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_pdh.h"

// Each test gets its own c:\ (so its own debug log), the fixture registry, English
// display names unless it asks for German, debugging on, and a fresh fake PDH.
class PerfTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static void UseGermanNames();
  // The debug log's lines without their time stamps; empty when there is no log.
  std::vector<std::string> DebugLines() const;
  bool DebugLogExists() const;

  FakePdh pdh;
  std::filesystem::path driveC;
};
