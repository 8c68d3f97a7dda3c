/* Saving when the disk or the folder works against us. Every case proves the
 * same promise: afterwards gardum.cfg holds either its old bytes exactly or
 * the complete new file, never a mix and never nothing, and a failure is
 * reported. Written through configSave and through saveSettings. No case
 * relies on permission bits: the tests also run as root.
 */
#include "os_calls.h"
#include "reliability_support.h"

#include "config/support.h"

#include <csignal>
#include <cstring>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace reliability;

const char OldFile[] = "[Old]\r\nkeep = this\r\n";

// A document of about `entries` * 40 bytes, its values marked with `tag`.
ConfigHandle documentOf(int entries, const std::string &tag) {
  ConfigHandle h = configNew("doc");
  for (int i = 0; i < entries; i++) {
    std::string key = "Key" + std::to_string(i);
    configPutRaw(h, "Section", key.c_str(), (tag + " value " + std::to_string(i)).c_str());
  }
  return h;
}

// In a child: at most `limit` bytes per file, and a write past it fails with
// EFBIG instead of ending the process. The child's exit status is 1 when the
// body reported success, 0 when it reported failure.
int saveUnderFileSizeLimit(rlim_t limit, const std::function<bool()> &save) {
  int status = inChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) return 3;
    return save() ? 1 : 0;
  });
  EXPECT_TRUE(WIFEXITED(status)) << "status " << status;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SaveFaults : public InScratchFolder {};

TEST_F(SaveFaults, WritesFailingPartWayLeaveTheOldFileWholeAtEveryCut) {
  const std::string target = scratch.file("gardum.cfg");
  ConfigHandle h = documentOf(8000, "new");  // about 250 KB: many buffer flushes
  ASSERT_TRUE(configSave(h, scratch.file("reference.cfg").c_str()));
  const std::string newBytes = readFile(scratch.file("reference.cfg"));
  ASSERT_EQ(unlink(scratch.file("reference.cfg").c_str()), 0);
  const rlim_t size = newBytes.size();

  // Cuts at nothing, inside the first buffer, at and around the buffer
  // size, and one byte short of the whole file.
  writeFile(target, OldFile);
  for (rlim_t limit :
       {(rlim_t)0, (rlim_t)1, (rlim_t)4096, (rlim_t)65535, (rlim_t)65536, (rlim_t)65537, size / 2, size - 1}) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    EXPECT_EQ(saveUnderFileSizeLimit(limit, [&] { return configSave(h, target.c_str()); }), 0);
    EXPECT_EQ(readFile(target), OldFile);
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"gardum.cfg"});  // no temporary left
  }
  // Exactly enough room: the save succeeds and the file is complete.
  EXPECT_EQ(saveUnderFileSizeLimit(size, [&] { return configSave(h, target.c_str()); }), 1);
  EXPECT_EQ(readFile(target), newBytes);
}

TEST_F(SaveFaults, AFailedFirstSaveCreatesNoFileAtAll) {
  ConfigHandle h = documentOf(4000, "new");
  const std::string target = scratch.file("gardum.cfg");
  EXPECT_EQ(saveUnderFileSizeLimit(1000, [&] { return configSave(h, target.c_str()); }), 0);
  EXPECT_EQ(saveUnderFileSizeLimit(1000, [] { return saveSettings(); }), 0);
  EXPECT_TRUE(scratch.names().empty());  // neither an empty nor a partial gardum.cfg
}

TEST_F(SaveFaults, SaveSettingsReportsAPartWayFailureAndKeepsTheLoadedFile) {
  // A player's file with much the configurator does not manage.
  std::string original = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[Notes]\r\n";
  for (int i = 0; i < 5000; i++) original += "Note" + std::to_string(i) + " = written by another tool\r\n";
  writeFile("gardum.cfg", original);
  loadSettings();
  ASSERT_EQ(GameSettings.ScreenWidth, 800);
  GameSettings.ScreenWidth = 1024;

  for (rlim_t limit : {(rlim_t)0, (rlim_t)100, (rlim_t)65536, (rlim_t)original.size()}) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    EXPECT_EQ(saveUnderFileSizeLimit(limit, [] { return saveSettings(); }), 0);
    EXPECT_EQ(readFile("gardum.cfg"), original);
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"gardum.cfg"});
  }
  // The record and the document are unharmed: the next save goes through.
  ASSERT_TRUE(saveSettings());
  std::string saved = readFile("gardum.cfg");
  EXPECT_NE(saved.find("\r\nScreenWidth = 1024\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nNote4999 = written by another tool"), std::string::npos);
}

TEST_F(SaveFaults, AFolderThatDoesNotExistIsReportedAndNothingIsCreated) {
  ConfigHandle h = documentOf(10, "new");
  EXPECT_FALSE(configSave(h, scratch.file("no/such/folder/gardum.cfg").c_str()));
  EXPECT_FALSE(configSave(h, scratch.file("no/gardum.cfg").c_str()));
  EXPECT_TRUE(scratch.names().empty());
  configFree(h);

  // The configurator's own folder removed while it runs: its relative
  // gardum.cfg now names a place that does not exist.
  ASSERT_EQ(mkdir("game", 0755), 0);
  ASSERT_EQ(chdir("game"), 0);
  ASSERT_EQ(rmdir(scratch.file("game").c_str()), 0);
  loadSettings();  // finds nothing and holds nothing
  EXPECT_LT(GameSettings.configHandle, 0);
  bool saved = saveSettings();
  ASSERT_EQ(chdir(scratch.path().c_str()), 0);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(scratch.names().empty());
}

TEST_F(SaveFaults, AFolderNamedGardumCfgIsNeverReplaced) {
  ASSERT_EQ(mkdir("gardum.cfg", 0755), 0);
  writeFile("gardum.cfg/inside", "precious");
  loadSettings();
  EXPECT_LT(GameSettings.configHandle, 0);
  EXPECT_FALSE(saveSettings());
  ConfigHandle h = documentOf(10, "new");
  EXPECT_FALSE(configSave(h, "gardum.cfg"));
  struct stat info;
  ASSERT_EQ(lstat("gardum.cfg", &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(readFile("gardum.cfg/inside"), "precious");
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"gardum.cfg"});
}

TEST_F(SaveFaults, APipeNamedGardumCfgIsRefusedWithoutWaitingForAReader) {
  ASSERT_EQ(mkfifo("gardum.cfg", 0644), 0);
  // Opening a pipe waits for the other end, forever if nobody comes: the
  // alarm ends a child that does so. Both loading (which once waited in
  // fileExists) and saving must pass it by.
  int status = inChild([] {
    alarm(20);
    resetProcessState();
    if (fileExists("gardum.cfg")) return 3;
    loadSettings();
    if (GameSettings.configHandle >= 0) return 2;
    ConfigHandle h = configNew("x");
    configPutRaw(h, "S", "k", "v");
    return (saveSettings() ? 1 : 0) + (configSave(h, "gardum.cfg") ? 1 : 0);
  });
  ASSERT_TRUE(WIFEXITED(status)) << "the save hung on the pipe (status " << status << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  struct stat info;
  ASSERT_EQ(lstat("gardum.cfg", &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"gardum.cfg"});
}

TEST_F(SaveFaults, ASymbolicLinkStaysAndTheFileItNamesIsReplaced) {
  // The game keeps its settings elsewhere and links them in, relatively.
  ASSERT_EQ(mkdir("store", 0755), 0);
  writeFile("store/game.cfg", "[Screen Setup]\r\nScreenWidth = 800\r\nGamma = 2\r\n");
  ASSERT_EQ(symlink("store/game.cfg", "gardum.cfg"), 0);
  loadSettings();
  ASSERT_EQ(GameSettings.ScreenWidth, 800);
  GameSettings.ScreenWidth = 1280;
  ASSERT_TRUE(saveSettings());

  char link[256] = {};
  ASSERT_EQ(readlink("gardum.cfg", link, sizeof link - 1), (ssize_t)strlen("store/game.cfg"));
  EXPECT_STREQ(link, "store/game.cfg");
  struct stat info;
  ASSERT_EQ(lstat("store/game.cfg", &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  std::string saved = readFile("store/game.cfg");
  EXPECT_TRUE(startsWith(saved, "[Screen Setup]\r\nScreenWidth = 1280\r\nGamma = 2\r\nScreenMode"))
      << saved.substr(0, 80);
  EXPECT_TRUE(endsWith(saved, "\r\nShow_Console = \"NumLck\"\r\n"));  // complete
  EXPECT_EQ(scratch.names(), (std::vector<std::string>{"gardum.cfg", "store"}));
  EXPECT_EQ(scratch.names(scratch.file("store")), std::vector<std::string>{"game.cfg"});

  // A link whose file does not exist yet: the first save creates that file
  // and keeps the link.
  resetProcessState();
  ASSERT_EQ(unlink("store/game.cfg"), 0);
  ASSERT_TRUE(saveSettings());
  ASSERT_EQ(lstat("gardum.cfg", &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_TRUE(startsWith(readFile("store/game.cfg"), "[Screen Setup]\r\nShadows = 1\r\n"));
}

// The kernel follows up to 40 links for one name, and so does the save.
TEST_F(SaveFaults, AChainOfFortyLinksIsWrittenThrough) {
  writeFile("l40", OldFile);  // behind gardum.cfg -> l1 -> ... -> l39 -> l40
  for (int i = 0; i < 40; i++) {
    ASSERT_EQ(symlink(("l" + std::to_string(i + 1)).c_str(), i ? ("l" + std::to_string(i)).c_str() : "gardum.cfg"), 0);
  }
  ASSERT_EQ(readFile("gardum.cfg"), OldFile);
  EXPECT_TRUE(configSave(documentOf(10, "new"), "gardum.cfg"));
  EXPECT_TRUE(startsWith(readFile("l40"), "[Section]\r\n"));
}

TEST_F(SaveFaults, TemporaryFilesOfCrashedSavesNeitherBlockNorCorruptANewSave) {
  std::string original = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[Notes]\r\n";
  for (int i = 0; i < 6000; i++) original += "Note" + std::to_string(i) + " = kept\r\n";
  writeFile("gardum.cfg", original);
  // Where a save's first write comes, learnt from one save that is then undone.
  auto prepareSave = [] {
    resetProcessState();
    loadSettings();
    GameSettings.ScreenWidth = 640;
  };
  prepareSave();
  oscalls::record();
  ASSERT_TRUE(saveSettings());
  const size_t firstWrite = oscalls::find(oscalls::stop(), "write");
  ASSERT_NE(firstWrite, oscalls::None);
  writeFile("gardum.cfg", original);

  // Three saves that crash part-way: each child is killed right after its
  // first write, and its temporary file stays behind.
  for (int crash = 0; crash < 3; crash++) {
    int status = inChild([&] {
      prepareSave();
      oscalls::record();
      oscalls::killAt(firstWrite, true);
      return saveSettings() ? 1 : 0;
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    EXPECT_EQ(readFile("gardum.cfg"), original);
  }
  std::vector<std::string> leftovers = scratch.names();
  ASSERT_EQ(leftovers.size(), 4u) << "three crashed saves leave three temporary files";

  loadSettings();
  EXPECT_EQ(GameSettings.ScreenWidth, 800);  // read from gardum.cfg, not a leftover
  GameSettings.ScreenWidth = 1600;
  ASSERT_TRUE(saveSettings());
  std::string saved = readFile("gardum.cfg");
  EXPECT_TRUE(startsWith(saved, "[Screen Setup]\r\nScreenWidth = 1600\r\n"));
  EXPECT_NE(saved.find("\r\nNote2999 = kept\r\n"), std::string::npos);
  // The leftovers are not touched: nothing of them reaches the new file, and
  // the new save left no temporary file of its own.
  EXPECT_EQ(scratch.names(), leftovers);
  for (const std::string &name : leftovers) {
    if (name != "gardum.cfg") {
      EXPECT_LT(readFile(name).size(), original.size());
    }
  }
}

TEST_F(SaveFaults, TwentyHeldDocumentsLeaveNoSlotAndTheFileAsItWas) {
  writeFile("gardum.cfg", OldFile);
  for (int i = 0; i < ConfigSlotCount; i++) ASSERT_EQ(configLoad("gardum.cfg"), i);
  // The twenty-first: read and given up, without a crash or a change.
  EXPECT_EQ(configLoad("gardum.cfg"), -1);
  EXPECT_EQ(configNew("more"), -1);
  loadSettings();
  EXPECT_LT(GameSettings.configHandle, 0);
  EXPECT_FALSE(saveSettings());
  EXPECT_EQ(readFile("gardum.cfg"), OldFile);
  // One slot freed: the save goes through into a new, seeded document.
  configFree(7);
  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(GameSettings.configHandle, 7);
  EXPECT_TRUE(startsWith(readFile("gardum.cfg"), "[Screen Setup]\r\nShadows = 1\r\n"));
}

}  // namespace
