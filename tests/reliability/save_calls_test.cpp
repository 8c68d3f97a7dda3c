/* The system calls of a save, in order, and what a failure of each one
 * leaves behind (seen through os_calls.h). The new text must be on the disk
 * (fsync) before the rename puts it in place, or a crash soon after the
 * rename can leave an empty or partial file where a whole one stood. Any
 * failure up to and including the rename must be reported and leave the old
 * file byte for byte and no temporary file; a failure after it changes
 * nothing. Through configSave and through saveSettings.
 */
#include "os_calls.h"
#include "reliability_support.h"

#include <cerrno>
#include <cstring>

namespace {

using namespace reliability;
using oscalls::None;

const std::string OldFile = "[Screen Setup]\r\nScreenWidth = 800\r\n\r\n[Other Tool]\r\nKept = \"yes\"\r\n";

// One way to save over gardum.cfg, which holds OldFile when `prepare` has run.
struct SaveWay {
  const char *name;
  std::function<void()> prepare;
  std::function<bool()> save;
};
void PrintTo(const SaveWay &way, std::ostream *out) { *out << way.name; }

// About 200 KB: several buffers' worth, so the save writes more than once.
ConfigHandle SavedDocument = -1;

std::vector<SaveWay> saveWays() {
  return {
      {"ConfigSave",
       [] {
         SavedDocument = configNew("new");
         for (int i = 0; i < 6000; i++)
           configPutRaw(SavedDocument, "Big", ("Key" + std::to_string(i)).c_str(), "a value of the new version");
         writeFile("gardum.cfg", OldFile);
       },
       [] { return configSave(SavedDocument, "gardum.cfg"); }},
      {"SaveSettings",
       [] {
         std::string file = OldFile;
         for (int i = 0; i < 6000; i++) file += "Other" + std::to_string(i) + " = \"kept as it was\"\r\n";
         writeFile("gardum.cfg", file);
         loadSettings();
         GameSettings.ScreenWidth = 1024;
       },
       [] { return saveSettings(); }},
  };
}

class SaveCalls : public InScratchFolder, public testing::WithParamInterface<SaveWay> {};

TEST_P(SaveCalls, TheNewTextIsOnDiskBeforeItReplacesTheOldFile) {
  GetParam().prepare();
  oscalls::record();
  bool saved = GetParam().save();
  std::vector<oscalls::Call> calls = oscalls::stop();
  ASSERT_TRUE(saved);
  SCOPED_TRACE(oscalls::describe(calls));

  size_t created = oscalls::find(calls, "open", ".tgcfg-");
  ASSERT_NE(created, None) << "no temporary file";
  int fd = calls[created].fd;
  size_t firstWrite = oscalls::findOn(calls, "write", fd);
  size_t lastWrite = oscalls::findLastOn(calls, "write", fd);
  ASSERT_NE(firstWrite, None);
  EXPECT_LT(firstWrite, lastWrite) << "the document fits one write: nothing to order";
  size_t flushed = oscalls::findOn(calls, "fsync", fd, lastWrite);
  size_t closed = oscalls::findOn(calls, "close", fd, lastWrite);
  size_t renamed = oscalls::find(calls, "rename", ".tgcfg-");
  ASSERT_NE(flushed, None) << "the new file is never flushed after its last write";
  ASSERT_NE(closed, None);
  ASSERT_NE(renamed, None);
  EXPECT_LT(flushed, closed);
  EXPECT_LT(closed, renamed);
  EXPECT_EQ(calls[renamed].path, calls[created].path);
  EXPECT_EQ(calls[renamed].to, "gardum.cfg");
  // The rename itself is made durable: the folder is flushed after it.
  size_t folder = oscalls::find(calls, "open", "", renamed);
  ASSERT_NE(folder, None);
  EXPECT_EQ(calls[folder].path, ".");
  EXPECT_NE(oscalls::findOn(calls, "fsync", calls[folder].fd, folder), None);
}

TEST_P(SaveCalls, AFailureUpToTheRenameLeavesTheOldFileAndAfterItTheNewOne) {
  GetParam().prepare();
  const std::string oldBytes = readFile("gardum.cfg");
  oscalls::record();
  ASSERT_TRUE(GetParam().save());
  std::vector<oscalls::Call> calls = oscalls::stop();
  const std::string newBytes = readFile("gardum.cfg");
  ASSERT_NE(oldBytes, newBytes);
  size_t created = oscalls::find(calls, "open", ".tgcfg-");
  size_t renamed = oscalls::find(calls, "rename", ".tgcfg-");
  ASSERT_NE(created, None);
  ASSERT_NE(renamed, None);
  int temporary = calls[created].fd;

  int failures = 0;
  for (size_t step = 0; step < calls.size(); step++) {
    const oscalls::Call &call = calls[step];
    // Every call on the way to the new file counts, and the check of the
    // old one (open); closing that check's descriptor does not.
    bool onTheWay = call.fd == temporary || call.name == "rename" || (call.name == "open" && step <= created);
    if (!onTheWay && step < renamed) continue;
    SCOPED_TRACE("failing step " + std::to_string(step) + " of: " + oscalls::describe(calls));
    writeFile("gardum.cfg", oldBytes);
    oscalls::record();
    oscalls::failAt(step, EIO);
    errno = 0;
    bool saved = GetParam().save();
    int error = errno;
    oscalls::stop();
    if (step <= renamed) {
      failures++;
      EXPECT_FALSE(saved);
      EXPECT_EQ(error, EIO) << strerror(error);
      EXPECT_EQ(readFile("gardum.cfg"), oldBytes);
    } else {
      EXPECT_TRUE(saved) << "the file was already replaced";
      EXPECT_EQ(readFile("gardum.cfg"), newBytes);
    }
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"gardum.cfg"}) << "a temporary file was left";
  }
  EXPECT_GE(failures, 6);  // both opens, the writes, fsync, close, rename
}

INSTANTIATE_TEST_SUITE_P(ThroughBothSavers, SaveCalls, testing::ValuesIn(saveWays()),
                         [](const testing::TestParamInfo<SaveWay> &info) { return std::string(info.param.name); });

}  // namespace
