// The machine's MIDI output devices, from the ALSA sequencer: every port that
// accepts and exports writes (a synthesiser or a MIDI interface) is one
// device, in (client, port) order, so device numbers stay stable while the
// ports do. The sequencer is opened only when /dev/snd/seq exists, so build
// machines without sound hardware answer 0 devices and ALSA prints nothing.
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "platform/posix/midi_devices.h"

#ifdef TG_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

#ifdef TG_HAVE_ALSA
namespace {

const char SequencerDevice[] = "/dev/snd/seq";

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

}  // namespace

std::vector<std::string> sequencerMidiPorts() {
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
std::vector<std::string> sequencerMidiPorts() { return {}; }
#endif
