/* A save killed outright at every step. A save is recorded once (os_calls.h)
 * to learn its system calls; then, for each call in turn, a forked child
 * makes the same save and dies by SIGKILL right before the call, or right
 * after it returned, and the parent reads gardum.cfg. Until the rename has
 * happened the file must be the old one byte for byte (or still absent when
 * there was none); from then on the whole new one. Never a mix, never empty,
 * whatever the timing: every point is visited, each exactly once. Through
 * configSave and through saveSettings, over an existing file and with none.
 */
#include "os_calls.h"
#include "reliability_support.h"

#include <csignal>

namespace {

using namespace reliability;
using oscalls::None;

// Which of the two versions the file holds, for short failure messages.
std::string versionOf(const std::string &path, const std::string *oldBytes, const std::string &newBytes) {
  if (!std::filesystem::exists(path)) return "no file";
  std::string now = readFile(path);
  if (now == newBytes) return "the new file";
  if (oldBytes && now == *oldBytes) return "the old file";
  return "neither (" + std::to_string(now.size()) + " bytes)";
}

// Kills `save` at every step. `restore` puts the old state back: gardum.cfg
// holding `oldBytes`, or absent when `oldBytes` is null. `save` writes
// `newBytes`.
void killAtEveryStep(const std::string &target, const std::string *oldBytes, const std::string &newBytes,
                     const std::function<bool()> &save) {
  // Each child draws the same temporary name (it inherits this process's
  // random state), so the one a killed child left is removed again: every
  // child then makes exactly the calls recorded here.
  const std::string folder = std::filesystem::path(target).parent_path().string();
  auto removeLeftovers = [&] {
    for (const auto &item : std::filesystem::directory_iterator(folder))
      if (oscalls::isTemporary(item.path().string())) std::filesystem::remove(item.path());
  };
  auto restore = [&] {
    removeLeftovers();
    if (oldBytes)
      writeFile(target, *oldBytes);
    else
      unlink(target.c_str());
  };
  restore();
  oscalls::record();
  bool saved = save();
  std::vector<oscalls::Call> calls = oscalls::stop();
  ASSERT_TRUE(saved);
  ASSERT_EQ(readFile(target), newBytes);
  size_t renamed = oscalls::find(calls, "rename", ".tgcfg-");
  ASSERT_NE(renamed, None) << oscalls::describe(calls);
  ASSERT_NE(oscalls::find(calls, "write", ".tgcfg-"), None) << oscalls::describe(calls);

  for (size_t step = 0; step < calls.size(); step++) {
    for (bool after : {false, true}) {
      SCOPED_TRACE(std::string(after ? "after" : "before") + " step " + std::to_string(step) + " of " +
                   oscalls::describe(calls));
      restore();
      int status = inChild([&] {
        oscalls::record();
        oscalls::killAt(step, after);
        save();
        return 0;
      });
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the save did not reach the step: " << status;
      bool replaced = step > renamed || (step == renamed && after);
      EXPECT_EQ(versionOf(target, oldBytes, newBytes), replaced   ? "the new file"
                                                       : oldBytes ? "the old file"
                                                                  : "no file");
    }
  }

  // A killed save leaves its temporary file behind (here under the name this
  // process would draw next): the next save still goes through.
  restore();
  size_t created = oscalls::find(calls, "open", ".tgcfg-");
  ASSERT_NE(created, None);
  int status = inChild([&] {
    oscalls::record();
    oscalls::killAt(created, true);
    save();
    return 0;
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  std::vector<std::string> names;
  for (const auto &item : std::filesystem::directory_iterator(folder)) names.push_back(item.path().string());
  ASSERT_EQ(names.size(), oldBytes ? 2u : 1u) << "no temporary file was left";
  ASSERT_TRUE(save());
  EXPECT_EQ(readFile(target), newBytes);
  removeLeftovers();
}

class KilledSave : public InScratchFolder {};

TEST_F(KilledSave, ConfigSaveLeavesTheOldOrTheNewFileWhole) {
  // Two versions of about 200 KB that differ in every value.
  ConfigHandle docs[2] = {configNew("old"), configNew("new")};
  for (int i = 0; i < 6000; i++) {
    std::string key = "Key" + std::to_string(i);
    configPutRaw(docs[0], "Big", key.c_str(), ("first version of entry " + std::to_string(i)).c_str());
    configPutRaw(docs[1], "Big", key.c_str(), ("second version, entry " + std::to_string(i)).c_str());
  }
  const std::string target = scratch.file("gardum.cfg");
  std::string bytes[2];
  for (int which : {0, 1}) {
    ASSERT_TRUE(configSave(docs[which], target.c_str()));
    bytes[which] = readFile(target);
  }
  ASSERT_NE(bytes[0], bytes[1]);
  auto saveNew = [&] { return configSave(docs[1], target.c_str()); };
  {
    SCOPED_TRACE("over the old file");
    killAtEveryStep(target, &bytes[0], bytes[1], saveNew);
  }
  {
    SCOPED_TRACE("with no file yet");
    killAtEveryStep(target, nullptr, bytes[1], saveNew);
  }
}

TEST_F(KilledSave, SaveSettingsLeavesTheOldOrTheNewFileWhole) {
  // A player's gardum.cfg of about 200 KB, mostly entries of other tools; the
  // save changes one managed value.
  std::string original = "[Screen Setup]\r\nScreenWidth = 640\r\n\r\n[Other Tool]\r\n";
  for (int i = 0; i < 6000; i++) original += "Setting" + std::to_string(i) + " = \"kept as it was\"\r\n";
  writeFile("gardum.cfg", original);
  loadSettings();
  ASSERT_GE(GameSettings.configHandle, 0);
  GameSettings.ScreenWidth = 1024;
  ASSERT_TRUE(saveSettings());
  const std::string saved = readFile("gardum.cfg");
  ASSERT_NE(saved.find("\r\nScreenWidth = 1024\r\n"), std::string::npos);
  ASSERT_NE(saved.find("\r\nSetting5999 = \"kept as it was\"\r\n"), std::string::npos);
  {
    SCOPED_TRACE("over the loaded file");
    killAtEveryStep(scratch.file("gardum.cfg"), &original, saved, [] { return saveSettings(); });
  }

  // The first save of a run without a file creates it, seeded.
  resetProcessState();
  unlink("gardum.cfg");
  loadSettings();
  ASSERT_LT(GameSettings.configHandle, 0);
  ASSERT_TRUE(saveSettings());
  const std::string seeded = readFile("gardum.cfg");
  ASSERT_TRUE(startsWith(seeded, "[Screen Setup]\r\nShadows = 1\r\n"));
  {
    SCOPED_TRACE("with no file yet");
    killAtEveryStep(scratch.file("gardum.cfg"), nullptr, seeded, [] { return saveSettings(); });
  }

  // The next run of the configurator reads a whole file.
  resetProcessState();
  loadSettings();
  EXPECT_EQ(GameSettings.ScreenWidth, 640);
  EXPECT_EQ(GameSettings.configReadError, 0);
}

}  // namespace
