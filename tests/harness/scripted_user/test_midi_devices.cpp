/* The tests' MIDI device list: the names a test set, or else the machine's
 * sequencer ports, read as the program reads them. */
#include "tests/harness/scripted_user/test_midi_devices.h"

#include <optional>

#include "platform/posix/midi_devices.h"

namespace {

std::optional<std::vector<std::string>> TestDevices;
void (*QueryHook)() = nullptr;

}  // namespace

void setMidiOutQueryHookForTesting(void (*hook)()) { QueryHook = hook; }

void setMidiOutDevicesForTesting(const std::vector<std::string> *names) {
  if (names != nullptr) {
    TestDevices = *names;
  } else {
    TestDevices.reset();
  }
}

const std::vector<std::string> &midiOutputDevices(bool reread) {
  if (reread && QueryHook) QueryHook();  // the count is asked for first
  if (TestDevices) return *TestDevices;
  static std::vector<std::string> devices;
  static bool read = false;
  if (reread || !read) {
    devices = sequencerMidiPorts();
    read = true;
  }
  return devices;
}
