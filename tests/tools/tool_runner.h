/*
 * Runs tarrengard-cfg as a child process and captures what it prints, so the
 * tests see exactly what a player or a script sees: stdout, stderr and the
 * exit status, plus the files it leaves behind.
 */
#pragma once

#include <string>
#include <vector>

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
  // Non-null: stdout goes to this file (e.g. /dev/full) instead of `out`.
  const char *stdoutPath = nullptr;
  // Run as an ordinary user (tests/common/ordinary_user.h), so that file
  // permissions apply even when the tests run as root.
  bool asOrdinaryUser = false;
  // Non-zero: the child is ended by SIGALRM after this many seconds, so a
  // tool that waits forever fails the test instead of hanging it.
  unsigned timeLimitSeconds = 0;
  // Allocations beyond about 1 GB fail in the child, as on a machine without
  // the memory (under AddressSanitizer: its allocator answers null instead).
  bool limitMemory = false;
};

ToolRun runTool(const std::vector<std::string> &args, const ToolRunOptions &options = {});

// False when tarrengard-cfg is a Windows program (run through Wine): named
// pipes, devices and permission bits of the tests' files mean nothing to it,
// so the cases built on them are skipped.
bool toolIsPosixProgram();

// A fresh folder under $TMPDIR (or /tmp); removeTree deletes it again.
std::string makeTempFolder();
void removeTree(const std::string &path);

void writeFileBytes(const std::string &path, const std::string &bytes);
// The file's bytes; "<missing>" when it cannot be read, which no test writes.
std::string readFileBytes(const std::string &path);
bool pathExists(const std::string &path);
// Names in the folder, sorted (to spot leftover temporary files).
std::vector<std::string> folderEntries(const std::string &path);
