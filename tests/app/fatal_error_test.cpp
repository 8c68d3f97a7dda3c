// A fatal error of the configuration library must be seen by the user of a
// windowed program: a message box with no owner, then exit status 1, with
// the message still on standard output. (A gardum.cfg that cannot be read is
// not one: start-up names it and goes on, see startup_test.cpp.) Each case
// runs in a death-test child (either style), whose standard error the
// matcher reads: standard output is joined to it there, unbuffered, so the
// message comes before the box list.
#include "app_test_support.h"

#include <cstdio>

#include "config/support.h"
#include "ui/resource.h"

using namespace apptest;
namespace us = userscript;

namespace {

// Written to standard error when the child ends, for the death-test matcher.
void printMessageBoxes() {
  for (const auto &box : us::messageBoxes())
    fprintf(stderr, "BOX owned=%d caption=[%s] text=[%s] style=%u\n", box.owned ? 1 : 0, box.caption.c_str(),
            box.text.c_str(), box.style);
}

// Prepares the child: standard output onto standard error, the message
// boxes listed at exit, script failures visible in the child's output.
void captureChildOutput() {
  fflush(stdout);
  setvbuf(stdout, nullptr, _IONBF, 0);
  dup2(2, 1);
  atexit(printMessageBoxes);
  us::setFailureHandler([](const std::string &message) { fprintf(stderr, "SCRIPT FAILURE %s\n", message.c_str()); });
}

using FatalError = FreshFolderTest;

}  // namespace

TEST_F(FatalError, AFailureWhileTheMenuIsOpenIsShownWithoutAnOwner) {
  EXPECT_EXIT(
      {
        captureChildOutput();
        us::expectDialog("Tarrengard Configuration",
                         {us::inspect([](HWND) { fatalError("Couldn't allocate %d bytes.", 4096); })});
        us::expectMessageBox(IDOK);
        static char module;
        tarrengardMain((HINSTANCE)&module);
      },
      ::testing::ExitedWithCode(1),
      "^Couldn't allocate 4096 bytes\\.\n\n"
      "BOX owned=0 caption=\\[Tarrengard Configuration\\] text=\\[Couldn't allocate 4096 "
      "bytes\\.\\] style=16\n$");
}

TEST_F(FatalError, ANullFormatStillEndsSilentlyWithZero) {
  EXPECT_EXIT(
      {
        captureChildOutput();
        us::expectDialog("Tarrengard Configuration", {us::inspect([](HWND) { fatalError(nullptr); })});
        static char module;
        tarrengardMain((HINSTANCE)&module);
      },
      ::testing::ExitedWithCode(0), "^$");
}
