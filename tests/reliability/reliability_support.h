/* Helpers of the reliability tests: running a piece of code in a forked
 * child, and a fixture in a scratch folder with the process state reset
 * (tests/common/process_state.h) around each case. The scratch folder and
 * file helpers are the shared ones (tests/common/scratch_folder.h).
 */
#pragma once

#include "config/config.h"
#include "settings/settings.h"
#include "tests/common/process_state.h"
#include "tests/common/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace reliability {

inline bool startsWith(const std::string &text, const std::string &start) {
  return text.compare(0, start.size(), start) == 0;
}
inline bool endsWith(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Runs `body` in a forked child and returns its wait status. The child ends
// with _exit(body()), so nothing of the test framework runs twice.
inline int inChild(const std::function<int()> &body) {
  fflush(nullptr);
  pid_t child = fork();
  if (child == 0) _exit(body());
  int status = -1;
  if (child < 0 || waitpid(child, &status, 0) != child) ADD_FAILURE() << "fork or wait failed";
  return status;
}

// Works in a scratch folder of its own as the current folder (gardum.cfg is
// addressed relative to it), with the settings and documents reset.
class InScratchFolder : public testing::Test {
 protected:
  void SetUp() override { resetProcessState(); }
  void TearDown() override { resetProcessState(); }
  ScratchFolder scratch{ScratchFolder::Entered};
};

}  // namespace reliability
