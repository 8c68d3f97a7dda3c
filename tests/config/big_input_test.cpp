// Inputs of any bytes and any size: random text never crashes the parser or
// breaks the document's rules, a 100 MB line is one value, and a section of
// 1,000,000 entries costs no more index work per entry than 1,000 do.
#include "config/config_internal.h"
#include "config_test_support.h"

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

// The work of loading is counted, not timed: every entry may cost only a
// bounded number of index probes, whatever the size, which makes a million
// entries cost ten times a hundred thousand. The key is fixed so that the
// count is the same on every run.
TEST_F(BigInput, EveryEntryCostsABoundedNumberOfProbes) {
  const uint64_t key[2] = {0x0123456789ABCDEFu, 0x0F1E2D3C4B5A6978u};
  ASSERT_TRUE(configSetHashKey(key));
  ScratchFolder dir;
  // Smallest first, so that an index that scans fails before the big files
  // take hours.
  for (int entries : {1000, 100000, 1000000}) {
    SCOPED_TRACE(entries);
    std::string text = "[Big]\n";
    for (int i = 0; i < entries; i++) text += "Key" + std::to_string(i) + " = \"value " + std::to_string(i) + "\"\n";
    writeFile(dir.file("big.cfg"), text);
    uint64_t before = ConfigIndexProbes;
    ConfigHandle h = configLoad(dir.file("big.cfg").c_str());
    uint64_t probes = ConfigIndexProbes - before;
    printf("%d entries: %.2f probes per entry\n", entries, (double)probes / entries);
    ASSERT_LE(probes, ProbesPerEntryBound * entries);
    EXPECT_EQ(configEntryCount(h, "Big"), entries);
    std::string last = "Key" + std::to_string(entries - 1);
    EXPECT_STREQ(configEntryKey(h, "Big", entries - 1), last.c_str());
    EXPECT_STREQ(configGetRaw(h, "big", "KEY0"), "\"value 0\"");
    // Lookups cost a bounded number of probes too, found or not.
    before = ConfigIndexProbes;
    for (int i = 0; i < entries; i += 7) {
      std::string key = "key" + std::to_string(i);
      ASSERT_NE(configFindEntry(configFindSection(h, "Big"), key.c_str()), nullptr);
      ASSERT_EQ(configFindEntry(configFindSection(h, "Big"), (key + "x").c_str()), nullptr);
    }
    probes = ConfigIndexProbes - before;
    EXPECT_LE(probes, ProbesPerEntryBound * (entries / 7 + 1) * 4) << probes;
    configFree(h);
  }
}

}  // namespace
