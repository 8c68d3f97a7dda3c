// A fatal error of the configuration library must be seen by the user of a
// windowed program: a task-modal message box with no owner, which holds every
// open dialog, then exit status 1, with the message still on standard output.
// (A gardum.cfg that cannot be read is not one: start-up names it and goes
// on, see startup_test.cpp.) Each case runs in a death-test child (either
// style), whose standard error the matcher reads: standard output is joined
// to it there, unbuffered, so the message comes before the box list.
#include "app_test_support.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/entry_guard.h"
#include "config/support.h"

#include "tests/harness/scripted_user/test_midi_devices.h"
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
#ifdef _WIN32
  // Line feeds as written, not as the console's line ends.
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
#endif
  atexit(printMessageBoxes);
  us::setFailureHandler([](const std::string &message) { fprintf(stderr, "SCRIPT FAILURE %s\n", message.c_str()); });
}

using FatalError = FreshFolderTest;

std::string boxLine(const std::string &text) {
  return "BOX owned=0 caption=[Tarrengard Configuration] text=[" + text + "] style=8208\n";
}

// Opens the menu and Input Devices over it, fails inside the latter, and
// writes down which of the two take input while the box is up.
void failWithTwoDialogsOpen() {
  static HWND menu = nullptr;
  static HWND inputDevices = nullptr;
  us::expectDialog("Tarrengard Configuration",
                   {us::inspect([](HWND dialog) { menu = dialog; }), us::click(IDC_MENU_INPUT_DEVICES)});
  us::expectDialog("Input Devices", {us::inspect([](HWND dialog) {
                     inputDevices = dialog;
                     fatalError("Couldn't allocate %d bytes.", 4096);
                   })});
  us::expectMessageBox(IDOK, {us::inspect([](HWND) {
                         fprintf(stderr, "ENABLED menu=%d inputDevices=%d\n", IsWindowEnabled(menu) ? 1 : 0,
                                 IsWindowEnabled(inputDevices) ? 1 : 0);
                       })});
  tarrengardMain(programInstance());
}

}  // namespace

TEST_F(FatalError, AFailureWhileTheMenuIsOpenIsShownWithoutAnOwner) {
  EXPECT_EXIT(
      {
        captureChildOutput();
        us::expectDialog("Tarrengard Configuration",
                         {us::inspect([](HWND) { fatalError("Couldn't allocate %d bytes.", 4096); })});
        us::expectMessageBox(IDOK);
        tarrengardMain(programInstance());
      },
      ::testing::ExitedWithCode(1),
      ::testing::Eq("Couldn't allocate 4096 bytes.\n\n" + boxLine("Couldn't allocate 4096 bytes.")));
}

TEST_F(FatalError, NoOpenDialogTakesInputWhileTheBoxIsUp) {
  // Otherwise a click in a dialog would call back into the failing library.
  EXPECT_EXIT(
      {
        captureChildOutput();
        failWithTwoDialogsOpen();
      },
      ::testing::ExitedWithCode(1),
      ::testing::Eq("Couldn't allocate 4096 bytes.\n\nENABLED menu=0 inputDevices=0\n" +
                    boxLine("Couldn't allocate 4096 bytes.")));
}

TEST_F(FatalError, ANullFormatStillEndsSilentlyWithZero) {
  EXPECT_EXIT(
      {
        captureChildOutput();
        us::expectDialog("Tarrengard Configuration", {us::inspect([](HWND) { fatalError(nullptr); })});
        tarrengardMain(programInstance());
      },
      ::testing::ExitedWithCode(0), ::testing::Eq(std::string()));
}

// An exception inside a dialog procedure (the device list of "Music, Sound
// and Video" throws it here) ends the program right there, through the same
// way out as a failed allocation in the library: the message, the box, status
// 1. Nothing of it may unwind through the system's or the toolkit's frames
// first (Qt would warn; MinGW's i686 unwinder cannot and aborts).
TEST_F(FatalError, AnExceptionInsideADialogProcedureEndsThroughTheFatalErrorPath) {
  const struct {
    void (*raise)();
    const char *message;
  } cases[] = {
      {[] { throw std::bad_alloc(); }, "Couldn't allocate memory."},
      {[] { throw std::runtime_error("The disk is on fire."); }, "The disk is on fire."},
      {[] { throw 7; }, "Unexpected error."},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EXIT(
        {
          captureChildOutput();
          setMidiOutQueryHookForTesting(c.raise);
          us::expectDialog("Tarrengard Configuration", {us::click(IDC_MENU_MUSIC_SOUND_VIDEO)});
          us::expectMessageBox(IDOK);
          tarrengardMainGuarded(programInstance());
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(std::string(c.message) + "\n\n" + boxLine(c.message)));
  }
}
