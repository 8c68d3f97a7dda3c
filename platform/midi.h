// MIDI output devices off Windows: midiOutGetNumDevs and midiOutGetDevCapsA
// (declared in platform/win32.h) list the ALSA sequencer's writable MIDI
// ports, one device per port in (client, port) order. Without a sequencer
// there are no devices. Tests replace the system's list with their own.
#pragma once

#include <string>
#include <vector>

// Makes the MIDI calls report these names as devices 0, 1, ... (copied);
// null returns to the system's ports.
void setMidiOutDevicesForTesting(const std::vector<std::string> *names);
