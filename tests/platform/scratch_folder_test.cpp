/* The tests' temporary folder: a fresh current folder, gone afterwards. */
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/common/scratch_folder.h"

namespace {

std::string currentFolder() {
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) ? cwd : "";
}

TEST(ScratchFolder, IsTheCurrentFolderWhileItLivesAndIsRemovedWithItsFiles) {
  std::string before = currentFolder();
  std::string path;
  {
    ScratchFolder folder(ScratchFolder::Entered);
    path = folder.path();
    EXPECT_EQ(currentFolder(), std::filesystem::canonical(path).string());
    std::FILE *file = std::fopen("gardum.cfg", "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    std::filesystem::create_directory("sub");
    EXPECT_TRUE(std::filesystem::exists(folder.file("gardum.cfg")));
    ScratchFolder nested(ScratchFolder::Entered);
    EXPECT_NE(nested.path(), path);
  }
  EXPECT_EQ(currentFolder(), before);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
