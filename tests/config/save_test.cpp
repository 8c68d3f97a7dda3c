// configSave replaces the file whole or not at all: failed writes, missing
// folders and non-files leave the old file byte-identical and no temporary
// file behind; permission bits and symbolic links are kept.
#include "config_test_support.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Save : public ConfigTest {
 protected:
  ScratchFolder dir;
  const std::string oldBytes = "[Old]\r\nkeep = this\r\n";
  ConfigHandle bigDocument() {
    ConfigHandle h = configNew("big");
    for (int i = 0; i < 5000; i++) configPutInteger(h, "Section", ("Key" + std::to_string(i)).c_str(), i, 0);
    return h;
  }
};

TEST_F(Save, FailingWritesLeaveTheOldFileWhole) {
  std::string target = dir.file("gardum.cfg");
  writeFile(target, oldBytes);
  ConfigHandle h = bigDocument();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The writes fail part-way once the file passes 4 KB.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(configSave(h, target.c_str()) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "configSave reported success";
  EXPECT_EQ(readFile(target), oldBytes);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"gardum.cfg"});
  // Without the limit the same save succeeds.
  EXPECT_TRUE(configSave(h, target.c_str()));
  std::string written = readFile(target);
  EXPECT_GT(written.size(), 4096u);
  EXPECT_EQ(written.substr(0, 21), "[Section]\r\nKey0 = 0\r\n");
  EXPECT_EQ(written.substr(written.size() - 16), "Key4999 = 4999\r\n");
}

TEST_F(Save, MissingFolderOrNonFileTargetFails) {
  ConfigHandle h = configNew("x");
  configPutRaw(h, "S", "k", "v");
  EXPECT_FALSE(configSave(h, dir.file("missing/gardum.cfg").c_str()));
  EXPECT_FALSE(configSave(h, dir.path().c_str()));  // a folder
  writeFile(dir.file("gardum.cfg"), oldBytes);
  symlink("missing/real.cfg", dir.file("dangling").c_str());
  EXPECT_FALSE(configSave(h, dir.file("dangling").c_str()));
  EXPECT_FALSE(configSave(h, dir.file("gardum.cfg/x").c_str()));  // a file as folder
  symlink("loop", dir.file("loop").c_str());
  EXPECT_FALSE(configSave(h, dir.file("loop").c_str()));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"dangling", "gardum.cfg", "loop"}));
  EXPECT_EQ(readFile(dir.file("gardum.cfg")), oldBytes);
}

TEST_F(Save, ReplacesTheFileKeepingItsPermissionBits) {
  std::string target = dir.file("gardum.cfg");
  writeFile(target, oldBytes);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ConfigHandle h = configNew("x");
  configPutRaw(h, "New", "k", "v");
  EXPECT_TRUE(configSave(h, target.c_str()));
  EXPECT_EQ(readFile(target), "[New]\r\nk = v\r\n");
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"gardum.cfg"});
}

TEST_F(Save, WritesThroughSymbolicLinks) {
  ASSERT_EQ(mkdir(dir.file("real").c_str(), 0755), 0);
  writeFile(dir.file("real/gardum.cfg"), oldBytes);
  ASSERT_EQ(symlink("real/gardum.cfg", dir.file("hop").c_str()), 0);
  ASSERT_EQ(symlink(dir.file("hop").c_str(), dir.file("gardum.cfg").c_str()), 0);
  ConfigHandle h = configNew("x");
  configPutRaw(h, "New", "k", "v");
  EXPECT_TRUE(configSave(h, dir.file("gardum.cfg").c_str()));
  struct stat info;
  ASSERT_EQ(lstat(dir.file("gardum.cfg").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat(dir.file("hop").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(readFile(dir.file("real/gardum.cfg")), "[New]\r\nk = v\r\n");
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"gardum.cfg", "hop", "real"}));
}

TEST_F(Save, CreatesANewFileInTheCurrentFolder) {
  char *previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  ConfigHandle h = configNew("x");
  configPutRaw(h, "", "k", "v");
  bool ok = configSave(h, "gardum.cfg");
  EXPECT_EQ(chdir(previous), 0);
  free(previous);
  EXPECT_TRUE(ok);
  EXPECT_EQ(readFile(dir.file("gardum.cfg")), "k = v\r\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"gardum.cfg"});
}

}  // namespace
