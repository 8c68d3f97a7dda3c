// Support routines: the file and memory wrappers, and the fatal paths, which
// must print exactly their message and two line feeds on standard output and
// end the process with the right status. Death tests capture standard error
// only, so each child sends its standard output to a file checked afterwards.
#include "config/support.h"
#include "config_test_support.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Under AddressSanitizer an impossible allocation must come back as null, as
// it does from the C library, however the tests are started.
extern "C" __attribute__((used)) const char *__asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

class Support : public ConfigTest {
 protected:
  ScratchFolder dir;
  std::string out = dir.file("stdout.txt");
};

void stdoutTo(const std::string &path) {
  fflush(stdout);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(fd, 1);
  close(fd);
}

int openDescriptors() {
  int count = 0;
  for (int fd = 0; fd < 1024; fd++) count += fcntl(fd, F_GETFD) != -1;
  return count;
}

// Shows that the hook ran, with which message, and that standard output had
// been flushed before it.
void reportingHook(const char *message) {
  fprintf(stderr, "hook after %ld bytes: [%s]\n", (long)lseek(1, 0, SEEK_CUR), message);
}

TEST_F(Support, FilesOpenMeasureReadAndClose) {
  writeFile(dir.file("four"), "abcd");
  int before = openDescriptors();
  EXPECT_EQ(fileExists(dir.file("four").c_str()), 1);
  EXPECT_EQ(fileExists(dir.file("missing").c_str()), 0);
  EXPECT_EQ(fileExists(dir.path().c_str()), 0);  // a folder is not a file
  EXPECT_EQ(fileExists(nullptr), 0);
  EXPECT_EQ(openDescriptors(), before);
  for (int textMode : {0, 1}) {
    int fd = fileOpenRead(dir.file("four").c_str(), textMode);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fileLength(fd), 4);
    char buffer[4];
    EXPECT_EQ(fileReadExact(fd, buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    fileClose(fd);
  }
  EXPECT_EQ(openDescriptors(), before);
  fileClose(-1);
  EXPECT_EQ(fileLength(-1), 0);
}

TEST_F(Support, MemoryBlocks) {
  void *empty = memAlloc(0);
  ASSERT_NE(empty, nullptr);
  memFree(empty);
  void *block = memAlloc(3);
  memcpy(block, "ab", 3);
  memRealloc(&block, 100000);
  EXPECT_STREQ((char *)block, "ab");
  memRealloc(&block, 0);
  memFree(block);
}

using SupportDeathTest = Support;

TEST_F(SupportDeathTest, MissingFileEndsTheProcess) {
  std::string missing = dir.file("no such.cfg");
  EXPECT_EXIT((stdoutTo(out), fileOpenRead(missing.c_str(), 0)), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Failed opening " + missing + " for reading.\n\n\n");
  EXPECT_EXIT((stdoutTo(out), configLoad(dir.path().c_str())), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Failed opening " + dir.path() + " for reading.\n\n\n");
}

int ReadDescriptor = -1;

TEST_F(SupportDeathTest, ShortReadClosesTheFileAndEndsTheProcess) {
  writeFile(dir.file("four"), "abcd");
  EXPECT_EXIT(
      {
        stdoutTo(out);
        ReadDescriptor = fileOpenRead(dir.file("four").c_str(), 0);
        setFatalErrorHook([](const char *) {
          // The file was closed before the message.
          fprintf(stderr, "file %s\n", fcntl(ReadDescriptor, F_GETFD) == -1 ? "closed" : "open");
        });
        char buffer[10];
        fileReadExact(ReadDescriptor, buffer, 10);
      },
      testing::ExitedWithCode(1), "file closed");
  EXPECT_EQ(readFile(out), "Failed reading 10 bytes.\n\n\n");
}

TEST_F(SupportDeathTest, NamedPipeIsNotAFileAndDoesNotBlock) {
  // Nobody writes to the pipe: an open that waited would never return, so
  // the child gives up after half a minute.
  std::string pipe = dir.file("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EXIT(
      {
        alarm(30);
        _exit(fileExists(pipe.c_str()) == 0 ? 0 : 3);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(SupportDeathTest, MemoryFailuresEndTheProcess) {
  EXPECT_EXIT((stdoutTo(out), memFree(nullptr)), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Tried to deallocate NULL pointer.\n\n");
  EXPECT_EXIT((stdoutTo(out), memRealloc(nullptr, 4)), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Tried reallocating a NULL pointer.\n\n");
  void *none = nullptr;
  EXPECT_EXIT((stdoutTo(out), memRealloc(&none, 4)), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Tried reallocating a NULL pointer.\n\n");

  const size_t huge = SIZE_MAX / 2;
  const std::string size = std::to_string(huge);
  const std::string message = "Couldn't allocate " + size + " bytes.";
  EXPECT_EXIT(
      (stdoutTo(out), setFatalErrorHook(reportingHook), memAlloc(huge)), testing::ExitedWithCode(1),
      "hook after " + std::to_string(message.size() + 2) + " bytes: \\[Couldn't allocate " + size + " bytes\\.\\]");
  EXPECT_EQ(readFile(out), message + "\n\n");
  EXPECT_EXIT(
      {
        stdoutTo(out);
        void *block = memAlloc(8);
        memRealloc(&block, huge);
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Couldn't reallocate " + size + " bytes.\n\n");
}

TEST_F(SupportDeathTest, FatalErrorFormatsOrEndsSilently) {
  EXPECT_EXIT((stdoutTo(out), printf("before "), fatalError(nullptr)), testing::ExitedWithCode(0), "");
  EXPECT_EQ(readFile(out), "before ");
  std::string longText(2000, 'x');
  EXPECT_EXIT((stdoutTo(out), setFatalErrorHook(reportingHook), fatalError("%s and %d", longText.c_str(), 42)),
              testing::ExitedWithCode(1), "hook after 2009 bytes: \\[x+ and 42\\]");
  EXPECT_EQ(readFile(out), longText + " and 42\n\n");
}

// A box that cannot be made (no memory left for the toolkit) may crash,
// abort or throw inside the hook: the status is still 1, and the message
// reaches standard error since the user may have seen nothing.
TEST_F(SupportDeathTest, FatalErrorWhoseHookFailsStillEndsWithOneAndTheMessage) {
  void (*const failingHooks[])(const char *) = {
      [](const char *) { raise(SIGSEGV); },
      [](const char *) { abort(); },
      [](const char *) { throw std::runtime_error("no box"); },
  };
  for (auto hook : failingHooks) {
    EXPECT_EXIT((stdoutTo(out), reserveFatalErrorMemory(1 << 20), setFatalErrorHook(hook), fatalError("Out of %s.\n", "luck")),
                testing::ExitedWithCode(1), "^Out of luck\\.\n$");
    EXPECT_EQ(readFile(out), "Out of luck.\n\n\n");
  }
}

}  // namespace
