/* The wrappers behind os_calls.h. Each __wrap_X stands in for X in this
 * program (linker --wrap), and __real_X is the C library's own. Outside a
 * recording they only pass the call on; nothing here allocates then, so any
 * code of the program may go through them safely.
 */
#include "os_calls.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <fcntl.h>
#include <map>
#include <sys/types.h>
#include <unistd.h>

extern "C" {
int __real_open(const char *path, int flags, ...);
ssize_t __real_write(int fd, const void *data, size_t length);
int __real_ftruncate(int fd, off_t length);
int __real_fsync(int fd);
int __real_close(int fd);
int __real_rename(const char *from, const char *to);
int __real_unlink(const char *path);
}

namespace oscalls {
namespace {

bool Recording = false;
std::vector<Call> Calls;
std::map<int, std::string> OpenPaths;  // descriptor -> the path it was opened with
size_t FailIndex = None;
int FailError = 0;
size_t KillIndex = None;
bool KillAfter = false;

// Called before each wrapped call: its number in the recording, or None when
// nothing is recorded. Kills or fails as armed; *fail receives the error to
// fail with (0: make the call).
size_t begin(const char *name, int fd, const char *path, const char *to, int *fail) {
  *fail = 0;
  if (!Recording) return None;
  Call call;
  call.name = name;
  call.fd = fd;
  if (path)
    call.path = path;
  else if (OpenPaths.count(fd))
    call.path = OpenPaths[fd];
  if (to) call.to = to;
  Calls.push_back(call);
  size_t index = Calls.size() - 1;
  if (index == KillIndex && !KillAfter) kill(getpid(), SIGKILL);
  if (index == FailIndex) *fail = FailError;
  return index;
}

// Called after each wrapped call with its result.
long end(size_t index, long result, int fail) {
  if (fail) {
    errno = fail;
    result = -1;
  }
  if (index == None) return result;
  int error = errno;
  Calls[index].result = (int)result;
  Calls[index].error = result < 0 ? error : 0;
  if (index == KillIndex && KillAfter) kill(getpid(), SIGKILL);
  errno = error;
  return result;
}

}  // namespace

void record() {
  Calls.clear();
  OpenPaths.clear();
  FailIndex = None;
  KillIndex = None;
  Recording = true;
}

std::vector<Call> stop() {
  Recording = false;
  FailIndex = None;
  KillIndex = None;
  std::vector<Call> calls;
  calls.swap(Calls);
  OpenPaths.clear();
  return calls;
}

void failAt(size_t index, int error) {
  FailIndex = index;
  FailError = error;
}

void killAt(size_t index, bool after) {
  KillIndex = index;
  KillAfter = after;
}

size_t find(const std::vector<Call> &calls, const std::string &name, const std::string &part, size_t from) {
  for (size_t i = from; i < calls.size(); i++)
    if (calls[i].name == name && calls[i].path.find(part) != std::string::npos) return i;
  return None;
}

size_t findOn(const std::vector<Call> &calls, const std::string &name, int fd, size_t from) {
  for (size_t i = from; i < calls.size(); i++)
    if (calls[i].name == name && calls[i].fd == fd) return i;
  return None;
}

size_t findLastOn(const std::vector<Call> &calls, const std::string &name, int fd) {
  for (size_t i = calls.size(); i-- > 0;)
    if (calls[i].name == name && calls[i].fd == fd) return i;
  return None;
}

std::string describe(const std::vector<Call> &calls) {
  std::string text;
  for (const Call &call : calls) {
    if (!text.empty()) text += ", ";
    text += call.name;
    if (call.name == "open" || call.name == "rename" || call.name == "unlink") {
      std::string path = call.path;
      size_t slash = path.rfind('/');
      text += " " + (slash == std::string::npos ? path : path.substr(slash + 1));
    }
    if (call.result < 0) text += " (failed)";
  }
  return text;
}

}  // namespace oscalls

using oscalls::None;

extern "C" {

int __wrap_open(const char *path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = (mode_t)va_arg(args, int);
    va_end(args);
  }
  int fail;
  size_t index = oscalls::begin("open", -1, path, nullptr, &fail);
  int fd = fail ? -1 : __real_open(path, flags, mode);
  if (index != None && !fail && fd >= 0) {
    oscalls::Calls[index].fd = fd;
    oscalls::OpenPaths[fd] = path;
  }
  return (int)oscalls::end(index, fd, fail);
}

ssize_t __wrap_write(int fd, const void *data, size_t length) {
  int fail;
  size_t index = oscalls::begin("write", fd, nullptr, nullptr, &fail);
  return (ssize_t)oscalls::end(index, fail ? -1 : __real_write(fd, data, length), fail);
}

int __wrap_ftruncate(int fd, off_t length) {
  int fail;
  size_t index = oscalls::begin("ftruncate", fd, nullptr, nullptr, &fail);
  return (int)oscalls::end(index, fail ? -1 : __real_ftruncate(fd, length), fail);
}

int __wrap_fsync(int fd) {
  int fail;
  size_t index = oscalls::begin("fsync", fd, nullptr, nullptr, &fail);
  return (int)oscalls::end(index, fail ? -1 : __real_fsync(fd), fail);
}

int __wrap_close(int fd) {
  int fail;
  size_t index = oscalls::begin("close", fd, nullptr, nullptr, &fail);
  // A close that fails (as on a network file system) still frees the descriptor.
  int result = __real_close(fd);
  if (index != None) oscalls::OpenPaths.erase(fd);
  return (int)oscalls::end(index, result, fail);
}

int __wrap_rename(const char *from, const char *to) {
  int fail;
  size_t index = oscalls::begin("rename", -1, from, to, &fail);
  return (int)oscalls::end(index, fail ? -1 : __real_rename(from, to), fail);
}

int __wrap_unlink(const char *path) {
  int fail;
  size_t index = oscalls::begin("unlink", -1, path, nullptr, &fail);
  return (int)oscalls::end(index, fail ? -1 : __real_unlink(path), fail);
}

}  // extern "C"
