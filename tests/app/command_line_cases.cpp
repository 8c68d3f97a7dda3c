// The command line as start-up reads it, and the Windows command line as the
// Windows program cuts it into arguments. Plain tables: no dialogs, so these
// run once, on the headless build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct ParseCase {
  std::vector<std::string> arguments;
  bool valid;
  bool hasFolder;
  std::string folder;
  bool chooseFolder;
  bool ask;
};

std::string joined(const std::vector<std::string> &arguments) {
  std::string text;
  for (const std::string &argument : arguments) text += "[" + argument + "]";
  return text;
}

TEST(StartArguments, AreAFolderOrTheChooserOptionsAndNothingElse) {
  const ParseCase cases[] = {
      {{}, true, false, "", false, false},
      {{"/games/tarrengard"}, true, true, "/games/tarrengard", false, false},
      {{"C:\\Games\\Tarrengard Gold"}, true, true, "C:\\Games\\Tarrengard Gold", false, false},
      {{"-"}, true, true, "-", false, false},  // a lone dash is a name
      {{"--", "--choose-folder"}, true, true, "--choose-folder", false, false},
      {{"--choose-folder"}, true, false, "", true, false},
      {{"--choose-folder", "--ask"}, true, false, "", true, true},
      {{"--ask", "--choose-folder"}, true, false, "", true, true},
      {{"--ask"}, false, false, "", false, false},
      {{"--choose"}, false, false, "", false, false},
      {{"-x"}, false, false, "", false, false},
      {{"a", "b"}, false, false, "", false, false},
      {{"a", "--choose-folder"}, false, false, "", false, false},
      {{"--", "a", "b"}, false, false, "", false, false},
  };
  for (const ParseCase &c : cases) {
    SCOPED_TRACE(joined(c.arguments));
    StartOptions options;
    options.folder = "left over";
    std::string error;
    ASSERT_EQ(parseStartArguments(c.arguments, &options, &error), c.valid) << error;
    if (!c.valid) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(options.hasFolder, c.hasFolder);
    EXPECT_EQ(options.folder, c.folder);
    EXPECT_EQ(options.chooseFolder, c.chooseFolder);
    EXPECT_EQ(options.ask, c.ask);
  }
}

TEST(WindowsCommandLine, IsCutAsTheCRuntimeCutsIt) {
  const struct {
    const char *line;
    std::vector<std::string> arguments;
  } cases[] = {
      {nullptr, {}},
      {"", {}},
      {"  \t ", {}},
      {"C:\\Games\\Tarrengard", {"C:\\Games\\Tarrengard"}},
      {"\"C:\\Program Files\\Tarrengard\"", {"C:\\Program Files\\Tarrengard"}},
      {"  --choose-folder\t--ask  ", {"--choose-folder", "--ask"}},
      {"D:\\My\" \"Games", {"D:\\My Games"}},  // quotes may group part of a word
      {"\"\"", {""}},
      {"a\\\\b", {"a\\\\b"}},           // backslashes not before a quote are themselves
      {"a\\\"b", {"a\"b"}},             // an odd run before a quote escapes it
      {"\"a\\\\\" b", {"a\\", "b"}},    // an even run halves and the quote counts
      {"\"a\"\"b\" c", {"a\"b", "c"}},  // "" inside quotes is a quote
      {"\"unfinished quote", {"unfinished quote"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line ? c.line : "(null)");
    EXPECT_EQ(splitWindowsCommandLine(c.line), c.arguments);
  }
}

}  // namespace
