/* The tests' scratch folder and their whole-file reads and writes, for every
 * test program. Header-only, with no dependency on the platform layer, so
 * the library tests can use it as well as the dialog and start-up tests.
 */
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <random>
#endif

// A fresh, private folder under /tmp (on Windows, in the temporary folder), removed with everything in it when the
// object goes. /tmp, not $TMPDIR: every user can pass through it, so a test
// that drops to an ordinary user can open the folder to that user.
//
// Entered, it is the current folder while it lives, so that files named
// relatively (gardum.cfg above all) land in it; the folder that was current
// before is current again afterwards.
class ScratchFolder {
 public:
  enum Where { Outside, Entered };

  explicit ScratchFolder(Where where = Outside) {
    path_ = makeFreshFolder();
    if (where == Outside) return;
    char *current = getcwd(nullptr, 0);
    previous_ = current != nullptr ? current : "/";
    free(current);
    if (chdir(path_.c_str()) != 0) {
      remove();
      throw std::runtime_error("cannot enter " + path_);
    }
  }

  ~ScratchFolder() {
    // The old folder may be gone; anywhere but the folder being removed will do.
    if (!previous_.empty() && chdir(previous_.c_str()) != 0 && chdir("/") != 0) return;
    remove();
  }

  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  const std::string &path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  // The names in `folder` (default: this folder), sorted: shows leftover
  // temporary files.
  std::vector<std::string> names(const std::string &folder = "") const {
    std::vector<std::string> found;
    for (const auto &item : std::filesystem::directory_iterator(folder.empty() ? path_ : folder)) {
      found.push_back(item.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

 private:
#ifdef _WIN32
  // No mkdtemp here: a random name in the temporary folder, tried until one is free.
  static std::string makeFreshFolder() {
    std::random_device seed;
    std::mt19937 pick(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      auto path = std::filesystem::temp_directory_path() / ("tg-test." + std::to_string(pick() % 1000000000u));
      std::error_code error;
      if (std::filesystem::create_directory(path, error)) return path.string();
    }
    throw std::runtime_error("cannot create a scratch folder in " + std::filesystem::temp_directory_path().string());
  }
#else
  static std::string makeFreshFolder() {
    char pattern[] = "/tmp/tg-test.XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a scratch folder under /tmp");
    return pattern;
  }
#endif

  void remove() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  std::string path_;
  std::string previous_;  // empty: not entered
};

// The file's bytes, as they are; empty when it cannot be read (pathExists
// tells a missing file from an empty one).
inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's bytes. A file that cannot be written is the test's own
// fault, so it ends the test with an exception rather than going unnoticed.
inline void writeFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// True for anything at `path`, a dangling symbolic link included.
inline bool pathExists(const std::string &path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}
