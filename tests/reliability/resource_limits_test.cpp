/* The library and the settings at their limits, through the path a player
 * takes (loadSettings, saveSettings, loading again): a 200 MB gardum.cfg, a
 * line of 100 MB, a section of 1,000,000 entries, 1,000,000 sections. Each
 * is answered as for a small file, without a crash, and its cost grows in
 * proportion to its size. The cost is counted, not timed, so the outcome is
 * the same on every machine: the index probes of loading and saving (with
 * the hash key fixed, the same count on every run) stay within a bound per
 * entry or section at a tenth of the size and at the full size, and the
 * load and save of the full size finish within an address space that grows
 * by at most a fixed amount per byte and per entry.
 */
#include "config/config_internal.h"
#include "reliability_support.h"
#include "tests/config/config_test_support.h"

#include <sys/resource.h>

#include <cstring>

namespace {

using namespace reliability;

// Writes gardum.cfg from pieces without holding it whole.
class FileWriter {
 public:
  FileWriter() : out_("gardum.cfg", std::ios::binary | std::ios::trunc) {}
  FileWriter &operator<<(const std::string &text) {
    out_.write(text.data(), (std::streamsize)text.size());
    return *this;
  }
  // `count` copies of `byte`.
  FileWriter &repeat(char byte, size_t count) {
    std::string block(1 << 20, byte);
    for (; count > block.size(); count -= block.size()) *this << block;
    return *this << block.substr(0, count);
  }

 private:
  std::ofstream out_;
};

// Index slots examined by one load and save of gardum.cfg.
uint64_t loadAndSaveProbes() {
  resetProcessState();
  uint64_t before = ConfigIndexProbes;
  loadSettings();
  EXPECT_GE(GameSettings.configHandle, 0);
  EXPECT_TRUE(saveSettings());
  return ConfigIndexProbes - before;
}

void expectProbesPerUnit(uint64_t probes, uint64_t units, const char *what) {
  testing::Test::RecordProperty(std::string("probes_for_") + std::to_string(units) + "_" + what,
                                std::to_string(probes));
  EXPECT_LE(probes, ProbesPerEntryBound * units) << probes << " index probes for " << units << " " << what;
}

#if !defined(__SANITIZE_ADDRESS__)
// The address space this process has mapped, in bytes.
uint64_t addressSpaceNow() {
  unsigned long long pages = 0;
  FILE *statm = fopen("/proc/self/statm", "r");
  if (statm == nullptr || fscanf(statm, "%llu", &pages) != 1) pages = 0;
  if (statm != nullptr) fclose(statm);
  return pages * (uint64_t)sysconf(_SC_PAGESIZE);
}
#endif

// Loads and saves gardum.cfg in a child whose address space may grow by at
// most `budget` bytes: the library ends the process when an allocation
// fails, so the child's success says the work fitted.
void expectLoadAndSaveWithin(uint64_t budget) {
#if defined(__SANITIZE_ADDRESS__)
  (void)budget;
  printf("memory not checked: AddressSanitizer reserves its shadow memory up front\n");
#else
  const uint64_t slack = 64u << 20;  // the program's own small allocations and stdio
  testing::Test::RecordProperty("address_space_budget", std::to_string(budget + slack));
  int status = inChild([budget, slack] {
    uint64_t base = addressSpaceNow();
    if (base == 0) return 4;
    struct rlimit limit = {(rlim_t)(base + budget + slack), (rlim_t)(base + budget + slack)};
    if (setrlimit(RLIMIT_AS, &limit) != 0) return 5;
    resetProcessState();
    loadSettings();
    return GameSettings.configHandle >= 0 && saveSettings() ? 0 : 3;
  });
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: an allocation failed within " << ((budget + slack) >> 20)
                                    << " MB more address space; 3: no document or no save; 4, 5: no limit set";
#endif
}

uint64_t fileSize() { return std::filesystem::file_size("gardum.cfg"); }

class ResourceLimits : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    const uint64_t key[2] = {0x0123456789ABCDEFu, 0x0F1E2D3C4B5A6978u};
    ASSERT_TRUE(configSetHashKey(key));
  }
};

// About 105 bytes per entry of another tool, then the managed values at the
// very end, where only a complete reading finds them.
void writeLargeFile(int entries) {
  FileWriter out;
  out << "[Other Tool]\r\n";
  std::string padding(76, 'p');
  char line[160];
  for (int i = 0; i < entries; i++) {
    snprintf(line, sizeof line, "Entry%08d = \"%s %08d\"\r\n", i, padding.c_str(), i);
    out << line;
  }
  out << "[Controls]\r\nMouseAiming = 1\r\n[KeyDefinitions]\r\nJump = \"X\" \"Space\"\r\n";
}

TEST_F(ResourceLimits, TwoHundredMegabyteFile) {
  writeLargeFile(200000);
  expectProbesPerUnit(loadAndSaveProbes(), 200000, "entries");
  writeLargeFile(2000000);
  ASSERT_GE(fileSize(), 200u << 20);
  expectProbesPerUnit(loadAndSaveProbes(), 2000000, "entries");

  // The managed values at the end were read, and everything survived.
  EXPECT_EQ(GameSettings.MouseAiming, 1);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "X");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "Space");
  resetProcessState();
  loadSettings();
  ConfigHandle h = GameSettings.configHandle;
  EXPECT_EQ(configEntryCount(h, "Other Tool"), 2000000);
  std::string last = "\"" + std::string(76, 'p') + " 01999999\"";
  EXPECT_EQ(configGetRaw(h, "Other Tool", "Entry01999999"), last);
  EXPECT_STREQ(configGetRaw(h, "Controls", "MouseAiming"), "1");
  EXPECT_STREQ(configGetRaw(h, "KeyDefinitions", "Jump"), "\"X\" \"Space\"");

  // The file's bytes stay where they were read; entries cost their records.
  resetProcessState();
  expectLoadAndSaveWithin(2 * fileSize());
}

// A key's name of `size` bytes as the first of a pair, an unmanaged value of
// `size` bytes, and a number of `size` digits.
void writeLongLines(size_t size) {
  FileWriter out;
  out << "[KeyDefinitions]\r\nJump = \"";
  out.repeat('A', size) << "\" \"Space\"\r\n[Notes]\r\nLong = <";
  out.repeat('n', size) << ">\r\nAfter = 1\r\n[Screen Setup]\r\nScreenWidth = ";
  out.repeat('7', size / 10) << "\r\n";
}

TEST_F(ResourceLimits, HundredMegabyteLines) {
  const size_t size = 100u << 20;
  writeLongLines(size / 10);
  uint64_t small = loadAndSaveProbes();
  writeLongLines(size);
  uint64_t large = loadAndSaveProbes();
  // A line's length costs no index work at all.
  EXPECT_EQ(large, small);

  // The over-long name was cut in its 64-byte buffer and is unknown; the
  // second name after it is still found. The number is clamped.
  EXPECT_EQ(GameSettings.KeyBindings[9][0], EmptyName);
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "Space");
  EXPECT_EQ(GameSettings.ScreenWidth, 2147483647);

  // The long value went to the file whole, and the line after it too.
  resetProcessState();
  loadSettings();
  ConfigHandle h = GameSettings.configHandle;
  const char *value = configGetRaw(h, "Notes", "Long");
  ASSERT_NE(value, nullptr);
  ASSERT_EQ(strlen(value), size + 2);
  EXPECT_EQ(value[0], '<');
  EXPECT_EQ(value[size / 2], 'n');
  EXPECT_EQ(value[size + 1], '>');
  EXPECT_STREQ(configGetRaw(h, "Notes", "After"), "1");
  EXPECT_STREQ(configGetRaw(h, "KeyDefinitions", "Jump"), "\"\" \"Space\"");

  // No copy of a long line is made beyond the file's bytes themselves.
  resetProcessState();
  expectLoadAndSaveWithin(fileSize() + fileSize() / 4);
}

// `entries` entries in "KeyDefinitions" that name no game function, then one
// that does.
void writeManyKeyDefinitions(int entries) {
  FileWriter out;
  out << "[KeyDefinitions]\r\n";
  char line[64];
  for (int i = 0; i < entries - 1; i++) {
    snprintf(line, sizeof line, "Not_A_Function_%07d = \"A\" \"B\"\r\n", i);
    out << line;
  }
  out << "Jump = \"X\" \"Space\"\r\n";
}

TEST_F(ResourceLimits, SectionOfAMillionEntries) {
  writeManyKeyDefinitions(100000);
  expectProbesPerUnit(loadAndSaveProbes(), 100000, "entries");
  writeManyKeyDefinitions(1000000);
  expectProbesPerUnit(loadAndSaveProbes(), 1000000, "entries");
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "X");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "Space");

  // Saved: the million entries in their places, Jump's value replaced where
  // it stood, the other 52 functions appended after it.
  resetProcessState();
  loadSettings();
  ConfigHandle h = GameSettings.configHandle;
  ASSERT_EQ(configEntryCount(h, "KeyDefinitions"), 1000000 + 52);
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 0), "Not_A_Function_0000000");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 999998), "Not_A_Function_0999998");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 999999), "Jump");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 1000000), "Move_Forward");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 1000051), "Show_Console");
  EXPECT_STREQ(configGetRaw(h, "KeyDefinitions", "Not_A_Function_0500000"), "\"A\" \"B\"");

  resetProcessState();
  expectLoadAndSaveWithin(fileSize() + 128u * 1000000);
}

// `sections` sections of one entry each, the managed ones among them.
void writeManySections(int sections) {
  FileWriter out;
  char line[64];
  for (int i = 0; i < sections; i++) {
    snprintf(line, sizeof line, "[Section%07d]\r\nKey = %d\r\n", i, i);
    out << line;
    if (i == sections / 2) out << "[Screen Setup]\r\nScreenWidth = 1024\r\n";
  }
}

TEST_F(ResourceLimits, AMillionSections) {
  writeManySections(100000);
  expectProbesPerUnit(loadAndSaveProbes(), 100000, "sections");
  writeManySections(1000000);
  expectProbesPerUnit(loadAndSaveProbes(), 1000000, "sections");
  EXPECT_EQ(GameSettings.ScreenWidth, 1024);

  // Saved: every section in its place, the missing managed ones after them.
  resetProcessState();
  loadSettings();
  ConfigHandle h = GameSettings.configHandle;
  ASSERT_EQ(configSectionCount(h), 1000000 + 4);
  EXPECT_STREQ(configSectionName(h, 0), "Section0000000");
  EXPECT_STREQ(configSectionName(h, 500001), "Screen Setup");
  EXPECT_STREQ(configSectionName(h, 1000000), "Section0999999");
  EXPECT_STREQ(configSectionName(h, 1000001), "Sound Setup");
  EXPECT_STREQ(configSectionName(h, 1000003), "KeyDefinitions");
  EXPECT_STREQ(configGetRaw(h, "Section0999999", "Key"), "999999");

  resetProcessState();
  expectLoadAndSaveWithin(fileSize() + 512u * 1000000);
}

}  // namespace
