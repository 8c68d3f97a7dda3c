// MIDI output devices off Windows, from the ALSA sequencer: every port that
// accepts and exports writes (a synthesiser or a MIDI interface) is one
// device, in (client, port) order, so device numbers stay stable while the
// ports do. The sequencer is opened only when /dev/snd/seq exists, so build
// machines without sound hardware answer 0 devices and ALSA prints nothing.
#include "platform/midi.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>

#include "platform/win32.h"

#ifdef TG_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace {

const char SequencerDevice[] = "/dev/snd/seq";
const WORD MidiPortTechnology = 1;  // MOD_MIDIPORT
const WORD AllChannels = 0xFFFF;

std::optional<std::vector<std::string>> testDevices;
// The list from the last count, so that the names read for a fill belong to
// the devices counted for it.
std::vector<std::string> systemDevices;
bool systemDevicesRead = false;

#ifdef TG_HAVE_ALSA
// ALSA reports its own problems on standard error; this program has none to show.
void quietAlsaError(const char *, int, const char *, int, const char *, ...) {}

struct SequencerPort {
  int client;
  int port;
  std::string name;
};

bool isMidiOutput(const snd_seq_port_info_t *info) {
  const unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
  unsigned capability = snd_seq_port_info_get_capability(info);
  if ((capability & wanted) != wanted || (capability & SND_SEQ_PORT_CAP_NO_EXPORT) != 0) return false;
  unsigned type = snd_seq_port_info_get_type(info);
  return (type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_SYNTHESIZER)) != 0;
}

std::vector<std::string> readSequencerPorts() {
  std::vector<std::string> names;
  if (access(SequencerDevice, F_OK) != 0) return names;
  snd_lib_error_set_handler(quietAlsaError);
  snd_seq_t *sequencer = nullptr;
  if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return names;

  std::vector<SequencerPort> ports;
  snd_seq_client_info_t *client = nullptr;
  snd_seq_port_info_t *port = nullptr;
  if (snd_seq_client_info_malloc(&client) == 0 && snd_seq_port_info_malloc(&port) == 0) {
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(sequencer, client) >= 0) {
      int clientId = snd_seq_client_info_get_client(client);
      snd_seq_port_info_set_client(port, clientId);
      snd_seq_port_info_set_port(port, -1);
      while (snd_seq_query_next_port(sequencer, port) >= 0) {
        if (!isMidiOutput(port)) continue;
        const char *name = snd_seq_port_info_get_name(port);
        if (name == nullptr || name[0] == '\0') name = snd_seq_client_info_get_name(client);
        ports.push_back({clientId, snd_seq_port_info_get_port(port), name != nullptr ? name : ""});
      }
    }
  }
  snd_seq_port_info_free(port);
  snd_seq_client_info_free(client);
  snd_seq_close(sequencer);
  snd_config_update_free_global();

  std::sort(ports.begin(), ports.end(), [](const SequencerPort &a, const SequencerPort &b) {
    return std::tie(a.client, a.port) < std::tie(b.client, b.port);
  });
  for (const SequencerPort &p : ports) names.push_back(p.name);
  return names;
}
#else
std::vector<std::string> readSequencerPorts() { return {}; }
#endif

const std::vector<std::string> &currentDevices(bool reread) {
  if (testDevices) return *testDevices;
  if (reread || !systemDevicesRead) {
    systemDevices = readSequencerPorts();
    systemDevicesRead = true;
  }
  return systemDevices;
}

}  // namespace

void setMidiOutDevicesForTesting(const std::vector<std::string> *names) {
  if (names != nullptr) {
    testDevices = *names;
  } else {
    testDevices.reset();
  }
}

UINT midiOutGetNumDevs(void) { return (UINT)currentDevices(true).size(); }

MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, LPMIDIOUTCAPSA caps, UINT size) {
  const std::vector<std::string> &devices = currentDevices(false);
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
