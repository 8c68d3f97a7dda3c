/* The library and the settings at their limits, through the path a player
 * takes (loadSettings, saveSettings, loading again): a 200 MB gardum.cfg, a
 * line of 100 MB, a section of 1,000,000 entries. Each is answered as for a
 * small file, without a crash, and costs time in proportion to its size:
 * ten times the input may cost at most 25 times the processor time (a
 * generous bound; a quadratic step would cost about 100 times).
 */
#include "reliability_support.h"

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

double loadAndSaveSeconds() {
  startUp();
  double start = processorSeconds();
  loadSettings();
  bool saved = saveSettings();
  double seconds = processorSeconds() - start;
  EXPECT_TRUE(saved);
  return seconds;
}

void expectLinear(double small, double large) {
  testing::Test::RecordProperty("seconds_n", std::to_string(small));
  testing::Test::RecordProperty("seconds_10n", std::to_string(large));
  EXPECT_LT(large, 25 * small + 0.5) << small << " s for n against " << large << " s for 10 n";
}

class ResourceLimits : public InScratchFolder {};

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
  double small = std::min(loadAndSaveSeconds(), loadAndSaveSeconds());
  writeLargeFile(2000000);
  ASSERT_GE(std::filesystem::file_size("gardum.cfg"), 200u << 20);
  double large = loadAndSaveSeconds();
  expectLinear(small, large);

  // The managed values at the end were read, and everything survived.
  EXPECT_EQ(GameSettings.MouseAiming, 1);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "X");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "Space");
  startUp();
  loadSettings();
  ConfigHandle h = GameSettings.configHandle;
  EXPECT_EQ(configEntryCount(h, "Other Tool"), 2000000);
  std::string last = "\"" + std::string(76, 'p') + " 01999999\"";
  EXPECT_EQ(configGetRaw(h, "Other Tool", "Entry01999999"), last);
  EXPECT_STREQ(configGetRaw(h, "Controls", "MouseAiming"), "1");
  EXPECT_STREQ(configGetRaw(h, "KeyDefinitions", "Jump"), "\"X\" \"Space\"");
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
  double small = std::min(loadAndSaveSeconds(), loadAndSaveSeconds());
  writeLongLines(size);
  double large = loadAndSaveSeconds();
  expectLinear(small, large);

  // The over-long name was cut in its 64-byte buffer and is unknown; the
  // second name after it is still found. The number is clamped.
  EXPECT_EQ(GameSettings.KeyBindings[9][0], EmptyName);
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "Space");
  EXPECT_EQ(GameSettings.ScreenWidth, 2147483647);

  // The long value went to the file whole, and the line after it too.
  startUp();
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
  double small = std::min(loadAndSaveSeconds(), loadAndSaveSeconds());
  writeManyKeyDefinitions(1000000);
  double large = loadAndSaveSeconds();
  expectLinear(small, large);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "X");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "Space");

  // Saved: the million entries in their places, Jump's value replaced where
  // it stood, the other 52 functions appended after it.
  startUp();
  loadSettings();
  ConfigHandle h = GameSettings.configHandle;
  ASSERT_EQ(configEntryCount(h, "KeyDefinitions"), 1000000 + 52);
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 0), "Not_A_Function_0000000");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 999998), "Not_A_Function_0999998");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 999999), "Jump");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 1000000), "Move_Forward");
  EXPECT_STREQ(configEntryKey(h, "KeyDefinitions", 1000051), "Show_Console");
  EXPECT_STREQ(configGetRaw(h, "KeyDefinitions", "Not_A_Function_0500000"), "\"A\" \"B\"");
}

}  // namespace
