/*
 * tarrengard-cfg's document commands (check, dump, get, set, normalize) and
 * its command line, observed from outside: stdout, stderr, exit status and
 * the files it writes, byte for byte.
 */
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

const std::string ErrorPrefix = "tarrengard-cfg: ";

class CfgTool : public ::testing::Test {
 protected:
  std::string path(const std::string &name) const { return folder + "/" + name; }

  // Writes `bytes` to a file in the test folder and returns its path.
  std::string file(const std::string &name, const std::string &bytes) const {
    std::string p = path(name);
    writeFile(p, bytes);
    return p;
  }

  ScratchFolder scratch;
  const std::string folder = scratch.path();
};

void expectFailure(const ToolRun &run) {
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind(ErrorPrefix, 0), 0u) << run.err;
}

// ---- command line ---------------------------------------------------------------

TEST_F(CfgTool, HelpNamesEveryCommandAndMode) {
  for (const char *flag : {"--help", "-h"}) {
    ToolRun run = runTool({flag});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char *word : {"check", "dump", "get", "set", "normalize", "settings", "save", "--raw", "--string",
                             "--pair", "--int", "--hex", "--bool", "--double", "-o", "-C", "\\u00XX"}) {
      EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
  }
  EXPECT_EQ(runTool({"--help", "check", "x"}).out, runTool({"-h"}).out);
}

// Only the first argument asks for help. Anywhere else "-h" is a value and
// "--help" an unknown option: a script must never see success for work that
// was not done.
TEST_F(CfgTool, HelpIsAskedForOnlyByTheFirstArgument) {
  std::string cfg = path("f.cfg");
  ToolRun value = runTool({"set", cfg, "S", "k", "-h", "--raw"});
  EXPECT_EQ(value.status, 0) << value.err;
  EXPECT_EQ(value.out, "");
  EXPECT_EQ(readFile(cfg), "[S]\r\nk = -h\r\n");
  EXPECT_EQ(runTool({"get", cfg, "S", "k", "--raw"}).out, "\"-h\"\n");
  EXPECT_EQ(runTool({"set", cfg, "S", "m", "--raw", "--", "--help"}).status, 0);
  EXPECT_EQ(readFile(cfg), "[S]\r\nk = -h\r\nm = --help\r\n");

  const std::vector<std::vector<std::string>> refused = {
      {"set", cfg, "S", "k", "1", "--raw", "--help"},
      {"set", cfg, "--help", "S", "k", "1", "--raw"},
      {"get", cfg, "S", "k", "--raw", "--help"},
      {"dump", cfg, "--help"},
      {"check", "--help"},
      {"normalize", cfg, "--help"},
      {"settings", "--help"},
      {"save", "--help"},
      {"check", "-h"},  // a FILE named "-h", which does not exist
  };
  for (const auto &line : refused) {
    SCOPED_TRACE(line[0] + " " + line[line.size() - 1]);
    ToolRun run = runTool(line);
    expectFailure(run);
    EXPECT_EQ(run.err.find("usage:"), std::string::npos);
  }
  EXPECT_EQ(readFile(cfg), "[S]\r\nk = -h\r\nm = --help\r\n");
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"f.cfg"});
}

TEST_F(CfgTool, UsageErrorsExitTwoWithAMessage) {
  std::string cfg = file("a.cfg", "[S]\nK = 1\n");
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"frobnicate"},
      {"check"},
      {"check", cfg, cfg},
      {"dump"},
      {"get", cfg, "S", "K"},                    // no mode
      {"get", cfg, "S", "--raw"},                // no key
      {"get", cfg, "S", "K", "--raw", "--int"},  // two modes
      {"get", cfg, "S", "K", "--hex"},           // a set-only mode
      {"get", cfg, "S", "K", "extra", "--raw"},
      {"get", cfg, "S", "K", "--rwa"},
      {"set", cfg, "S", "K", "--int"},        // no value
      {"set", cfg, "S", "K", "1"},            // no mode
      {"set", cfg, "S", "K", "1", "--pair"},  // a get-only mode
      {"normalize"},
      {"normalize", cfg, "-o"},
      {"normalize", cfg, "-o", "x", "-o", "y"},
      {"settings", "extra"},
      {"settings", "-C"},
      {"save", "-o", "x"},
  };
  for (const auto &line : lines) {
    ToolRun run = runTool(line);
    std::string shown;
    for (const auto &arg : line) shown += arg + " ";
    SCOPED_TRACE(shown);
    expectFailure(run);
  }
  EXPECT_EQ(readFile(cfg), "[S]\nK = 1\n");
}

TEST_F(CfgTool, OptionsMayStandAnywhereAndNegativeNumbersAreValues) {
  std::string cfg = path("a.cfg");
  EXPECT_EQ(runTool({"set", "--int", cfg, "S", "K", "-5"}).status, 0);
  EXPECT_EQ(runTool({"set", cfg, "--double", "S", "D", "-1.5"}).status, 0);
  EXPECT_EQ(readFile(cfg), "[S]\r\nK = -5\r\nD = -1.5\r\n");
  ToolRun run = runTool({"get", "--int", cfg, "S", "K"});
  EXPECT_EQ(run.out, "{\"value\":-5,\"status\":0}\n");
}

TEST_F(CfgTool, MissingOrUnreadableFilesExitTwoWithoutTheLibraryMessage) {
  std::string missing = path("missing.cfg");
  for (const std::vector<std::string> &line : {std::vector<std::string>{"check", missing},
                                               {"dump", missing},
                                               {"get", missing, "S", "K", "--raw"},
                                               {"normalize", missing},
                                               // A folder opens on Linux but cannot be read as a file.
                                               {"check", folder},
                                               {"dump", folder},
                                               {"get", folder, "S", "K", "--int"}}) {
    ToolRun run = runTool(line);
    SCOPED_TRACE(line[0] + " " + line[1]);
    expectFailure(run);
    EXPECT_NE(run.err.find(line[1]), std::string::npos) << run.err;
  }
  EXPECT_FALSE(pathExists(missing));
}

// An answer that never reached its reader must not look like success.
TEST_F(CfgTool, LostOutputExitsTwo) {
  if (!pathExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string cfg = file("a.cfg", "[S]\nK = 1\n");
  ToolRunOptions full;
  full.stdoutPath = "/dev/full";
  for (const std::vector<std::string> &line : {std::vector<std::string>{"dump", cfg},
                                               {"get", cfg, "S", "K", "--raw"},
                                               {"--help"},
                                               {"settings", "-C", folder}}) {
    ToolRun run = runTool(line, full);
    EXPECT_EQ(run.status, 2) << line[0];
    EXPECT_EQ(run.err.rfind(ErrorPrefix, 0), 0u) << run.err;
  }
}

// An exception must not end the tool through std::terminate: it answers with
// its own message and status like any other failure. Here it is
// std::bad_alloc from "get --pair", whose two answer buffers each take the
// value's size: a 128 MB value loads within 2.5 times its size of address
// space (the file's bytes and the document's copy of them), and the second
// buffer does not fit. The same file and limit serve "check", which loads it
// as "get" does, to show that the file itself reads fine.
TEST_F(CfgTool, ExhaustedMemoryEndsWithTheToolsOwnMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit that would make allocations fail";
#else
  SKIP_UNLESS_POSIX_TOOL("the address space is limited the POSIX way");
  const long valueSize = 128L << 20;
  std::string cfg = path("big.cfg");
  writeFile(cfg, "[S]\r\nK = " + std::string(valueSize, 'v') + "\r\n");
  ToolRunOptions limited;
  limited.addressSpaceLimit = valueSize * 5 / 2 + (8L << 20);

  ToolRun check = runTool({"check", cfg}, limited);
  ASSERT_EQ(check.status, 0) << "the limit leaves too little to load the file: " << check.err;

  ToolRun pair = runTool({"get", cfg, "S", "K", "--pair"}, limited);
  EXPECT_EQ(pair.status, 2);
  EXPECT_EQ(pair.out, "");
  EXPECT_EQ(pair.err, ErrorPrefix + "out of memory\n");
  EXPECT_EQ(std::filesystem::file_size(cfg), valueSize + 11u);
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"big.cfg"});
#endif
}

// ---- check ------------------------------------------------------------------------

TEST_F(CfgTool, CheckOfACleanFilePrintsNothing) {
  for (const char *text :
       {"", "[Screen Setup]\r\nScreenMode = 1\r\n", "; only a comment\n\n", "k=v", "[A]\rx = 1\r[B]\ny=2\n"}) {
    ToolRun run = runTool({"check", file("clean.cfg", text)});
    EXPECT_EQ(run.status, 0) << text;
    EXPECT_EQ(run.out, "") << text;
    EXPECT_EQ(run.err, "") << text;
  }
}

TEST_F(CfgTool, CheckPrintsEveryDiagnosticOnStdoutAndExitsOne) {
  std::string cfg = file("bad.cfg",
                         "[Screen Setup]\r\n"
                         "ScreenMode = 1\r\n"
                         "1abc\r\n"
                         "_x = 2\r\n"
                         "word\r\n"
                         "key;comment\r\n"
                         "\xFF\r\n"
                         "  \t\x01 tail\r\n"
                         "[broken\r\n"
                         "Good = 2\r\n");
  ToolRun run = runTool({"check", cfg});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Illegal character (ASCII 49) on line 3.\n"
            "Illegal character (ASCII 95) on line 4.\n"
            "Unexpected newline on line 5.\n"
            "Unexpected comment on line 6.\n"
            "Unexpected newline on line 6.\n"
            "Illegal character (ASCII 255) on line 7.\n"
            "Illegal character (ASCII 1) on line 8.\n"
            "Unexpected newline on line 9.\n");
}

TEST_F(CfgTool, CheckCountsLinesTheSameForEveryLineEndStyle) {
  for (const char *end : {"\n", "\r", "\r\n"}) {
    std::string text = std::string("[A]") + end + "x = 1" + end + "2bad" + end + end + "y" + end;
    ToolRun run = runTool({"check", file("ends.cfg", text)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Illegal character (ASCII 50) on line 3.\nUnexpected newline on line 5.\n");
  }
}

// ---- dump ---------------------------------------------------------------------------

TEST_F(CfgTool, DumpListsSectionsAndEntriesInDocumentOrder) {
  std::string cfg = file("order.cfg",
                         "Top = 1\n"
                         "[A]\n"
                         "x = 1\n"
                         "y=2\n"
                         "[B]\n"
                         "z = 3\n"
                         "[Empty header]\n"
                         "[a]\n"
                         "X = 9\n"
                         "w = 4\n"
                         "[My Section]\n"
                         "two words = v ; not a comment = still value\n"
                         "empty =\n");
  ToolRun run = runTool({"dump", cfg});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "{\"sections\":["
            "{\"name\":\"\",\"entries\":[[\"Top\",\"1\"]]},"
            "{\"name\":\"A\",\"entries\":[[\"x\",\"9\"],[\"y\",\"2\"],[\"w\",\"4\"]]},"
            "{\"name\":\"B\",\"entries\":[[\"z\",\"3\"]]},"
            "{\"name\":\"My Section\",\"entries\":[[\"two words\",\"v ; not a comment = still "
            "value\"],[\"empty\",\"\"]]}"
            "]}\n");
}

TEST_F(CfgTool, DumpEscapesEveryByteOutsidePrintableAscii) {
  std::string value = "a\"b\\c\x01\x1f\x7f\x80\xff\t\xc3\xa9~ ";
  std::string cfg = file("bytes.cfg", std::string("[S\x01\xfe]\nKey = ") + value + "|\n");
  ToolRun run = runTool({"dump", cfg});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\"sections\":[{\"name\":\"S\\u0001\\u00FE\",\"entries\":[[\"Key\","
            "\"a\\\"b\\\\c\\u0001\\u001F\\u007F\\u0080\\u00FF\\u0009\\u00C3\\u00A9~ |\"]]}]}\n");
  for (char c : run.out) EXPECT_TRUE((c >= 0x20 && c < 0x7F) || c == '\n') << int(c);
}

TEST_F(CfgTool, DumpCutsAZeroByteTextAtTheZero) {
  ToolRun run = runTool({"dump", file("zero.cfg", std::string("[S]\nk = ab\0cd\nm = 2\n", 20))});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "{\"sections\":[{\"name\":\"S\",\"entries\":[[\"k\",\"ab\"],[\"m\",\"2\"]]}]}\n");
}

// Ctrl-Z (0x1A) is an ordinary byte of a value; it ends a file only for a
// reader in text mode, which would lose everything after it.
TEST_F(CfgTool, ACtrlZByteDoesNotEndTheFile) {
  std::string cfg = file("ctrlz.cfg", "[A]\nk = 1\nbad = x\x1Ay\nlater = 2\n");
  ToolRun run = runTool({"dump", cfg});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"sections\":[{\"name\":\"A\",\"entries\":"
            "[[\"k\",\"1\"],[\"bad\",\"x\\u001Ay\"],[\"later\",\"2\"]]}]}\n");
  ToolRun normalized = runTool({"normalize", cfg});
  EXPECT_EQ(normalized.status, 0) << normalized.err;
  EXPECT_EQ(readFile(cfg), "[A]\r\nk = 1\r\nbad = x\x1Ay\r\nlater = 2\r\n");
}

TEST_F(CfgTool, DumpOfAnEmptyFileAndTheLastLineWithoutLineEnd) {
  EXPECT_EQ(runTool({"dump", file("empty.cfg", "")}).out, "{\"sections\":[]}\n");
  EXPECT_EQ(runTool({"dump", file("header.cfg", "[Only a header]\n")}).out, "{\"sections\":[]}\n");
  // The last entry counts even without its line end.
  EXPECT_EQ(runTool({"dump", file("last.cfg", "[S]\nk = 1\nm = 2")}).out,
            "{\"sections\":[{\"name\":\"S\",\"entries\":[[\"k\",\"1\"],[\"m\",\"2\"]]}]}\n");
}

TEST_F(CfgTool, DumpSendsDiagnosticsToStderrAndKeepsStdoutJson) {
  ToolRun run = runTool({"dump", file("diag.cfg", "[S]\n1bad\nk = v\nword\n")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "{\"sections\":[{\"name\":\"S\",\"entries\":[[\"k\",\"v\"]]}]}\n");
  EXPECT_EQ(run.err, "Illegal character (ASCII 49) on line 2.\nUnexpected newline on line 4.\n");
}

// ---- get -------------------------------------------------------------------------

class CfgToolGet : public CfgTool {
 protected:
  void SetUp() override {
    CfgTool::SetUp();
    cfg = file("get.cfg",
               "[S]\n"
               "raw = \"a\\\\b\" tail\n"
               "esc = \"q\\\"x\\ny\\z\"\n"
               "pair = \"Up\" \"Kpad8\"\n"
               "one = \"Jump\"\n"
               "three = a b c\n"
               "quotedEmpty = \"Fire\" \"\"\n"
               "empty =\n"
               "open = \"unfinished\n"
               "hex = 0x1F\n"
               "capital = 0X1F\n"
               "bad = 12abc\n"
               "spaced = 12 more words\n"
               "big = 0xFFFFFFFF\n"
               "zero = 0\n"
               "minus = -7\n"
               "t = TRUE\n"
               "f = False\n"
               "zeroBlank = 0 x\n"
               "ten = 10\n"
               "yes = yes\n"
               "ff = \xFF"
               "abc \"d\"\n"
               "long = \"" +
                   std::string(300, 'x') + "\" \"" + std::string(280, 'y') + "\"\n");
    emptyCfg = file("empty.cfg", "");
  }

  std::string get(const std::string &section, const std::string &key, const std::string &mode,
                  const std::string *which = nullptr) {
    ToolRun run = runTool({"get", which ? *which : cfg, section, key, mode});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run.out;
  }

  std::string cfg;
  std::string emptyCfg;
};

TEST_F(CfgToolGet, RawGivesTheStoredTextEmptyWhenMissingNullWithoutSections) {
  EXPECT_EQ(get("S", "raw", "--raw"), "\"\\\"a\\\\\\\\b\\\" tail\"\n");
  EXPECT_EQ(get("s", "RAW", "--raw"), "\"\\\"a\\\\\\\\b\\\" tail\"\n");
  EXPECT_EQ(get("S", "empty", "--raw"), "\"\"\n");
  EXPECT_EQ(get("S", "missing", "--raw"), "\"\"\n");
  EXPECT_EQ(get("Nowhere", "raw", "--raw"), "\"\"\n");
  EXPECT_EQ(get("S", "raw", "--raw", &emptyCfg), "null\n");
}

TEST_F(CfgToolGet, StringDecodesOneTokenAndIsNullWhenNothingWasFound) {
  EXPECT_EQ(get("S", "raw", "--string"), "\"a\\\\b\"\n");
  EXPECT_EQ(get("S", "esc", "--string"), "\"q\\\"x\\u000Ayz\"\n");
  EXPECT_EQ(get("S", "three", "--string"), "\"a\"\n");
  EXPECT_EQ(get("S", "empty", "--string"), "\"\"\n");
  EXPECT_EQ(get("S", "open", "--string"), "\"unfinished\"\n");
  // A first byte of 0xFF is an answer, not the "untouched" marker.
  EXPECT_EQ(get("S", "ff", "--string"), "\"\\u00FFabc\"\n");
  EXPECT_EQ(get("S", "long", "--string"), "\"" + std::string(300, 'x') + "\"\n");
  EXPECT_EQ(get("S", "missing", "--string"), "null\n");
  EXPECT_EQ(get("Nowhere", "raw", "--string"), "null\n");
  EXPECT_EQ(get("S", "raw", "--string", &emptyCfg), "null\n");
}

TEST_F(CfgToolGet, PairLeavesTheSecondUntouchedWhenTheValueHasOneToken) {
  EXPECT_EQ(get("S", "pair", "--pair"), "[\"Up\",\"Kpad8\"]\n");
  EXPECT_EQ(get("S", "one", "--pair"), "[\"Jump\",null]\n");
  EXPECT_EQ(get("S", "three", "--pair"), "[\"a\",\"b\"]\n");
  EXPECT_EQ(get("S", "quotedEmpty", "--pair"), "[\"Fire\",\"\"]\n");
  EXPECT_EQ(get("S", "empty", "--pair"), "[\"\",null]\n");
  EXPECT_EQ(get("S", "ff", "--pair"), "[\"\\u00FFabc\",\"d\"]\n");
  EXPECT_EQ(get("S", "long", "--pair"), "[\"" + std::string(300, 'x') + "\",\"" + std::string(280, 'y') + "\"]\n");
  EXPECT_EQ(get("S", "missing", "--pair"), "[null,null]\n");
  EXPECT_EQ(get("S", "pair", "--pair", &emptyCfg), "[null,null]\n");
}

TEST_F(CfgToolGet, IntReportsValueAndStatusAndTellsUntouchedFromZero) {
  EXPECT_EQ(get("S", "hex", "--int"), "{\"value\":31,\"status\":0}\n");
  EXPECT_EQ(get("S", "capital", "--int"), "{\"value\":0,\"status\":1}\n");
  EXPECT_EQ(get("S", "bad", "--int"), "{\"value\":12,\"status\":1}\n");
  EXPECT_EQ(get("S", "spaced", "--int"), "{\"value\":12,\"status\":0}\n");
  EXPECT_EQ(get("S", "big", "--int"), "{\"value\":2147483647,\"status\":0}\n");
  EXPECT_EQ(get("S", "zero", "--int"), "{\"value\":0,\"status\":0}\n");
  EXPECT_EQ(get("S", "minus", "--int"), "{\"value\":-7,\"status\":0}\n");
  EXPECT_EQ(get("S", "empty", "--int"), "{\"value\":0,\"status\":1}\n");
  EXPECT_EQ(get("S", "missing", "--int"), "{\"value\":null,\"status\":0}\n");
  EXPECT_EQ(get("S", "hex", "--int", &emptyCfg), "{\"value\":null,\"status\":1}\n");
}

TEST_F(CfgToolGet, BoolGivesOneZeroOrNull) {
  EXPECT_EQ(get("S", "t", "--bool"), "1\n");
  EXPECT_EQ(get("S", "f", "--bool"), "0\n");
  EXPECT_EQ(get("S", "zero", "--bool"), "0\n");
  EXPECT_EQ(get("S", "zeroBlank", "--bool"), "0\n");
  EXPECT_EQ(get("S", "ten", "--bool"), "null\n");
  EXPECT_EQ(get("S", "yes", "--bool"), "null\n");
  EXPECT_EQ(get("S", "empty", "--bool"), "null\n");
  EXPECT_EQ(get("S", "missing", "--bool"), "null\n");
}

TEST_F(CfgTool, GetSendsDiagnosticsToStderr) {
  ToolRun run = runTool({"get", file("d.cfg", "[S]\n=oops\nk = 5\n"), "S", "k", "--int"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "{\"value\":5,\"status\":0}\n");
  EXPECT_EQ(run.err, "Illegal character (ASCII 61) on line 2.\n");
}

// ---- set ---------------------------------------------------------------------------

TEST_F(CfgTool, SetCreatesTheFileAndWritesEachEncoding) {
  std::string cfg = path("new.cfg");
  const std::vector<std::vector<std::string>> steps = {
      {"Screen Setup", "ScreenMode", "1", "--int"},
      {"Screen Setup", "Min", "-2147483648", "--int"},
      {"Screen Setup", "Max", "+2147483647", "--int"},
      {"Screen Setup", "NegZero", "-0", "--int"},
      {"Sound Setup", "Hex255", "255", "--hex"},
      {"Sound Setup", "HexZero", "0", "--hex"},
      {"Sound Setup", "True", "true", "--bool"},
      {"Sound Setup", "False", "false", "--bool"},
      {"Sound Setup", "One", "1", "--bool"},
      {"Sound Setup", "Half", "-.5", "--double"},
      {"Sound Setup", "Big", "1e20", "--double"},
      {"Sound Setup", "Small", "1E-7", "--double"},
      {"Sound Setup", "Plain", "3.250", "--double"},
      {"Controls", "Raw", "a = b;c [x]", "--raw"},
      {"Controls", "EmptyRaw", "", "--raw"},
      {"Controls", "Name", "Move_Forward", "--string"},
      {"Controls", "EmptyName", "", "--string"},
      {"Controls", "Nasty", "back\\slash \"q\"\r\n", "--string"},
  };
  for (const auto &step : steps) {
    ToolRun run = runTool({"set", cfg, step[0], step[1], step[2], step[3]});
    EXPECT_EQ(run.status, 0) << step[1] << ": " << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
  }
  EXPECT_EQ(readFile(cfg),
            "[Screen Setup]\r\n"
            "ScreenMode = 1\r\n"
            "Min = -2147483648\r\n"
            "Max = 2147483647\r\n"
            "NegZero = 0\r\n"
            "\r\n"
            "[Sound Setup]\r\n"
            "Hex255 = 0xFF\r\n"
            "HexZero = 0x0\r\n"
            "True = 1\r\n"
            "False = 0\r\n"
            "One = 1\r\n"
            "Half = -0.5\r\n"
            "Big = 1e+20\r\n"
            "Small = 1e-07\r\n"
            "Plain = 3.25\r\n"
            "\r\n"
            "[Controls]\r\n"
            "Raw = a = b;c [x]\r\n"
            "EmptyRaw = \r\n"
            "Name = \"Move_Forward\"\r\n"
            "EmptyName = \"\"\r\n"
            "Nasty = \"back\\\\slash \\\"q\\\"\\r\\n\"\r\n");
  // What was written reads back as it was given.
  ToolRun nasty = runTool({"get", cfg, "Controls", "Nasty", "--string"});
  EXPECT_EQ(nasty.out, "\"back\\\\slash \\\"q\\\"\\u000D\\u000A\"\n");
  EXPECT_EQ(runTool({"check", cfg}).status, 0);
}

TEST_F(CfgTool, SetReplacesAValueInPlaceAndKeepsEverythingElse) {
  std::string cfg = file("keep.cfg",
                         "; a comment\n"
                         "[Controls]\n"
                         "MouseAiming = 0\n"
                         "Other = x y\n"
                         "[Unmanaged]\n"
                         "Key = 7\n");
  ToolRun run = runTool({"set", cfg, "CONTROLS", "mouseaiming", "1", "--int"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(cfg), "[Controls]\r\nMouseAiming = 1\r\nOther = x y\r\n\r\n[Unmanaged]\r\nKey = 7\r\n");
  // An entry with no section goes to the top of a new file.
  std::string top = path("top.cfg");
  EXPECT_EQ(runTool({"set", top, "", "Top", "1", "--int"}).status, 0);
  EXPECT_EQ(runTool({"set", top, "S", "K", "2", "--int"}).status, 0);
  EXPECT_EQ(runTool({"set", top, "", "Second", "3", "--int"}).status, 0);
  EXPECT_EQ(readFile(top), "Top = 1\r\nSecond = 3\r\n\r\n[S]\r\nK = 2\r\n");
}

// Also when started with stdout closed, which the diagnostics that the
// library prints to stdout must not get lost in.
TEST_F(CfgTool, SetLoadsWithDiagnosticsOnStderr) {
  ToolRunOptions closedStdout;
  closedStdout.stdoutClosed = true;
  for (const ToolRunOptions &options : {ToolRunOptions{}, closedStdout}) {
    if (options.stdoutClosed && !toolIsPosixProgram()) continue;
    std::string cfg = file("diag.cfg", "[S]\n9\nk = 1\n");
    ToolRun run = runTool({"set", cfg, "S", "k", "2", "--int"}, options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Illegal character (ASCII 57) on line 2.\n");
    EXPECT_EQ(readFile(cfg), "[S]\r\nk = 2\r\n");
  }
}

TEST_F(CfgTool, SetRejectsMalformedValuesWithoutTouchingTheFile) {
  const std::string original = "[S]\nK = 1\n";
  std::string cfg = file("v.cfg", original);
  std::string fresh = path("fresh.cfg");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--int", ""},
      {"--int", "12x"},
      {"--int", " 12"},
      {"--int", "12 "},
      {"--int", "+"},
      {"--int", "-"},
      {"--int", "2147483648"},
      {"--int", "-2147483649"},
      {"--int", "99999999999999999999"},
      {"--int", "0x10"},
      {"--int", "1.0"},
      {"--int", "1e3"},
      {"--hex", "ff"},
      {"--hex", "4294967295"},
      {"--hex", "-1"},  // would read back as 2147483647
      {"--hex", "-2147483648"},
      {"--bool", "yes"},
      {"--bool", ""},
      {"--bool", "2"},
      {"--bool", "10"},
      {"--bool", "True "},
      {"--double", ""},
      {"--double", "nan"},
      {"--double", "inf"},
      {"--double", "-infinity"},
      {"--double", "1e999"},
      {"--double", "1e-400"},  // would read back as 0
      {"--double", "-2.5e-330"},
      {"--double", "0x1p3"},
      {"--double", " 1"},
      {"--double", "1.5x"},
      {"--double", "."},
      {"--double", "e5"},
      {"--double", "1e"},
      {"--double", "1e+"},
      {"--double", "+-1"},
  };
  for (const auto &[mode, value] : cases) {
    SCOPED_TRACE(mode + " '" + value + "'");
    expectFailure(runTool({"set", cfg, "S", "K", value, mode}));
    expectFailure(runTool({"set", fresh, "S", "K", value, mode}));
  }
  EXPECT_EQ(readFile(cfg), original);
  EXPECT_FALSE(pathExists(fresh));
}

// Names and raw values the file cannot hold would be lost on the next load or,
// with a line end, would smuggle extra lines into the file.
TEST_F(CfgTool, SetRefusesTextsTheFileCannotHold) {
  const std::string original = "[S]\nK = 1\n";
  std::string cfg = file("n.cfg", original);
  const std::vector<std::vector<std::string>> cases = {
      {"S", "1abc", "1", "--int"},
      {"S", "_k", "1", "--int"},
      {"S", "", "1", "--int"},
      {"S", "a=b", "1", "--int"},
      {"S", "a;b", "1", "--int"},
      {"S", "a\nScreenMode", "1", "--int"},
      {"S", "ab ", "1", "--int"},
      {"S", "ab\t", "1", "--int"},
      {"a]b", "K", "1", "--int"},
      {"a\r\n[b", "K", "1", "--int"},
      {"", "Top", "1", "--int"},  // would join the section above it
      {"S", "K", "x\nScreenMode = 0", "--raw"},
      {"S", "K", "x\r", "--raw"},
      {"S", "K", " x", "--raw"},
      {"S", "K", "x\t", "--raw"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c[0] + "|" + c[1] + "|" + c[2]);
    expectFailure(runTool({"set", cfg, c[0], c[1], c[2], c[3]}));
  }
  EXPECT_EQ(readFile(cfg), original);
  // Blanks inside a key or a section name are fine.
  EXPECT_EQ(runTool({"set", cfg, " Odd  name ", "two words", "v w", "--raw"}).status, 0);
  EXPECT_EQ(runTool({"dump", cfg}).out,
            "{\"sections\":[{\"name\":\"S\",\"entries\":[[\"K\",\"1\"]]},"
            "{\"name\":\" Odd  name \",\"entries\":[[\"two words\",\"v w\"]]}]}\n");
}

// The writer gives the empty-named section no header, so its entries stay
// where they are written only while it is the file's first section. Behind
// another section they would join that one on the next load (and replace its
// entries of the same keys), so set refuses and leaves the file as it was.
TEST_F(CfgTool, SetRefusesAFileWhoseEmptyNamedSectionIsNotFirst) {
  const std::string original = "[A]\nx = 1\nz = 5\n[]\nx = 2\ny = 3\n";
  std::string cfg = file("late.cfg", original);
  const std::vector<std::vector<std::string>> cases = {
      {"", "x", "9"},    // the empty-named section's own entry
      {"", "New", "9"},  // a new entry there
      {"A", "z", "9"},   // the section it would join
      {"A", "x", "9"},   // ... whose x it would replace
      {"B", "k", "9"},   // a new section after it
      {"a", "NEW", "9"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c[0] + "|" + c[1]);
    ToolRun run = runTool({"set", cfg, c[0], c[1], c[2], "--int"});
    expectFailure(run);
    EXPECT_NE(run.err.find("empty"), std::string::npos) << run.err;
  }
  EXPECT_EQ(readFile(cfg), original);
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"late.cfg"});

  // First in the file, from entries above every header or from "[]", it can
  // be written, and every entry reads back where it was.
  for (const std::string &text : {std::string("x = 1\n[A]\nx = 2\n"), std::string("[]\nx = 1\n[A]\nx = 2\n")}) {
    std::string first = file("first.cfg", text);
    EXPECT_EQ(runTool({"set", first, "", "x", "7", "--int"}).status, 0);
    EXPECT_EQ(runTool({"set", first, "", "y", "8", "--int"}).status, 0);
    EXPECT_EQ(runTool({"set", first, "A", "y", "9", "--int"}).status, 0);
    EXPECT_EQ(runTool({"dump", first}).out,
              "{\"sections\":[{\"name\":\"\",\"entries\":[[\"x\",\"7\"],[\"y\",\"8\"]]},"
              "{\"name\":\"A\",\"entries\":[[\"x\",\"2\"],[\"y\",\"9\"]]}]}\n");
  }
}

TEST_F(CfgTool, SetReportsAFailedSaveAndKeepsTheOldFile) {
  ToolRun noFolder = runTool({"set", path("no/such/folder.cfg"), "S", "K", "1", "--int"});
  expectFailure(noFolder);
  EXPECT_NE(noFolder.err.find("no/such/folder.cfg"), std::string::npos);

  expectFailure(runTool({"set", folder, "S", "K", "1", "--int"}));

  // Writes that fail part-way, as on a full disk.
  const std::string original = "[S]\r\nK = 1\r\n";
  std::string cfg = file("full.cfg", original);
  ToolRunOptions limited;
  limited.fileSizeLimit = 64;
  ToolRun run = runTool({"set", cfg, "S", "K", std::string(200, 'v'), "--raw"}, limited);
  expectFailure(run);
  EXPECT_EQ(readFile(cfg), original);
  EXPECT_EQ(scratch.names(), std::vector<std::string>{"full.cfg"});
}

// ---- normalize ----------------------------------------------------------------------

TEST_F(CfgTool, NormalizeRewritesInTheProgramsOwnLayout) {
  const std::string messy =
      "; comment\n"
      "\n"
      "  [A] trailing words\n"
      "  key1=v1  \t\n"
      "\n"
      "[B]\r"
      "k   =   1\r\n"
      "Top\tkey = \"q\" \"r\"\n";
  const std::string tidy = "[A]\r\nkey1 = v1\r\n\r\n[B]\r\nk = 1\r\nTop\tkey = \"q\" \"r\"\r\n";
  std::string cfg = file("messy.cfg", messy);
  std::string out = path("out.cfg");

  ToolRun toOut = runTool({"normalize", cfg, "-o", out});
  EXPECT_EQ(toOut.status, 0) << toOut.err;
  EXPECT_EQ(toOut.out, "");
  EXPECT_EQ(readFile(out), tidy);
  EXPECT_EQ(readFile(cfg), messy);

  EXPECT_EQ(runTool({"normalize", cfg}).status, 0);
  EXPECT_EQ(readFile(cfg), tidy);
  EXPECT_EQ(runTool({"normalize", cfg}).status, 0);
  EXPECT_EQ(readFile(cfg), tidy);
}

TEST_F(CfgTool, NormalizeSendsDiagnosticsToStderrAndReportsWriteFailures) {
  std::string cfg = file("d.cfg", "[S]\nbroken\nk = 1\n");
  ToolRun run = runTool({"normalize", cfg});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Unexpected newline on line 2.\n");
  EXPECT_EQ(readFile(cfg), "[S]\r\nk = 1\r\n");

  ToolRun failed = runTool({"normalize", cfg, "-o", path("missing/out.cfg")});
  expectFailure(failed);
  EXPECT_NE(failed.err.find("missing/out.cfg"), std::string::npos);
}

}  // namespace
