/* Where the MIDI output calls (midiOutGetNumDevs, midiOutGetDevCapsA) get
 * their devices. The program offers the machine's sequencer ports
 * (midi_devices.cpp); tests link a list of their own in its place
 * (tests/harness/scripted_user/test_midi_devices.cpp).
 */
#pragma once

#include <string>
#include <vector>

// The devices by number. `reread`: read the list again (a count does);
// otherwise the list of the last read, so that the names read for a fill
// belong to the devices counted for it.
const std::vector<std::string> &midiOutputDevices(bool reread);

// The ALSA sequencer's ports as the game's MIDI output devices, read now;
// none without a sequencer.
std::vector<std::string> sequencerMidiPorts();

// One port of the sequencer, as the sequencer reports it.
struct SequencerPort {
  int client;
  int port;
  std::string clientName;
  std::string portName;
  unsigned capability;  // SND_SEQ_PORT_CAP_* bits
  unsigned type;        // SND_SEQ_PORT_TYPE_* bits
};

// The bits of alsa/seq.h that decide which ports are devices, and in what
// order.
const unsigned SequencerPortCapWrite = 1u << 1;   // SND_SEQ_PORT_CAP_WRITE
const unsigned SequencerPortTypePort = 1u << 19;  // SND_SEQ_PORT_TYPE_PORT

// The MIDI output devices that Wine makes of these ports, by device number,
// so that the number saved is the device the game opens under Wine: every
// port with the write capability and a non-zero type; first those whose type
// lacks SND_SEQ_PORT_TYPE_PORT (synthesisers), then those that have it
// (hardware, "Midi Through"), each group in client and port order. A device
// is named "CLIENT - PORT", or by the port alone, cut to 31 bytes, when that
// is longer than 31 bytes.
std::vector<std::string> wineMidiOutputDevices(std::vector<SequencerPort> ports);
