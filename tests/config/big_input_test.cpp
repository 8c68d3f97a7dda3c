// Inputs of any bytes and any size: random text never crashes the parser or
// breaks the document's rules, a 100 MB line is one value, and a section of
// 1,000,000 entries loads in time proportional to its size.
#include "temp_dir.h"

#include <algorithm>
#include <ctime>
#include <cstring>
#include <random>

namespace {

using Robustness = ConfigTest;
using BigInput = ConfigTest;

TEST_F(Robustness, RandomBytesKeepTheDocumentRules) {
  // Structural characters are frequent so that every state is reached.
  const char structural[] = "[]=; \t\r\n\0aZ_1\"\\";
  std::mt19937 random(2024);
  for (int round = 0; round < 8; round++) {
    std::string text(256 * 1024, '\0');
    for (char &c : text) {
      unsigned pick = random();
      c = pick % 3 ? structural[(pick >> 8) % (sizeof structural - 1)] : (char)(pick >> 16);
    }
    ConfigHandle h = configNew("random");
    int result = 5;
    parseCapturing(h, text, &result);
    EXPECT_EQ(result, -1);  // random text always has some bad line
    EXPECT_GT(configSectionCount(h), 0);
    for (int i = 0; i < configSectionCount(h); i++) {
      const char *section = configSectionName(h, i);
      EXPECT_EQ(strcspn(section, "\r\n]"), strlen(section));
      ASSERT_GT(configEntryCount(h, section), 0);
      for (int j = 0; j < configEntryCount(h, section); j++) {
        const char *key = configEntryKey(h, section, j);
        EXPECT_TRUE(isalpha((unsigned char)key[0])) << key;
        EXPECT_EQ(strcspn(key, "\r\n;="), strlen(key));
        const char *value = configGetRaw(h, section, key);
        EXPECT_EQ(strcspn(value, "\r\n"), strlen(value));
        EXPECT_TRUE(configEntryExists(h, section, key));
      }
    }
    configFree(h);
  }
}

TEST_F(BigInput, HundredMegabyteLineIsOneValue) {
  const size_t size = 100u << 20;
  std::string text = "[S]\r\nk = " + std::string(size, 'v') + " \r\nnext=1\r\n";
  text[200] = '\xFF';
  ConfigHandle h = parsed(text);
  EXPECT_EQ(strlen(configGetRaw(h, "S", "k")), size);
  EXPECT_STREQ(configGetRaw(h, "S", "next"), "1");
  // And as the start of a bad line: one diagnostic, then the next line.
  std::string bad = "\x01" + std::string(size, '\0') + "\nk=1";
  int result = 0;
  EXPECT_EQ(parseCapturing(h, bad, &result), "Illegal character (ASCII 1) on line 1.\n");
  EXPECT_STREQ(configGetRaw(h, "", "k"), "1");
}

// Processor time of this thread: other work on the machine does not count.
double cpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

double loadSeconds(const std::string &path, int entries) {
  double start = cpuSeconds();
  ConfigHandle h = configLoad(path.c_str());
  double seconds = cpuSeconds() - start;
  EXPECT_EQ(configEntryCount(h, "Big"), entries);
  std::string last = "Key" + std::to_string(entries - 1);
  EXPECT_STREQ(configEntryKey(h, "Big", entries - 1), last.c_str());
  EXPECT_STREQ(configGetRaw(h, "big", "KEY0"), "\"value 0\"");
  configFree(h);
  return seconds;
}

TEST_F(BigInput, MillionEntriesCostAboutTenTimesHundredThousand) {
  TempDir dir;
  for (int entries : {100000, 1000000}) {
    std::string text = "[Big]\n";
    for (int i = 0; i < entries; i++) text += "Key" + std::to_string(i) + " = \"value " + std::to_string(i) + "\"\n";
    writeFile(dir.file(std::to_string(entries)), text);
  }
  // Best of several runs: the first ones pay for fresh memory.
  double small = 1e9, large = 1e9;
  for (int run = 0; run < 3; run++) small = std::min(small, loadSeconds(dir.file("100000"), 100000));
  for (int run = 0; run < 2; run++) large = std::min(large, loadSeconds(dir.file("1000000"), 1000000));
  EXPECT_LT(large, 20 * small + 0.02) << small << " s against " << large << " s";
  printf("100,000 entries: %.4f s; 1,000,000: %.4f s\n", small, large);
}

}  // namespace
