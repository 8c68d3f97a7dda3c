// The command line as start-up reads it, and the Windows command line as the
// Windows program cuts it into arguments. Plain tables: no dialogs. They run
// on the headless build and, in the scenario program, under Wine; the folder
// calls below are the layer's own, off Windows only.
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
  bool version = false;
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
      {{"--version"}, true, false, "", false, false, true},
      {{"--", "--version"}, true, true, "--version", false, false},
      {{"--version", "a"}, false, false, "", false, false},
      {{"--choose-folder", "--version"}, false, false, "", false, false},
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
    EXPECT_EQ(options.version, c.version);
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

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/win32.h"
#include "tests/common/scratch_folder.h"

namespace {

// The folder calls of the layer off Windows answer as Windows does, and the
// reason reads as Windows words it.
TEST(FolderCalls, FailWithWindowsCodesAndTexts) {
  ScratchFolder scratch;
  writeFile(scratch.file("plain"), "");
  std::string before = std::filesystem::current_path().string();
  const struct {
    std::string path;
    DWORD error;
    const char *text;
  } cases[] = {
      {scratch.file("missing"), ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
      {scratch.file("missing/deeper"), ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
      {scratch.file("plain"), ERROR_DIRECTORY, "The directory name is invalid.\r\n"},
      {scratch.file("plain/below"), ERROR_DIRECTORY, "The directory name is invalid.\r\n"},
      {"", ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
      {scratch.file(std::string(5000, 'x')), ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long.\r\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path.substr(0, 80));
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SetCurrentDirectoryA(c.path.c_str()));
    EXPECT_EQ(GetLastError(), c.error);
    char text[256];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, c.error, 0, text,
                             sizeof text, nullptr),
              strlen(c.text));
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(std::filesystem::current_path().string(), before);
  }
  char tiny[4];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_DIRECTORY, 0, tiny, sizeof tiny, nullptr), 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, tiny, sizeof tiny, nullptr), 0u);
}

TEST(FolderCalls, GetCurrentDirectoryAnswersTheLengthOrTheSizeNeeded) {
  ScratchFolder scratch;
  std::string canonical = std::filesystem::canonical(scratch.path()).string();
  std::string before = std::filesystem::current_path().string();
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), canonical.size() + 1);
  std::vector<char> exact(canonical.size() + 1);
  EXPECT_EQ(GetCurrentDirectoryA((DWORD)exact.size(), exact.data()), canonical.size());
  EXPECT_EQ(std::string(exact.data()), canonical);
  std::vector<char> short1(canonical.size());
  EXPECT_EQ(GetCurrentDirectoryA((DWORD)short1.size(), short1.data()), canonical.size() + 1);
  ASSERT_TRUE(SetCurrentDirectoryA(before.c_str()));
}

}  // namespace
#endif
