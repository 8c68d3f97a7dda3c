/* A window onto the system calls a save makes. The reliability tests link
 * with the linker's --wrap for open, write, ftruncate, fsync, close, rename
 * and unlink, so every such call of the library goes through os_calls.cpp,
 * which passes it on unchanged unless a test asked otherwise: recording the
 * calls in order, making one of them fail, or killing the process right
 * before or after one of them. The library itself is not changed for this.
 */
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace oscalls {

struct Call {
  std::string name;  // "open", "write", "ftruncate", "fsync", "close", "rename", "unlink"
  int fd = -1;       // the descriptor used, or the one open returned; -1 for none
  std::string path;  // the file the call concerns (for a descriptor: the path it was opened with)
  std::string to;    // rename: the new name
  int result = 0;    // what the call returned (-1: failed)
  int error = 0;     // errno after a failure
};

// Starts a new recording; what a previous one armed is dropped.
void record();
// Stops recording and disarms; returns the calls made meanwhile, in order.
std::vector<Call> stop();

// Call number `index` of the recording (0-based) fails with `error` without
// doing anything.
void failAt(size_t index, int error);
// The process ends by SIGKILL right before call number `index` of the
// recording, or right after it returned.
void killAt(size_t index, bool after);

// Positions in a recording.
const size_t None = (size_t)-1;
// The first call named `name` at or after `from` whose path contains `part`
// ("" matches any), or None.
size_t find(const std::vector<Call> &calls, const std::string &name, const std::string &part = "", size_t from = 0);
// Like find, for calls on descriptor `fd`.
size_t findOn(const std::vector<Call> &calls, const std::string &name, int fd, size_t from = 0);
// The last call named `name` on descriptor `fd`, or None.
size_t findLastOn(const std::vector<Call> &calls, const std::string &name, int fd);
// "open gardum.cfg, write, fsync, ..." for messages.
std::string describe(const std::vector<Call> &calls);

// The temporary files of a save are named ".tgcfg-...".
inline bool isTemporary(const std::string &path) {
  return path.find("/.tgcfg-") != std::string::npos || path.rfind(".tgcfg-", 0) == 0;
}

}  // namespace oscalls
