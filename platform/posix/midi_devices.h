/* Where the MIDI output calls (midiOutGetNumDevs, midiOutGetDevCapsA) get
 * their devices. The program offers the machine's sequencer ports
 * (midi_devices.cpp); tests link a list of their own in its place
 * (platform/scripted_user/test_midi_devices.cpp).
 */
#pragma once

#include <string>
#include <vector>

// The devices by number. `reread`: read the list again (a count does);
// otherwise the list of the last read, so that the names read for a fill
// belong to the devices counted for it.
const std::vector<std::string> &midiOutputDevices(bool reread);

// The ALSA sequencer's writable MIDI ports, read now; none without a
// sequencer.
std::vector<std::string> sequencerMidiPorts();
