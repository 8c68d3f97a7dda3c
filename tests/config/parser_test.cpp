// The text parser and configLoad: the state machine's diagnostics with their
// exact texts and line numbers, line-end styles, trimming, zero bytes,
// membership of entries, and loading files.
#include "config/config_internal.h"
#include "config_test_support.h"

#include <cstring>

namespace {

using Parser = ConfigTest;

// Every entry as "[section] key=value" lines, in document order.
std::string dump(ConfigHandle h) {
  std::string out;
  for (int i = 0; i < configSectionCount(h); i++) {
    const char *section = configSectionName(h, i);
    for (int j = 0; j < configEntryCount(h, section); j++) {
      const char *key = configEntryKey(h, section, j);
      out += "[" + std::string(section) + "] " + key + "=" + configGetRaw(h, section, key) + "\n";
    }
  }
  return out;
}

std::string withLineEnds(std::string text, const std::string &end) {
  std::string out;
  for (char c : text) out += c == '\n' ? end : std::string(1, c);
  return out;
}

TEST_F(Parser, LineEndStylesGiveTheSameDocumentAndLineNumbers) {
  const std::string text = "[Screen Setup]\nScreenMode = 1\n\n1bad\nword\n[Sound]\nNumVoices=8\n";
  for (const char *end : {"\n", "\r", "\r\n"}) {
    ConfigHandle h = configNew("x");
    int result = 0;
    EXPECT_EQ(parseCapturing(h, withLineEnds(text, end), &result),
              "Illegal character (ASCII 49) on line 4.\nUnexpected newline on line 5.\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(dump(h), "[Screen Setup] ScreenMode=1\n[Sound] NumVoices=8\n");
    configFree(h);
  }
}

TEST_F(Parser, MixedLineEndsCountAsTheyCome) {
  struct Case {
    const char *text;
    const char *printed;
  } cases[] = {
      {"a=1\n\r1\n", "Illegal character (ASCII 49) on line 3.\n"},    // LF CR: two
      {"a=1\r\r\n2\n", "Illegal character (ASCII 50) on line 3.\n"},  // CR CRLF: two
      {"[h\r\n3\n", "Unexpected newline on line 1.\nIllegal character (ASCII 51) on line 2.\n"},
      {"k\r\n4\n", "Unexpected newline on line 1.\nIllegal character (ASCII 52) on line 2.\n"},
      {";c\r\n\r\n5", "Illegal character (ASCII 53) on line 3.\n"},
      {"[s] x\r\n6", "Illegal character (ASCII 54) on line 2.\n"},
      {" \t \n7", "Illegal character (ASCII 55) on line 2.\n"},
  };
  for (const Case &c : cases) {
    int result = 0;
    EXPECT_EQ(parseCapturing(-1, c.text, &result), c.printed) << c.text;
    EXPECT_EQ(result, -1);
  }
}

TEST_F(Parser, IllegalFirstCharactersAreReportedWithTheirByteValue) {
  const std::pair<std::string, int> lines[] = {
      {"1", 49},     {"_x=1", 95},  {"=v", 61},      {"]", 93},  {"\"q\"", 34}, {std::string(1, '\0'), 0},
      {"\x7F", 127}, {"\x80", 128}, {"\xFF=1", 255}, {"\x01", 1}};
  for (const auto &line : lines) {
    ConfigHandle h = configNew("x");
    int result = 0;
    std::string printed = parseCapturing(h, "a=1\n  " + line.first + " rest\nb=2\n", &result);
    EXPECT_EQ(printed, "Illegal character (ASCII " + std::to_string(line.second) + ") on line 2.\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(dump(h), "[] a=1\n[] b=2\n");  // the rest of the bad line is ignored
    configFree(h);
  }
}

TEST_F(Parser, BrokenKeysAndCommentsReportTheirLine) {
  ConfigHandle h = configNew("x");
  int result = 0;
  std::string printed = parseCapturing(h, "a=1\nJustAWord\nkey ; comment = 3\n_\nb = 2\nmore words\n", &result);
  EXPECT_EQ(printed,
            "Unexpected newline on line 2.\n"
            "Unexpected comment on line 3.\nUnexpected newline on line 3.\n"
            "Illegal character (ASCII 95) on line 4.\n"
            "Unexpected newline on line 6.\n");
  EXPECT_EQ(result, -1);
  EXPECT_EQ(dump(h), "[] a=1\n[] b=2\n");
}

TEST_F(Parser, BrokenHeaderKeepsTheSectionBeforeIt) {
  ConfigHandle h = configNew("x");
  int result = 0;
  EXPECT_EQ(parseCapturing(h, "[One]\na=1\n[Tw\nb=2\n[Three]\nc=3\n", &result), "Unexpected newline on line 3.\n");
  EXPECT_EQ(dump(h), "[One] a=1\n[One] b=2\n[Three] c=3\n");
}

TEST_F(Parser, KeysValuesAndHeadersAreDelimitedAndTrimmed) {
  ConfigHandle h = parsed(
      "\t  Two Words \t= \t value with ; and = and [x] \"q\" \t \n"
      "tight=v\n"
      "[ Spaced ] ignored words\n"
      "k=\n"
      "[Spaced]\n"
      "k2 =1\n"
      "; comment = not an entry\n");
  EXPECT_EQ(dump(h),
            "[] Two Words=value with ; and = and [x] \"q\"\n"
            "[] tight=v\n"
            "[ Spaced ] k=\n"
            "[Spaced] k2=1\n");
}

TEST_F(Parser, SectionsComeFromEntriesAndRepeatsContinueThem) {
  ConfigHandle h = parsed("[Empty]\n[A]\nx=1\ny=2\n[Other]\nz=3\n[a]\nX=4\nw=5\n[]\ne=6\n");
  EXPECT_EQ(dump(h), "[A] x=4\n[A] y=2\n[A] w=5\n[Other] z=3\n[] e=6\n");
  EXPECT_EQ(configFindSection(h, "Empty"), nullptr);
}

TEST_F(Parser, EndOfTextWithoutLineEnd) {
  // The last entry is kept; an unfinished header or key is dropped silently.
  ConfigHandle h = parsed("a=1\nlast = 2 \t");
  EXPECT_EQ(dump(h), "[] a=1\n[] last=2\n");
  configFree(h);
  h = parsed("a=1\n[Unfinished");
  EXPECT_EQ(dump(h), "[] a=1\n");
  configFree(h);
  h = parsed("a=1\n[S]\nunfinished key");
  EXPECT_EQ(dump(h), "[] a=1\n");
  configFree(h);
  h = parsed("[S]\nk=");
  EXPECT_EQ(dump(h), "[S] k=\n");
}

TEST_F(Parser, ZeroBytesEndStoredTexts) {
  using namespace std::string_literals;
  ConfigHandle h = parsed("[Sec\0tion]\nke\0y = val\0ue\nab\0 \t= \0x\nz = \t\0\n"s);
  EXPECT_EQ(dump(h), "[Sec] ke=val\n[Sec] ab=\n[Sec] z=\n");
}

TEST_F(Parser, OneLeadingUtf8ByteOrderMarkIsSkipped) {
  // Some Windows editors put EF BB BF before the first line. Only one, and
  // only at the very start, is skipped; it is not a line of its own.
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    std::string text;
    const char *printed;
    const char *entries;
  } cases[] = {
      {bom + "[Screen Setup]\r\nScreenMode = 1\r\n", "", "[Screen Setup] ScreenMode=1\n"},
      {bom + "ScreenMode = 1\n", "", "[] ScreenMode=1\n"},
      {bom + "  ; comment\n[S]\nk=v\n", "", "[S] k=v\n"},
      {bom, "", ""},
      {bom + "1\nk=v\n", "Illegal character (ASCII 49) on line 1.\n", "[] k=v\n"},
      {bom + bom + "[S]\nk=v\n", "Illegal character (ASCII 239) on line 1.\n", "[] k=v\n"},
      {"\n" + bom + "[S]\nk=v\n", "Illegal character (ASCII 239) on line 2.\n", "[] k=v\n"},
      {" " + bom + "[S]\nk=v\n", "Illegal character (ASCII 239) on line 1.\n", "[] k=v\n"},
      {"\xEF\xBB", "Illegal character (ASCII 239) on line 1.\n", ""},
      {"\xEF\xBB[S]\nk=v\n", "Illegal character (ASCII 239) on line 1.\n", "[] k=v\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    ConfigHandle h = configNew("x");
    int result = 0;
    EXPECT_EQ(parseCapturing(h, c.text, &result), c.printed);
    EXPECT_EQ(result, *c.printed ? -1 : 0);
    EXPECT_EQ(dump(h), c.entries);
    configFree(h);
  }
}

TEST_F(Parser, ResultsAndInputsOutsideTheText) {
  ConfigHandle h = configNew("x");
  int result = 7;
  EXPECT_EQ(parseCapturing(h, "", &result), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(configSectionCount(h), 0);
  char text[] = "a=12\n";
  EXPECT_EQ(configParseText(h, nullptr, 4), 1);
  EXPECT_EQ(configParseText(h, text, -1), 1);
  EXPECT_EQ(configSectionCount(h), 0);
  // Only `length` bytes count, whatever follows them.
  EXPECT_EQ(configParseText(h, text, 1), 0);
  EXPECT_EQ(configSectionCount(h), 0);
  EXPECT_EQ(configParseText(h, text, 3), 0);
  EXPECT_STREQ(configGetRaw(h, "", "a"), "1");
  // Without a document the text is still diagnosed.
  EXPECT_EQ(parseCapturing(-1, "a=1\n9\n", &result), "Illegal character (ASCII 57) on line 2.\n");
  EXPECT_EQ(result, -1);
  EXPECT_EQ(parseCapturing(15, "a=1\n", &result), "");
  EXPECT_EQ(configSectionCount(15), 0);
}

TEST_F(Parser, LoadReadsFilesWithAndWithoutErrors) {
  ConfigHandle h = configLoad(TG_CONFIG_TEST_DATA "/gardum_sample.cfg");
  ASSERT_EQ(h, 0);
  EXPECT_EQ(configSectionCount(h), 3);
  EXPECT_STREQ(configGetRaw(h, "Screen Setup", "ScreenWidth"), "640");
  EXPECT_STREQ(configGetRaw(h, "keydefinitions", "Move_Forward"), "\"Up\" \"Kpad8\"");
  EXPECT_STREQ(configGetRaw(h, "Controls", "MouseAiming"), "0");

  testing::internal::CaptureStdout();
  ConfigHandle broken = configLoad(TG_CONFIG_TEST_DATA "/broken_lines.cfg");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Unexpected newline on line 3.\nIllegal character (ASCII 42) on line 5.\n");
  EXPECT_EQ(broken, 1);
  EXPECT_EQ(dump(broken), "[Sound Setup] FXDevice=0\n[Sound Setup] NumVoices=16\n");

  ScratchFolder dir;
  writeFile(dir.file("empty.cfg"), "");
  ConfigHandle empty = configLoad(dir.file("empty.cfg").c_str());
  EXPECT_EQ(empty, 2);
  EXPECT_EQ(configSectionCount(empty), 0);
  EXPECT_STREQ(configDocumentOf(empty)->name, dir.file("empty.cfg").c_str());
}

TEST_F(Parser, LoadingAFileGivesWhatParsingItsTextGives) {
  // configLoad keeps the file's text and ends texts in place; it must store
  // exactly what parsing a copy stores.
  using namespace std::string_literals;
  const std::string texts[] = {
      "a=1\nA = 22222 \t\na=3\r\n[S]\r\nk=v\rk = longer value\rK=\r[s]\nx = y",
      "ke\0y = val\0ue\nab\0 \t= \0x\nlast=\0"s,
      "; only a comment\n\n   \n",
      "k=1\nk=",
      "[Never closed\nword\nkey ; c\n",
      "\xEF\xBB\xBF[S]\r\nk=v\r\n",
      "\xEF\xBB\xBF",
      "\xEF\xBB\xBF\xEF\xBB\xBFk=v\nx=y\n",
  };
  ScratchFolder dir;
  for (const std::string &text : texts) {
    ConfigHandle fromText = configNew("text");
    int result = 0;
    std::string printedByParse = parseCapturing(fromText, text, &result);
    writeFile(dir.file("in.cfg"), text);
    testing::internal::CaptureStdout();
    ConfigHandle fromFile = configLoad(dir.file("in.cfg").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printedByParse);
    EXPECT_EQ(dump(fromFile), dump(fromText)) << text;
    // Replacing values in a loaded document, shorter and longer.
    for (int i = 0; i < configSectionCount(fromFile); i++) {
      const char *section = configSectionName(fromFile, i);
      const char *key = configEntryKey(fromFile, section, 0);
      configPutRaw(fromFile, section, key, "");
      EXPECT_STREQ(configGetRaw(fromFile, section, key), "");
      configPutRaw(fromFile, section, key, "a value longer than any in the file");
      EXPECT_STREQ(configGetRaw(fromFile, section, key), "a value longer than any in the file");
    }
    configFree(fromText);
    configFree(fromFile);
  }
}

TEST_F(Parser, LoadWithAFullTableReturnsMinusOne) {
  for (int i = 0; i < ConfigSlotCount; i++) configNew("filler");
  EXPECT_EQ(configLoad(TG_CONFIG_TEST_DATA "/gardum_sample.cfg"), -1);
}

}  // namespace
