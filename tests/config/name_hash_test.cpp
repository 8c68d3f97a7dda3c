// The keyed hash behind the name indexes: it is SipHash (published vectors),
// it folds exactly the ASCII capitals, the key can only change while no
// document holds hashes, and names crafted to crowd one slot under a known key
// spread under any other, so loading them stays linear.
#include "config/config_internal.h"
#include "config_test_support.h"

#include <cstring>
#include <set>

namespace {

using NameHash = ConfigTest;

const uint64_t AttackerKey[2] = {0x0123456789ABCDEFu, 0xFEDCBA9876543210u};
const uint64_t FreshKey[2] = {0x5EED5EED5EED5EEDu, 0x0DDBA11CAFEF00D5u};

TEST_F(NameHash, MatchesThePublishedSipHashVectors) {
  // The reference messages are the bytes 0, 1, 2, ...: no capitals to fold.
  char message[64];
  for (int i = 0; i < 64; i++) message[i] = (char)i;
  const uint64_t zeroKey[2] = {0, 0};
  const uint64_t countingKey[2] = {0x0706050403020100u, 0x0F0E0D0C0B0A0908u};  // bytes 0..15
  const struct {
    bool full;  // SipHash-2-4 under the counting key; else SipHash-1-3 under zeros
    size_t length;
    uint64_t expected;
  } cases[] = {
      {false, 0, 0xd1fba762150c532cu},  {false, 1, 0x68a914128e01e473u},  {false, 7, 0x2f098ab0c751325au},
      {false, 8, 0xead411e67ebe2eeau},  {false, 15, 0xf30eb725bb91c9eau}, {false, 16, 0x8972188433a5c5b7u},
      {false, 63, 0x385d3e39e5f37359u}, {true, 0, 0x726fdb47dd0e0e31u},   {true, 1, 0x74f839c593dc67fdu},
      {true, 7, 0xab0200f58b01d137u},   {true, 8, 0x93f5f5799a932462u},   {true, 15, 0xa129ca6149be45e5u},
      {true, 16, 0x3f2acc7f57c29bdbu},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << (c.full ? "2-4" : "1-3") << " length " << c.length);
    uint64_t got =
        c.full ? configSipHash24(countingKey, message, c.length) : configSipHash13(zeroKey, message, c.length);
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(NameHash, FoldsExactlyTheAsciiCapitals) {
  // Every byte value at every place of a name that spans one full word and a
  // tail: a capital hashes like its small letter 0x20 above, any other byte
  // unlike the byte 0x20 above it.
  ASSERT_TRUE(configSetHashKey(FreshKey));
  for (size_t place = 0; place < 11; place++) {
    for (int byte = 0; byte < 256; byte++) {
      char name[11];
      memcpy(name, "abcdefghijk", sizeof name);
      name[place] = (char)byte;
      char other[11];
      memcpy(other, name, sizeof name);
      other[place] = (char)(byte + 0x20);
      SCOPED_TRACE(testing::Message() << "byte " << byte << " at " << place);
      if (byte >= 'A' && byte <= 'Z') {
        EXPECT_EQ(configHashName(name, sizeof name), configHashName(other, sizeof other));
      } else if (byte < 0xE0) {
        EXPECT_NE(configHashName(name, sizeof name), configHashName(other, sizeof other));
      }
    }
  }
}

TEST_F(NameHash, KeyChangesOnlyWhileNoDocumentIsHeld) {
  ASSERT_TRUE(configSetHashKey(AttackerKey));
  uint32_t before = configHashName("ScreenWidth", 11);
  ConfigHandle h = configNew("held");
  configPutRaw(h, "Screen Setup", "ScreenWidth", "640");
  EXPECT_FALSE(configSetHashKey(FreshKey));
  EXPECT_EQ(configHashName("ScreenWidth", 11), before);
  EXPECT_STREQ(configGetRaw(h, "screen setup", "SCREENWIDTH"), "640");
  configFree(h);
  EXPECT_TRUE(configSetHashKey(FreshKey));
  EXPECT_NE(configHashName("ScreenWidth", 11), before);
}

TEST_F(NameHash, RandomKeysDifferFromEachOther) {
  uint64_t first[2], second[2];
  configRandomHashKey(first);
  configRandomHashKey(second);
  EXPECT_TRUE(first[0] != second[0] || first[1] != second[1]);
  EXPECT_TRUE(first[0] != 0 || first[1] != 0);
}

// `count` names whose hashes under `key` agree in their low `bits` bits, so
// that they share a home slot in every index of up to 2^bits slots: what an
// attacker who knew the key would put in a file.
std::vector<std::string> namesCollidingUnder(const uint64_t key[2], int count, int bits) {
  EXPECT_TRUE(configSetHashKey(key));
  const uint32_t mask = (1u << bits) - 1;
  std::vector<std::string> names;
  char name[24];
  for (uint32_t i = 0; (int)names.size() < count; i++) {
    int length = snprintf(name, sizeof name, "k%x", i);
    if ((configHashName(name, (size_t)length) & mask) == 0) names.push_back(name);
  }
  return names;
}

TEST_F(NameHash, NamesCraftedForOneKeySpreadUnderAnother) {
  // 1024 entries fill an index of 2048 slots; all share home slot 0 there
  // under the attacker's key.
  const int count = 1024;
  const uint32_t slots = 2048;
  std::vector<std::string> names = namesCollidingUnder(AttackerKey, count, 11);
  std::string text = "[Flood]\n";
  for (const std::string &name : names) text += name + " = 1\n";
  ScratchFolder dir;
  writeFile(dir.file("flood.cfg"), text);

  struct Run {
    const uint64_t *key;
    size_t homeSlots;  // distinct home slots of the names in a full index
    uint64_t probes;   // index slots examined while loading the file
  } runs[] = {{AttackerKey, 0, 0}, {FreshKey, 0, 0}};
  for (Run &run : runs) {
    ASSERT_TRUE(configSetHashKey(run.key));
    std::set<uint32_t> homes;
    for (const std::string &name : names) homes.insert(configHashName(name.data(), name.size()) & (slots - 1));
    run.homeSlots = homes.size();
    uint64_t before = ConfigIndexProbes;
    ConfigHandle h = configLoad(dir.file("flood.cfg").c_str());
    run.probes = ConfigIndexProbes - before;
    EXPECT_EQ(configEntryCount(h, "Flood"), count);
    EXPECT_EQ(configDocumentOf(h)->sections[0]->index.mask + 1, slots);
    configFree(h);
  }
  printf("crafted names: %zu home slot(s), %.1f probes per entry; under another key: %zu, %.1f\n", runs[0].homeSlots,
         (double)runs[0].probes / count, runs[1].homeSlots, (double)runs[1].probes / count);
  // Knowing the key, the attacker gets one slot and quadratic work; under a
  // key he does not know, the names land as any others do.
  EXPECT_EQ(runs[0].homeSlots, 1u);
  EXPECT_GE(runs[0].probes, (uint64_t)count * count / 2);
  EXPECT_GE(runs[1].homeSlots, (size_t)count / 2);
  EXPECT_LE(runs[1].probes, ProbesPerEntryBound * count);
}

// A process that never fixes the key draws its own: names crafted to share a
// home slot under the all-zero key load, in a fresh process, with the work
// of any other names.
TEST(NameHashKey, AFreshProcessDrawsAKeyOfItsOwn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts afresh, with no key taken
  const uint64_t zeroKey[2] = {0, 0};
  const int count = 1024;
  std::string text = "[Flood]\n";
  char name[24];
  for (uint32_t i = 0, found = 0; found < count; i++) {
    int length = snprintf(name, sizeof name, "k%x", i);
    if ((configSipHash13(zeroKey, name, (size_t)length) & 2047) != 0) continue;
    text += std::string(name) + " = 1\n";
    found++;
  }
  EXPECT_EXIT(
      {
        ConfigHandle h = configNew("flood");
        uint64_t before = ConfigIndexProbes;
        configParseText(h, text.data(), (long)text.size());
        exit(ConfigIndexProbes - before <= ProbesPerEntryBound * count ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
