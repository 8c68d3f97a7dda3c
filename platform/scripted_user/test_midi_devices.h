/* MIDI output devices for tests: linked in place of the program's device
 * list (platform/posix/midi_devices.cpp), so a test decides which devices
 * midiOutGetNumDevs and midiOutGetDevCapsA report.
 */
#pragma once

#include <string>
#include <vector>

// Makes the MIDI calls report these names as devices 0, 1, ... (copied);
// null returns to the machine's sequencer ports.
void setMidiOutDevicesForTesting(const std::vector<std::string> *names);
