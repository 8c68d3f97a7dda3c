/* The program's MIDI output devices: the machine's sequencer ports. */
#include "platform/posix/midi_devices.h"

const std::vector<std::string> &midiOutputDevices(bool reread) {
  static std::vector<std::string> devices;
  static bool read = false;
  if (reread || !read) {
    devices = sequencerMidiPorts();
    read = true;
  }
  return devices;
}
