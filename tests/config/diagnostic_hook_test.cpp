// The parser's diagnostics handed to a caller: each one, as printed, with its
// line, through configParseText and configLoad alike; printing goes on.
#include "config/config_internal.h"
#include "config_test_support.h"

#include <string>
#include <vector>

namespace {

class DiagnosticHook : public ConfigTest {
 protected:
  ScratchFolder dir;
};

struct Heard {
  std::vector<long> lines;
  std::string messages;  // each with a line feed, to compare with what was printed
};

void hear(void *context, long line, const char *message) {
  auto *heard = static_cast<Heard *>(context);
  heard->lines.push_back(line);
  heard->messages += std::string(message) + "\n";
}

// Sets the hook for one scope and always clears it again.
struct Listening {
  explicit Listening(Heard *heard) { configSetDiagnosticHook(hear, heard); }
  ~Listening() { configSetDiagnosticHook(nullptr, nullptr); }
};

TEST_F(DiagnosticHook, HearsEveryDiagnosticAsPrintedWithItsLine) {
  const struct {
    const char *text;
    std::vector<long> lines;
  } cases[] = {
      {"[s]\r\nok = 1\r\n", {}},
      {"1\r\n", {1}},
      {"a=1\r\n\r\n_x\r\n", {3}},
      {"key ; c\r\nnext\r\n", {1, 1, 2}},  // a comment in a key: two for one line
      {"[broken\r\nword\r\n\"q\r\n", {1, 2, 3}},
      {"[s]\nk\n", {2}},  // line feeds only
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    Heard heard;
    int result = 0;
    std::string printed;
    {
      Listening listening(&heard);
      printed = parseCapturing(-1, c.text, &result);
    }
    EXPECT_EQ(heard.messages, printed);
    EXPECT_EQ(heard.lines, c.lines);
    EXPECT_EQ(result, c.lines.empty() ? 0 : -1);
  }
}

TEST_F(DiagnosticHook, HearsTheLoadOfAFileAndNothingOnceCleared) {
  writeFile(dir.file("bad.cfg"), "[Screen Setup]\r\n9 lives\r\nScreenWidth = 800\r\n");
  Heard heard;
  {
    Listening listening(&heard);
    testing::internal::CaptureStdout();
    ConfigHandle h = configLoad(dir.file("bad.cfg").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Illegal character (ASCII 57) on line 2.\n");
    EXPECT_GE(h, 0);
    configFree(h);
  }
  EXPECT_EQ(heard.messages, "Illegal character (ASCII 57) on line 2.\n");
  EXPECT_EQ(heard.lines, std::vector<long>{2});

  int result = 0;
  EXPECT_EQ(parseCapturing(-1, "9\r\n", &result), "Illegal character (ASCII 57) on line 1.\n");
  EXPECT_EQ(heard.lines.size(), 1u);  // cleared: printed only
}

}  // namespace
