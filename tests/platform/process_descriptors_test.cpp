/* Closing what a started program must not inherit, each way on its own: the
 * descriptors from the first number up go, even one above the soft limit on
 * open files; those below stay. Each case runs in a child of its own, which
 * reports what it found in its exit status.
 */
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/process_posix.h"

namespace {

bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

// What the child found, as bits of its exit status.
enum : int {
  WayUnavailable = 1,
  StandardStreamGone = 2,
  KeptOneGone = 4,
  FirstOneLeft = 8,
  HighOneLeft = 16,
};

struct Way {
  const char *name;
  unsigned way;
};

void PrintTo(const Way &way, std::ostream *out) { *out << way.name; }

class ClosingDescriptors : public ::testing::TestWithParam<Way> {};

TEST_P(ClosingDescriptors, ClosesFromTheFirstNumberUpWhateverTheSoftLimit) {
  const int kept = 99, first = 100, loweredLimit = 200, high = 700, ceiling = 1024;
  struct rlimit limit;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_cur <= (rlim_t)high) GTEST_SKIP() << "the soft limit on open files is " << limit.rlim_cur;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int fd = open("/dev/null", O_RDONLY);
    if (fd < 0 || dup2(fd, kept) < 0 || dup2(fd, first) < 0 || dup2(fd, high) < 0) _exit(127);
    close(fd);
    struct rlimit lowered = limit;
    lowered.rlim_cur = loweredLimit;
    if (setrlimit(RLIMIT_NOFILE, &lowered) != 0) _exit(127);
    unsigned used = closeDescriptorsFrom(first, ceiling, GetParam().way);
    int found = 0;
    if (used != GetParam().way) found |= WayUnavailable;
    if (!isOpen(0) || !isOpen(1) || !isOpen(2)) found |= StandardStreamGone;
    if (!isOpen(kept)) found |= KeptOneGone;
    if (isOpen(first)) found |= FirstOneLeft;
    if (isOpen(high)) found |= HighOneLeft;
    _exit(found);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  int found = WEXITSTATUS(status);
  ASSERT_NE(found, 127) << "the child could not set up its descriptors";
  if (found == WayUnavailable) GTEST_SKIP() << "this system cannot close " << GetParam().name;
  EXPECT_EQ(found, 0) << "1 way not taken, 2 a standard stream closed, 4 a descriptor below the first closed, "
                         "8 the first left open, 16 the one above the soft limit left open";
}

INSTANTIATE_TEST_SUITE_P(EachWay, ClosingDescriptors,
                         ::testing::Values(Way{"ByRange", CloseByRange}, Way{"ByListing", CloseByListing},
                                           Way{"ByCounting", CloseByCounting}),
                         [](const ::testing::TestParamInfo<Way> &info) { return std::string(info.param.name); });

}  // namespace
