/* A private folder under /tmp that is removed with everything in it, and
 * whole-file reads and writes. Header-only, with no dependency on the
 * platform layer, so the library tests can use it as well as the others.
 */
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/tg-test.XXXXXX";
    if (!mkdtemp(pattern)) ADD_FAILURE() << "mkdtemp failed";
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
  // The names in `folder` (default: this folder), sorted: shows leftover
  // temporary files.
  std::vector<std::string> names(const std::string &folder = "") const {
    std::vector<std::string> found;
    for (const auto &item : std::filesystem::directory_iterator(folder.empty() ? path_ : folder))
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
