/* A save killed outright (SIGKILL) at many points: a child saves a large
 * document, the parent kills it after a delay that sweeps from the start of
 * the save to well past its end, then looks at gardum.cfg. Each time the file must
 * be the complete old or the complete new bytes. The rounds alternate
 * between two documents, so every round has an old and a new to tell apart.
 * Through configSave and through saveSettings.
 */
#include "reliability_support.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using namespace reliability;

const int Rounds = 40;

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Outcome {
  int killedBeforeReplacing = 0;  // child killed, file still the old one
  int killedAfterReplacing = 0;   // child killed, file already the new one
  int finished = 0;               // child ended before the kill
};

// Runs the rounds. `save(which)` saves version `which` (0 or 1) and reports
// success; `bytes[which]` is what that version looks like on disk. The file
// holds version `current` at the start.
Outcome killDuringSaves(const std::string &target, const std::string bytes[2], int current, double saveSeconds,
                        const std::function<bool(int)> &save) {
  Outcome outcome;
  for (int round = 0; round < Rounds; round++) {
    int next = 1 - current;
    // From the start of the save to 1.5 times its measured length, then a
    // few far past it, so that a busy machine still lets some saves finish.
    const int sweep = Rounds - 5;
    const double tail[5] = {2, 3, 4, 6, 8};
    double delay = round < sweep ? saveSeconds * 1.5 * round / (sweep - 1) : saveSeconds * tail[round - sweep];
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) _exit(save(next) ? 0 : 1);
    if (child < 0) {
      ADD_FAILURE() << "fork failed";
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    kill(child, SIGKILL);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);

    std::string now = readFile(target);
    SCOPED_TRACE("round " + std::to_string(round) + ", delay " + std::to_string(delay) + " s");
    if (now == bytes[current]) {
      EXPECT_TRUE(WIFSIGNALED(status)) << "the save ended but the file is the old one";
      outcome.killedBeforeReplacing++;
    } else if (now == bytes[next]) {
      if (WIFSIGNALED(status))
        outcome.killedAfterReplacing++;
      else
        outcome.finished++;
      current = next;
    } else {
      ADD_FAILURE() << "gardum.cfg is neither the old nor the new file (" << now.size() << " bytes; old "
                    << bytes[current].size() << ", new " << bytes[next].size() << ")";
      return outcome;
    }
  }
  return outcome;
}

// The sweep must have hit saves in progress, or it proved nothing.
void expectKillsLandedInsideSaves(const Outcome &outcome) {
  testing::Test::RecordProperty("killed_before_replacing", outcome.killedBeforeReplacing);
  testing::Test::RecordProperty("killed_after_replacing", outcome.killedAfterReplacing);
  testing::Test::RecordProperty("finished", outcome.finished);
  EXPECT_GE(outcome.killedBeforeReplacing, 3);
  EXPECT_GE(outcome.killedAfterReplacing + outcome.finished, 3);
}

class KilledSave : public InScratchFolder {};

TEST_F(KilledSave, ConfigSaveLeavesTheOldOrTheNewFileWhole) {
  // Two documents of about 6 MB that differ in every value.
  ConfigHandle docs[2] = {configNew("a"), configNew("b")};
  for (int i = 0; i < 150000; i++) {
    std::string key = "Key" + std::to_string(i);
    configPutRaw(docs[0], "Big", key.c_str(), ("first version of entry " + std::to_string(i)).c_str());
    configPutRaw(docs[1], "Big", key.c_str(), ("second version, entry " + std::to_string(i)).c_str());
  }
  const std::string target = scratch.file("gardum.cfg");
  std::string bytes[2];
  double slowest = 0;
  for (int which : {1, 0}) {
    double start = wallSeconds();
    ASSERT_TRUE(configSave(docs[which], target.c_str()));
    slowest = std::max(slowest, wallSeconds() - start);
    bytes[which] = readFile(target);
  }
  ASSERT_NE(bytes[0], bytes[1]);

  Outcome outcome =
      killDuringSaves(target, bytes, 0, slowest, [&](int which) { return configSave(docs[which], target.c_str()); });
  expectKillsLandedInsideSaves(outcome);

  // What the killed saves left behind does not stop the next one.
  ASSERT_TRUE(configSave(docs[1], target.c_str()));
  EXPECT_EQ(readFile(target), bytes[1]);
}

TEST_F(KilledSave, SaveSettingsLeavesTheOldOrTheNewFileWhole) {
  // A loaded gardum.cfg of about 5 MB, mostly entries of other tools; the
  // two versions differ in one managed value.
  std::string original = "[Screen Setup]\r\nScreenWidth = 640\r\n\r\n[Other Tool]\r\n";
  for (int i = 0; i < 150000; i++) original += "Setting" + std::to_string(i) + " = \"kept as it was\"\r\n";
  writeFile("gardum.cfg", original);
  loadSettings();
  ASSERT_GE(GameSettings.configHandle, 0);

  const int widths[2] = {800, 1024};
  std::string bytes[2];
  double slowest = 0;
  for (int which : {1, 0}) {
    GameSettings.ScreenWidth = widths[which];
    double start = wallSeconds();
    ASSERT_TRUE(saveSettings());
    slowest = std::max(slowest, wallSeconds() - start);
    bytes[which] = readFile("gardum.cfg");
  }
  ASSERT_NE(bytes[0], bytes[1]);

  Outcome outcome = killDuringSaves(scratch.file("gardum.cfg"), bytes, 0, slowest, [&](int which) {
    GameSettings.ScreenWidth = widths[which];
    return saveSettings();
  });
  expectKillsLandedInsideSaves(outcome);

  // The next run of the configurator reads a whole file.
  startUp();
  loadSettings();
  EXPECT_TRUE(GameSettings.ScreenWidth == 800 || GameSettings.ScreenWidth == 1024);
  EXPECT_STREQ(configGetRaw(GameSettings.configHandle, "Other Tool", "Setting149999"), "\"kept as it was\"");
}

}  // namespace
