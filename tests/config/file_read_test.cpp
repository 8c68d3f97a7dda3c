// Reading a whole file safely (fileReadWhole), shared by configLoad, the
// settings loader and tarrengard-cfg: only a regular file, never a wait on
// a pipe, the size checked before anything is allocated, exactly that many
// bytes, and an error code instead of the end of the process. configLoad
// keeps its fatal messages on top of it; configTryLoad returns the code.
#include "config/support.h"
#include "config_test_support.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileRead : public ConfigTest {
 protected:
  ScratchFolder dir;
  std::string out = dir.file("stdout.txt");
};

struct Outcome {
  int error;
  FileReadStage stage;
};

Outcome readWhole(const std::string &path, std::string *bytes = nullptr) {
  FileContents file;
  int error = fileReadWhole(path.c_str(), &file);
  if (error == 0) {
    EXPECT_NE(file.text, nullptr);
    if (bytes) bytes->assign(file.text, (size_t)file.length);
    memFree(file.text);
  } else {
    EXPECT_EQ(file.text, nullptr);
  }
  return {error, file.stage};
}

// A sparse file far larger than any memory: 8 TiB, or 40 GB where the file
// system allows no more. Empty when neither can be made.
std::string hugeFile(const ScratchFolder &dir, long long *size) {
  std::string path = dir.file("huge.cfg");
  for (long long candidate : {8LL << 40, 40LL << 30}) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool made = fd >= 0 && ftruncate(fd, (off_t)candidate) == 0;
    if (fd >= 0) close(fd);
    if (made) {
      *size = candidate;
      return path;
    }
  }
  return "";
}

// In a child about to read the huge file: allocations past 1 GB fail, as they
// would on a machine without the memory, whatever this machine has. Under
// AddressSanitizer the address space cannot be limited, but its allocator
// refuses blocks above 1 TB (returning null, see support_test.cpp).
bool limitMemory(long long size) {
#if defined(__SANITIZE_ADDRESS__)
  return size > (1LL << 40);
#else
  (void)size;
  struct rlimit limit = {1UL << 30, 1UL << 30};
  return setrlimit(RLIMIT_AS, &limit) == 0;
#endif
}

void stdoutTo(const std::string &path) {
  fflush(stdout);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(fd, 1);
  close(fd);
}

// A kernel attribute file that reports more bytes than it holds, or empty.
std::string fileShorterThanItsSize() {
  for (const char *candidate :
       {"/sys/kernel/profiling", "/sys/kernel/mm/transparent_hugepage/enabled", "/sys/power/state"}) {
    struct stat info;
    if (stat(candidate, &info) == 0 && info.st_size == 4096 && readFile(candidate).size() < 4096 &&
        access(candidate, R_OK) == 0)
      return candidate;
  }
  return "";
}

TEST_F(FileRead, ARegularFileGivesExactlyItsBytes) {
  // Line ends, a zero byte and Ctrl-Z (which ends a text-mode read on
  // Windows) are all just bytes.
  for (const std::string &bytes :
       {std::string(), std::string("[A]\r\nk = 1\r\n"), std::string("[A]\nk = 1\nbad = x\x1Ay\nlater = 2\n"),
        std::string("a\0b\r\r\n", 6), std::string(200000, 'x')}) {
    writeFile(dir.file("f.cfg"), bytes);
    std::string read;
    Outcome outcome = readWhole(dir.file("f.cfg"), &read);
    EXPECT_EQ(outcome.error, 0) << fileErrorText(outcome.error);
    EXPECT_EQ(read, bytes);
  }
}

TEST_F(FileRead, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.file("zeros").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", dir.file("dangling").c_str()), 0);
  ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0755), 0);
  struct Case {
    std::string path;
    int error;
    const char *text;
  };
  const Case cases[] = {
      {dir.file("missing"), ENOENT, "No such file or directory"},
      {dir.file("dangling"), ENOENT, "No such file or directory"},
      {dir.file("folder"), EISDIR, "Is a directory"},
      {dir.file("pipe"), FileErrorNotRegular,
       "not a regular file"},  // nobody writes: an open that waited never returns
      {dir.file("zeros"), FileErrorNotRegular, "not a regular file"},  // read to its end, it has none
  };
  alarm(30);  // a read that waits or never ends fails the whole program instead of hanging it
  for (const Case &c : cases) {
    SCOPED_TRACE(c.path);
    Outcome outcome = readWhole(c.path);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.stage, FileStageOpen);
    EXPECT_STREQ(fileErrorText(outcome.error), c.text);
  }
  alarm(0);
  FileContents file;
  EXPECT_EQ(fileReadWhole(nullptr, &file), EINVAL);
}

TEST_F(FileRead, AFileLargerThanMemoryIsRefusedBeforeItIsRead) {
  long long size = 0;
  std::string huge = hugeFile(dir, &size);
  if (huge.empty()) GTEST_SKIP() << "this file system holds no sparse file of 40 GB";
  EXPECT_EXIT(
      {
        if (!limitMemory(size)) _exit(2);
        alarm(60);
        FileContents file;
        int error = fileReadWhole(huge.c_str(), &file);
        bool refused = (error == ENOMEM || error == EFBIG) && file.stage == FileStageAllocate && file.size == size;
        _exit(refused ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(FileRead, AFileThatIsNotAsLongAsItsSizeSaysIsAnError) {
  // Files of /proc report a size of 0 and hold more.
  Outcome grown = readWhole("/proc/self/status");
  EXPECT_EQ(grown.error, FileErrorChanged);
  EXPECT_EQ(grown.stage, FileStageRead);
  EXPECT_STREQ(fileErrorText(FileErrorChanged), "the file changed as it was read");
  std::string shorter = fileShorterThanItsSize();
  if (shorter.empty()) GTEST_SKIP() << "no attribute file that reports more bytes than it holds";
  Outcome cut = readWhole(shorter);
  EXPECT_EQ(cut.error, FileErrorChanged);
  EXPECT_EQ(cut.stage, FileStageRead);
}

TEST_F(FileRead, ConfigTryLoadAnswersWithTheErrorAndConfigLoadEndsWithItsMessage) {
  writeFile(dir.file("good.cfg"), "[S]\r\nk = 1\r\n");
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  int error = -99;
  ConfigHandle h = configTryLoad(dir.file("good.cfg").c_str(), &error);
  EXPECT_EQ(error, 0);
  ASSERT_GE(h, 0);
  EXPECT_STREQ(configGetRaw(h, "S", "k"), "1");
  EXPECT_EQ(configTryLoad(dir.file("missing").c_str(), &error), -1);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(configTryLoad(dir.file("pipe").c_str(), &error), -1);
  EXPECT_EQ(error, FileErrorNotRegular);
  EXPECT_EQ(configTryLoad("/proc/self/status", &error), -1);
  EXPECT_EQ(error, FileErrorChanged);
  // A full table: the file was read, and there is no error to name.
  for (int i = 1; i < ConfigSlotCount; i++) ASSERT_GE(configNew("filler"), 0);
  EXPECT_EQ(configTryLoad(dir.file("good.cfg").c_str(), &error), -1);
  EXPECT_EQ(error, 0);
  freeAll();

  // configLoad ends the process with the message of the step that failed.
  const std::string pipe = dir.file("pipe");
  EXPECT_EXIT((stdoutTo(out), configLoad(pipe.c_str())), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Failed opening " + pipe + " for reading.\n\n\n");
  EXPECT_EXIT((stdoutTo(out), configLoad("/proc/self/status")), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Failed reading 0 bytes.\n\n\n");
  long long size = 0;
  std::string huge = hugeFile(dir, &size);
  if (huge.empty()) GTEST_SKIP() << "this file system holds no sparse file of 40 GB";
  EXPECT_EXIT(
      {
        if (!limitMemory(size)) _exit(2);
        stdoutTo(out);
        configLoad(huge.c_str());
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(out), "Couldn't allocate " + std::to_string(size) + " bytes.\n\n");
}

}  // namespace
