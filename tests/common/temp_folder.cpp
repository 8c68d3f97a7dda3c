/* TempFolder: a fresh folder, the current folder while it lives, and
 * cleaned up. */
#include "tests/common/temp_folder.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include <random>

// No mkdtemp here: a random name in the temporary folder, tried until one is free.
static std::string makeFreshFolder() {
  std::random_device seed;
  std::mt19937 pick(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto path = std::filesystem::temp_directory_path() / ("tg-test." + std::to_string(pick() % 1000000000u));
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) return path.string();
  }
  throw std::runtime_error("no fresh folder in " + std::filesystem::temp_directory_path().string());
}
#else
static std::string makeFreshFolder() {
  char pattern[] = "/tmp/tg-test.XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  return pattern;
}
#endif

TempFolder::TempFolder() {
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) throw std::runtime_error("getcwd failed");
  previous_ = cwd;
  path_ = makeFreshFolder();
  if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir into " + path_ + " failed");
}

TempFolder::~TempFolder() {
  if (chdir(previous_.c_str()) != 0) {
    // The old folder may be gone; anywhere but the folder being removed will do.
    if (chdir("/") != 0) return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::file(const std::string &name) const { return path_ + "/" + name; }
