// Documents and the handle table: slots, lookups, enumeration with clamping,
// null against empty answers, and texts that never move.
#include "config/config_internal.h"
#include "config_test_support.h"

#include <climits>
#include <cstring>

namespace {

using Document = ConfigTest;

TEST_F(Document, TableHasTwentySlotsAndReusesTheLowest) {
  for (int i = 0; i < ConfigSlotCount; i++) EXPECT_EQ(configNew("doc"), i);
  EXPECT_EQ(configNew("one too many"), -1);
  configFree(5);
  configFree(12);
  EXPECT_EQ(configNew(nullptr), 5);
  EXPECT_EQ(configNew(""), 12);
  EXPECT_EQ(configNew("full again"), -1);
}

TEST_F(Document, NameIsCutTo127Characters) {
  std::string longName(300, 'n');
  ConfigHandle h = configNew(longName.c_str());
  EXPECT_EQ(std::string(configDocumentOf(h)->name), longName.substr(0, 127));
}

TEST_F(Document, HandlesWithoutDocumentGiveNeutralAnswers) {
  ConfigHandle freed = configNew("x");
  configPutRaw(freed, "S", "k", "v");
  configFree(freed);
  for (ConfigHandle h : {-1, (int)ConfigSlotCount, freed, 1000}) {
    configFree(h);
    configPutRaw(h, "S", "k", "v");
    EXPECT_EQ(configFindSection(h, "S"), nullptr);
    EXPECT_EQ(configAddSection(h, "S"), nullptr);
    EXPECT_EQ(configSectionCount(h), 0);
    EXPECT_STREQ(configSectionName(h, 0), "");
    EXPECT_EQ(configEntryCount(h, "S"), 0);
    EXPECT_EQ(configEntryKey(h, "S", 0), nullptr);
    EXPECT_EQ(configGetRaw(h, "S", "k"), nullptr);
    EXPECT_FALSE(configEntryExists(h, "S", "k"));
  }
  EXPECT_EQ(configNew("again"), freed);  // nothing was created by the calls
  EXPECT_EQ(configSectionCount(freed), 0);
}

TEST_F(Document, EmptyDocumentAndMissingNamesAnswerAsDocumented) {
  ConfigHandle h = configNew("x");
  EXPECT_STREQ(configSectionName(h, 3), "");
  EXPECT_EQ(configEntryKey(h, "S", 0), nullptr);  // no sections yet: null
  EXPECT_EQ(configGetRaw(h, "S", "k"), nullptr);
  ConfigSection *added = configAddSection(h, "Empty");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(configAddSection(h, "EMPTY"), added);
  EXPECT_EQ(configAddSection(h, nullptr), nullptr);
  EXPECT_EQ(configSectionCount(h), 1);
  EXPECT_EQ(configEntryCount(h, "Empty"), 0);
  EXPECT_STREQ(configEntryKey(h, "Empty", 0), "");    // empty section
  EXPECT_STREQ(configEntryKey(h, "Missing", 0), "");  // missing section
  EXPECT_STREQ(configGetRaw(h, "Missing", "k"), "");
  EXPECT_STREQ(configGetRaw(h, "Empty", "k"), "");
  EXPECT_EQ(configFindSection(h, nullptr), nullptr);
  EXPECT_EQ(configFindEntry(added, "k"), nullptr);
  EXPECT_EQ(configFindEntry(nullptr, "k"), nullptr);
  EXPECT_EQ(configFindEntry(added, nullptr), nullptr);
  configPutRaw(h, "S", nullptr, "v");
  configPutRaw(h, "S", "k", nullptr);
  configPutRaw(h, nullptr, "k", "v");
  EXPECT_EQ(configSectionCount(h), 1);
}

TEST_F(Document, EnumerationClampsIndexes) {
  ConfigHandle h = configNew("x");
  for (const char *name : {"One", "Two", "Three"})
    for (const char *key : {"a", "b"}) configPutRaw(h, name, key, name);
  EXPECT_EQ(configSectionCount(h), 3);
  EXPECT_EQ(configEntryCount(h, "THREE"), 2);
  // Both ends and one step past each: index == count is the first that must
  // be clamped.
  const struct {
    int index;
    const char *section;
    const char *key;
  } cases[] = {
      {INT_MIN, "One", "a"}, {-1, "One", "a"},  {0, "One", "a"},    {1, "Two", "b"},
      {2, "Three", "b"},     {3, "Three", "b"}, {99, "Three", "b"}, {INT_MAX, "Three", "b"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_STREQ(configSectionName(h, c.index), c.section);
    EXPECT_STREQ(configEntryKey(h, "two", c.index), c.key);  // two entries: a, b
  }
}

TEST_F(Document, PutRawReplacesCaseInsensitivelyInPlace) {
  ConfigHandle h = configNew("x");
  configPutRaw(h, "Controls", "MouseSensitivity", "1");
  configPutRaw(h, "Controls", "MouseAiming", "0");
  configPutRaw(h, "Controls", "Other", "2");
  configPutRaw(h, "CONTROLS", "MOUSEAIMING", "1");
  EXPECT_EQ(configSectionCount(h), 1);
  EXPECT_STREQ(configSectionName(h, 0), "Controls");
  EXPECT_EQ(configEntryCount(h, "controls"), 3);
  EXPECT_STREQ(configEntryKey(h, "Controls", 1), "MouseAiming");
  EXPECT_STREQ(configGetRaw(h, "controls", "mouseaiming"), "1");
  EXPECT_TRUE(configEntryExists(h, "Controls", "mouseAiming"));
  EXPECT_FALSE(configEntryExists(h, "Controls", "MouseAimin"));
}

TEST_F(Document, OnlyAsciiLettersFoldCase) {
  // Pairs that differ only in bit 0x20 but are not letters stay distinct.
  ConfigHandle h = configNew("x");
  const char *keys[] = {"a[", "a{", "a@", "a`", "a\xC9", "a\xE9", "a^", "a~"};
  for (const char *key : keys) configPutRaw(h, "S", key, key);
  EXPECT_EQ(configEntryCount(h, "S"), 8);
  for (const char *key : keys) EXPECT_STREQ(configGetRaw(h, "S", key), key);
  configPutRaw(h, "S\xC9", "k", "1");
  EXPECT_EQ(configFindSection(h, "s\xE9"), nullptr);
}

TEST_F(Document, ReplacedValuesReadBackWhateverTheirLength) {
  ConfigHandle h = configNew("x");
  configPutRaw(h, "S", "k", "medium");
  configPutRaw(h, "S", "k", "a much longer value than before");
  EXPECT_STREQ(configGetRaw(h, "S", "k"), "a much longer value than before");
  configPutRaw(h, "S", "k", "short");
  EXPECT_STREQ(configGetRaw(h, "S", "k"), "short");
  configPutRaw(h, "S", "k", configGetRaw(h, "S", "k") + 2);  // overlaps the old text
  EXPECT_STREQ(configGetRaw(h, "S", "k"), "ort");
  configPutRaw(h, "S", "k", "");
  EXPECT_STREQ(configGetRaw(h, "S", "k"), "");
}

TEST_F(Document, AddingNeverMovesTextsSectionsOrEntries) {
  ConfigHandle h = configNew("x");
  configPutRaw(h, "First", "key", "value");
  ConfigSection *section = configFindSection(h, "First");
  ConfigEntry *entry = configFindEntry(section, "key");
  const char *name = configSectionName(h, 0);
  const char *key = configEntryKey(h, "First", 0);
  const char *value = configGetRaw(h, "First", "key");
  char label[32];
  for (int i = 0; i < 20000; i++) {
    snprintf(label, sizeof label, "k%d", i);
    configPutRaw(h, "First", label, label);
    snprintf(label, sizeof label, "Section%d", i);
    configPutRaw(h, label, "key", label);
  }
  EXPECT_EQ(configFindSection(h, "first"), section);
  EXPECT_EQ(configFindEntry(section, "KEY"), entry);
  EXPECT_EQ(configSectionName(h, 0), name);
  EXPECT_EQ(configEntryKey(h, "First", 0), key);
  EXPECT_EQ(configGetRaw(h, "First", "key"), value);
  EXPECT_STREQ(value, "value");
  // Every entry is still found, in creation order.
  EXPECT_EQ(configSectionCount(h), 20001);
  EXPECT_EQ(configEntryCount(h, "First"), 20001);
  EXPECT_STREQ(configEntryKey(h, "First", 12346), "k12345");
  EXPECT_STREQ(configSectionName(h, 20000), "Section19999");
  EXPECT_STREQ(configGetRaw(h, "section777", "KEY"), "Section777");
  EXPECT_STREQ(configGetRaw(h, "First", "K19999"), "k19999");
}

}  // namespace
