// The writer's layout byte for byte, the setters' encodings, and texts that
// read back exactly after a save and a load.
#include "config_test_support.h"

#include <climits>

namespace {

class Writer : public ConfigTest {
 protected:
  ScratchFolder dir;
  std::string saved(ConfigHandle h) {
    std::string path = dir.file("out.cfg");
    EXPECT_TRUE(configSave(h, path.c_str()));
    return readFile(path);
  }
  ConfigHandle reloaded(ConfigHandle h) {
    saved(h);
    testing::internal::CaptureStdout();
    ConfigHandle again = configLoad(dir.file("out.cfg").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    return again;
  }
};

TEST_F(Writer, LayoutIsHeadersEntriesAndBlankLinesWithCrlf) {
  ConfigHandle h = configNew("x");
  configPutRaw(h, "Screen Setup", "ScreenMode", "1");
  configPutRaw(h, "Sound Setup", "NumVoices", "");
  EXPECT_EQ(saved(h), "[Screen Setup]\r\nScreenMode = 1\r\n\r\n[Sound Setup]\r\nNumVoices = \r\n");
}

TEST_F(Writer, EmptyNamedSectionsHaveNoHeader) {
  ConfigHandle h = configNew("x");
  configPutRaw(h, "", "top", "1");
  configPutRaw(h, "A", "a", "2");
  EXPECT_EQ(saved(h), "top = 1\r\n\r\n[A]\r\na = 2\r\n");
  ConfigHandle back = reloaded(h);
  EXPECT_EQ(configSectionCount(back), 2);
  EXPECT_STREQ(configSectionName(back, 0), "");
  EXPECT_STREQ(configGetRaw(back, "", "top"), "1");

  ConfigHandle late = configNew("y");
  configPutRaw(late, "A", "a", "1");
  configPutRaw(late, "", "b", "2");
  EXPECT_EQ(saved(late), "[A]\r\na = 1\r\n\r\nb = 2\r\n");
  back = reloaded(late);  // read back, the entries join the section before
  EXPECT_EQ(configSectionCount(back), 1);
  EXPECT_STREQ(configEntryKey(back, "A", 1), "b");
}

TEST_F(Writer, UnfilledSectionIsALoneHeaderAndDisappearsOnReading) {
  ConfigHandle h = configNew("x");
  configAddSection(h, "Empty");
  configAddSection(h, "Full");
  configPutRaw(h, "Full", "k", "v");
  EXPECT_EQ(saved(h), "[Empty]\r\n\r\n[Full]\r\nk = v\r\n");
  ConfigHandle back = reloaded(h);
  EXPECT_EQ(configSectionCount(back), 1);
  EXPECT_EQ(configFindSection(back, "Empty"), nullptr);
}

TEST_F(Writer, ReplacingAValueKeepsItsPlace) {
  ConfigHandle h = configNew("x");
  configPutInteger(h, "S", "a", 1, 0);
  configPutInteger(h, "S", "b", 2, 0);
  configPutInteger(h, "s", "A", 3, 0);
  EXPECT_EQ(saved(h), "[S]\r\na = 3\r\nb = 2\r\n");
}

TEST_F(Writer, ReadAndWrittenBackLosesOnlyTheLayout) {
  ConfigHandle h = configLoad(TG_CONFIG_TEST_DATA "/gardum_sample.cfg");
  EXPECT_EQ(saved(h),
            "[Screen Setup]\r\nScreenMode = 1\r\nScreenWidth = 640\r\nScreenHeight = 480\r\n"
            "\r\n[Controls]\r\nMouseAiming = 0\r\n"
            "\r\n[KeyDefinitions]\r\nMove_Forward = \"Up\" \"Kpad8\"\r\nJump = \"A\" \"/\"\r\n");
}

TEST_F(Writer, NumbersAndBooleansAreEncodedAsSpecifiedForms) {
  ConfigHandle h = configNew("x");
  struct Case {
    int32_t value;
    int hex;
    const char *text;
  } ints[] = {{-5, 0, "-5"},
              {255, 1, "0xFF"},
              {0, 1, "0x0"},
              {-1, 1, "0xFFFFFFFF"},
              {INT32_MIN, 0, "-2147483648"},
              {INT32_MIN, 7, "0x80000000"},
              {INT32_MAX, 0, "2147483647"},
              {0xABCDEF, 1, "0xABCDEF"}};
  for (const Case &c : ints) {
    configPutInteger(h, "N", "v", c.value, c.hex);
    EXPECT_STREQ(configGetRaw(h, "N", "v"), c.text);
  }
  configPutBoolean(h, "N", "v", 5);
  EXPECT_STREQ(configGetRaw(h, "N", "v"), "1");
  configPutBoolean(h, "N", "v", 0);
  EXPECT_STREQ(configGetRaw(h, "N", "v"), "0");
  const std::pair<double, const char *> doubles[] = {
      {0.5, "0.5"},       {100000, "100000"}, {1234567, "1.23457e+06"}, {0.0001, "0.0001"},
      {0.00001, "1e-05"}, {-2.25, "-2.25"},   {1e300, "1e+300"},        {0, "0"}};
  for (const auto &d : doubles) {
    configPutDouble(h, "N", "v", d.first);
    EXPECT_STREQ(configGetRaw(h, "N", "v"), d.second);
  }
  EXPECT_EQ(configEntryCount(h, "N"), 1);
}

TEST_F(Writer, StringsAreQuotedAndEscapedSoTheyReadBack) {
  ConfigHandle h = configNew("x");
  configPutString(h, "S", "plain", "Kpad8");
  EXPECT_STREQ(configGetRaw(h, "S", "plain"), "\"Kpad8\"");
  configPutString(h, "S", "empty", "");
  EXPECT_STREQ(configGetRaw(h, "S", "empty"), "\"\"");
  configPutStringPair(h, "S", "pair", "Up", "");
  EXPECT_STREQ(configGetRaw(h, "S", "pair"), "\"Up\" \"\"");
  configPutString(h, "S", "odd", "a\\b\"c\rd\ne\tf");
  EXPECT_STREQ(configGetRaw(h, "S", "odd"), "\"a\\\\b\\\"c\\rd\\ne\tf\"");
  configPutStringPair(h, "S", "backslash", "\\", "\"");
  EXPECT_STREQ(configGetRaw(h, "S", "backslash"), "\"\\\\\" \"\\\"\"");

  ConfigHandle back = reloaded(h);
  char first[32], second[32];
  configGetString(back, "S", "odd", first, sizeof first);
  EXPECT_STREQ(first, "a\\b\"c\rd\ne\tf");
  configGetStringPair(back, "S", "backslash", first, sizeof first, second, sizeof second);
  EXPECT_STREQ(first, "\\");
  EXPECT_STREQ(second, "\"");
  strcpy(second, "untouched");
  configGetStringPair(back, "S", "pair", first, sizeof first, second, sizeof second);
  EXPECT_STREQ(first, "Up");
  EXPECT_STREQ(second, "");
}

TEST_F(Writer, SettersIgnoreMissingDocumentsAndTexts) {
  ConfigHandle h = configNew("x");
  configPutString(h, "S", "k", nullptr);
  configPutString(h, "S", nullptr, "t");
  configPutStringPair(h, "S", "k", "a", nullptr);
  configPutStringPair(h, nullptr, "k", "a", "b");
  configPutInteger(h, "S", nullptr, 1, 0);
  configPutBoolean(h, nullptr, "k", 1);
  configPutDouble(h, "S", nullptr, 1.0);
  EXPECT_EQ(configSectionCount(h), 0);
  configPutString(-1, "S", "k", "t");
  configPutInteger(20, "S", "k", 1, 1);
  EXPECT_FALSE(configSave(-1, dir.file("none.cfg").c_str()));
  EXPECT_FALSE(configSave(h, nullptr));
  EXPECT_EQ(dir.names(), std::vector<std::string>{});
  // An empty document is written as an empty file.
  EXPECT_EQ(saved(h), "");
}

}  // namespace
