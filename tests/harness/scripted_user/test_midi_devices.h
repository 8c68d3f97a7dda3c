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

// Called each time the program asks how many devices there are (null: none),
// so that a test can fail inside the program's own dialog procedure.
void setMidiOutQueryHookForTesting(void (*hook)());
