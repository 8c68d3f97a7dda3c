/* MIDI output devices off Windows: midiOutGetNumDevs and midiOutGetDevCapsA
 * (declared in platform/win32.h) over the device list of midi_devices.h. */
#include <algorithm>
#include <cstring>

#include "platform/posix/midi_devices.h"
#include "platform/win32.h"

namespace {

const WORD MidiPortTechnology = 1;  // MOD_MIDIPORT
const WORD AllChannels = 0xFFFF;

}  // namespace

UINT midiOutGetNumDevs(void) { return (UINT)midiOutputDevices(true).size(); }

MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, LPMIDIOUTCAPSA caps, UINT size) {
  const std::vector<std::string> &devices = midiOutputDevices(false);
  if (caps == nullptr || size < sizeof(MIDIOUTCAPSA) || deviceId >= devices.size()) {
    return MMSYSERR_BADDEVICEID;
  }
  std::memset(caps, 0, sizeof(MIDIOUTCAPSA));
  caps->vDriverVersion = 0x0100;
  // Cut to the record's field, always terminated.
  const std::string &name = devices[deviceId];
  std::size_t length = std::min(name.size(), (std::size_t)MAXPNAMELEN - 1);
  std::memcpy(caps->szPname, name.data(), length);
  caps->szPname[length] = '\0';
  caps->wTechnology = MidiPortTechnology;
  caps->wChannelMask = AllChannels;
  return MMSYSERR_NOERROR;
}
