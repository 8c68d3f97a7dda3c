// Test helpers: a private temporary folder under /tmp that is removed with
// everything in it, whole-file reads and writes, capturing what a block of
// code prints on standard output, and a fixture that frees every handle.
#pragma once

#include "config/config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempDir {
public:
  TempDir() {
    char pattern[] = "/tmp/tgconfig-test.XXXXXX";
    if (!mkdtemp(pattern))
      ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  // Names in the folder, sorted: shows leftover temporary files.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto &item : std::filesystem::directory_iterator(path_))
      found.push_back(item.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

private:
  std::string path_;
};

inline void writeFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
}

inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

// Frees every slot around each test: the handle table is process-wide.
class ConfigTest : public testing::Test {
protected:
  void SetUp() override { freeAll(); }
  void TearDown() override { freeAll(); }
  static void freeAll() {
    for (int h = 0; h < ConfigSlotCount; h++)
      configFree(h);
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
