/*
 * Runs tarrengard-cfg as a child process and captures what it prints, so the
 * tests see exactly what a player or a script sees: stdout, stderr and the
 * exit status, plus the files it leaves behind.
 *
 * By default the tool is the one built beside these tests. Two environment
 * variables run the same tests against another build of it:
 *   TG_CFG_PROGRAM   the program to run instead (e.g. tarrengard-cfg.exe)
 *   TG_CFG_LAUNCHER  a command that runs it (e.g. the Wine loader); words
 *                    separated by blanks
 */
#pragma once

#include <string>
#include <vector>

#include "tests/common/scratch_folder.h"

struct ToolRun {
  int status = -1;  // exit status; 128 + signal number when killed
  std::string out;
  std::string err;
  // Non-empty when asOrdinaryUser was asked for and the child could not
  // become one: why (the case should be skipped).
  std::string skipped;
};

struct ToolRunOptions {
  const char *workingDirectory = nullptr;
  // Non-zero: RLIMIT_FSIZE for the child, with SIGXFSZ ignored, so writes past
  // that size fail the way a full disk makes them fail.
  long fileSizeLimit = 0;
  // Non-zero: the child's address space in bytes (RLIMIT_AS), so that
  // allocations past it fail as on a machine without the memory. Under
  // AddressSanitizer, which reserves terabytes of address space up front, its
  // allocator answers null instead for any one block larger than this.
  long addressSpaceLimit = 0;
  // Non-null: stdout goes to this file (e.g. /dev/full) instead of `out`.
  const char *stdoutPath = nullptr;
  // Started with stdout closed, as by ">&-".
  bool stdoutClosed = false;
  // Run as an ordinary user (tests/common/ordinary_user.h), so that file
  // permissions apply even when the tests run as root.
  bool asOrdinaryUser = false;
  // Non-zero: the child is ended by SIGALRM after this many seconds, so a
  // tool that waits forever fails the test instead of hanging it.
  unsigned timeLimitSeconds = 0;
};

ToolRun runTool(const std::vector<std::string> &args, const ToolRunOptions &options = {});

// False when the tool under test is a Windows program (TG_CFG_PROGRAM ends in
// ".exe"): it has no FIFOs, no /dev files, no Unix permission bits and no
// symbolic links of its own, so cases built on them cannot hold there.
bool toolIsPosixProgram();

// Skips the current test, giving `why`, unless the tool is a POSIX program.
// (The empty branch keeps an `else` after the macro with the caller's `if`.)
#define SKIP_UNLESS_POSIX_TOOL(why) \
  if (toolIsPosixProgram()) {       \
  } else                            \
    GTEST_SKIP() << "not for the Windows program: " << why

// Whole-file reads and writes and the scratch folder are the shared ones
// (tests/common/scratch_folder.h).
