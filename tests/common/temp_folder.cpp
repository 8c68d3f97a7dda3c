/* TempFolder: mkdtemp, chdir in, and clean up. */
#include "tests/common/temp_folder.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempFolder::TempFolder() {
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) throw std::runtime_error("getcwd failed");
  previous_ = cwd;
  char pattern[] = "/tmp/tg-test.XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
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
