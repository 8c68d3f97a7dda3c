/* Running part of a test as an ordinary user, so that file permissions
 * apply: the tests also run as root, and root passes over permission bits.
 * The part runs in a forked child which, when this process is root, drops to
 * the user "nobody"; the parent then looks at what the child reported and at
 * the files it left. Header-only and free of the test framework, so a child
 * about to exec another program can use it too.
 */
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace ordinaryuser {

struct Identity {
  uid_t uid;
  gid_t gid;
};

// Who the child runs as: "nobody" when this process is root, otherwise this
// process's own user, to whom permissions already apply. False, with the
// reason, when root finds no such user.
inline bool identity(Identity *who, std::string *why) {
  if (geteuid() != 0) {
    *who = {geteuid(), getegid()};
    return true;
  }
  struct passwd *entry = getpwnam("nobody");
  if (!entry || entry->pw_uid == 0) {
    *why = "running as root and there is no user 'nobody' to drop to";
    return false;
  }
  *who = {entry->pw_uid, entry->pw_gid};
  return true;
}

// In a child process: becomes the ordinary user. False, with the reason, when
// that fails or when permission bits still do not bind (a capability that
// overrides them), so a test can skip instead of proving nothing.
inline bool become(std::string *why) {
  Identity who;
  if (!identity(&who, why)) return false;
  if (geteuid() == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(who.gid) != 0 || setuid(who.uid) != 0) {
      *why = std::string("cannot drop to user 'nobody': ") + strerror(errno);
      return false;
    }
  }
  if (geteuid() == 0 || access("/", W_OK) == 0) {
    *why = "permission bits do not apply to this process (it may write to /)";
    return false;
  }
  return true;
}

// Hands `path` to the ordinary user (nothing to do unless this process is
// root), so that the child owns it.
inline bool give(const std::string &path) {
  Identity who;
  std::string why;
  if (geteuid() != 0 || !identity(&who, &why)) return true;
  return lchown(path.c_str(), who.uid, who.gid) == 0;
}

struct Result {
  bool ran = false;        // false: the part did not run; skipReason says why
  std::string skipReason;  //
  int exitCode = -1;       // what the part returned; -1 when it did not end normally
  int signal = 0;          // the signal that ended it, if one did
  std::string report;      // what the part wrote to its `report` argument
};

// Runs `part` in a forked child as the ordinary user. Test assertions made in
// the child are lost with it: the part tells the parent what it saw through
// `report` and its result, and the parent checks them.
inline Result run(const std::function<int(std::string &report)> &part) {
  Result result;
  int channel[2];
  if (pipe(channel) != 0) {
    result.skipReason = "no pipe";
    return result;
  }
  fflush(nullptr);
  pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    result.skipReason = "no fork";
    return result;
  }
  if (child == 0) {
    close(channel[0]);
    std::string report;
    std::string why;
    int code = 0;
    // The first byte tells the parent whether the part ran at all.
    if (become(&why)) {
      code = part(report);
      report.insert(0, 1, 'R');
    } else {
      report = "S" + why;
    }
    fflush(nullptr);
    for (size_t done = 0; done < report.size();) {
      ssize_t wrote = write(channel[1], report.data() + done, report.size() - done);
      if (wrote <= 0) break;
      done += (size_t)wrote;
    }
    _exit(code);
  }
  close(channel[1]);
  std::string received;
  char chunk[4096];
  for (;;) {
    ssize_t got = read(channel[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    received.append(chunk, (size_t)got);
  }
  close(channel[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!received.empty() && received[0] == 'S') {
    result.skipReason = received.substr(1);
    return result;
  }
  result.ran = true;
  if (!received.empty()) result.report = received.substr(1);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace ordinaryuser
