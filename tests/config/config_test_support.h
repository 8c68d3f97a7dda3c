// Test helpers of the library: capturing what the parser prints, the bound on
// index work per entry, and a fixture that frees every handle. The scratch
// folder and whole-file reads and writes come from tests/common/scratch_folder.h.
#pragma once

#include "config/config.h"
#include "tests/common/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Parses `text` from an exact-size heap copy (no terminator, so an overread
// is caught by AddressSanitizer) and returns what the parser printed.
inline std::string parseCapturing(ConfigHandle handle, const std::string &text, int *result) {
  char *copy = new char[text.size() ? text.size() : 1];
  std::copy(text.begin(), text.end(), copy);
  testing::internal::CaptureStdout();
  *result = configParseText(handle, copy, (long)text.size());
  std::string printed = testing::internal::GetCapturedStdout();
  delete[] copy;
  return printed;
}

// Index slots that storing one entry may examine, on average over a whole
// load: a lookup that misses and the insertion after it (each about 2.5 probes
// at the index's average load, 8.5 just before it doubles), plus moving the
// entries when it doubles (about one probe per entry). A name index that
// degrades to a scan costs about half the entries per entry instead.
const uint64_t ProbesPerEntryBound = 16;

// Frees every slot around each test: the handle table is process-wide.
class ConfigTest : public testing::Test {
 protected:
  void SetUp() override { freeAll(); }
  void TearDown() override { freeAll(); }
  static void freeAll() {
    for (int h = 0; h < ConfigSlotCount; h++) configFree(h);
  }
  // A new document holding `text`, parsed without diagnostics.
  ConfigHandle parsed(const std::string &text) {
    ConfigHandle h = configNew("test");
    int result = 0;
    std::string printed = parseCapturing(h, text, &result);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(result, 0);
    return h;
  }
};
