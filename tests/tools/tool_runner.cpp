/*
 * Child-process plumbing for the tarrengard-cfg tests: fork, redirect both
 * output streams into pipes, optionally drop to an ordinary user and limit
 * the file size, the address space or the time, exec the tool (through its
 * launcher, when one is given).
 */
#include "tool_runner.h"

#include "tests/common/ordinary_user.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#ifndef TG_CFG_EXE
#error "TG_CFG_EXE must name the tarrengard-cfg executable"
#endif

namespace {

std::string toolProgram() {
  const char *program = getenv("TG_CFG_PROGRAM");
  return program && *program ? program : TG_CFG_EXE;
}

// The launcher's words, then the tool.
std::vector<std::string> toolCommand() {
  std::vector<std::string> words;
  if (const char *launcher = getenv("TG_CFG_LAUNCHER")) {
    std::istringstream split(launcher);
    for (std::string word; split >> word;) words.push_back(word);
  }
  words.push_back(toolProgram());
  return words;
}

// How a child that could not become an ordinary user says so: this status,
// and standard error starting with this byte, then the reason.
const int SkipStatus = 125;
const char SkipMark = '\x01';

}  // namespace

bool toolIsPosixProgram() {
  std::string program = toolProgram();
  std::string end = program.size() >= 4 ? program.substr(program.size() - 4) : "";
  std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
  return end != ".exe";
}

ToolRun runTool(const std::vector<std::string> &args, const ToolRunOptions &options) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");

  std::vector<std::string> words = toolCommand();
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // Wine resolves a Unix absolute path such as /tmp/x on the current drive:
  // with "/" (drive Z:) as the current folder that is Z:\tmp\x, the same file.
  const char *workingDirectory = options.workingDirectory;
  if (!workingDirectory && !toolIsPosixProgram()) workingDirectory = "/";

  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    if (options.stdoutPath) {
      int fd = ::open(options.stdoutPath, O_WRONLY);
      if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(126);
      close(fd);
    }
    dup2(errPipe[1], STDERR_FILENO);
    close(outPipe[0]);
    close(outPipe[1]);
    close(errPipe[0]);
    close(errPipe[1]);
    if (options.stdoutClosed) close(STDOUT_FILENO);
    if (workingDirectory && chdir(workingDirectory) != 0) _exit(126);
    if (options.asOrdinaryUser) {
      std::string why;
      if (!ordinaryuser::become(&why)) {
        fprintf(stderr, "%c%s", SkipMark, why.c_str());
        _exit(SkipStatus);
      }
    }
    if (options.timeLimitSeconds > 0) alarm(options.timeLimitSeconds);
    if (options.fileSizeLimit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit;
      limit.rlim_cur = static_cast<rlim_t>(options.fileSizeLimit);
      limit.rlim_max = static_cast<rlim_t>(options.fileSizeLimit);
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    if (options.addressSpaceLimit > 0) {
#if defined(__SANITIZE_ADDRESS__)
      const char *asan = getenv("ASAN_OPTIONS");
      std::string value = std::string(asan ? asan : "") + ":allocator_may_return_null=1:max_allocation_size_mb=" +
                          std::to_string(options.addressSpaceLimit >> 20);
      setenv("ASAN_OPTIONS", value.c_str(), 1);
#else
      struct rlimit limit;
      limit.rlim_cur = static_cast<rlim_t>(options.addressSpaceLimit);
      limit.rlim_max = static_cast<rlim_t>(options.addressSpaceLimit);
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
#endif
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);

  // Both pipes are drained together so a chatty child never blocks on one.
  ToolRun run;
  struct pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string *sinks[2] = {&run.out, &run.err};
  int openCount = 2;
  while (openCount > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; i++) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[65536];
      ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        sinks[i]->append(chunk, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        openCount--;
      }
    }
  }
  int wstatus = 0;
  while (waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(wstatus)) {
    run.status = WEXITSTATUS(wstatus);
  } else if (WIFSIGNALED(wstatus)) {
    run.status = 128 + WTERMSIG(wstatus);
  }
  if (run.status == SkipStatus && !run.err.empty() && run.err[0] == SkipMark) run.skipped = run.err.substr(1);
  return run;
}
