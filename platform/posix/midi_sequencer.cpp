/* The machine's MIDI output devices, from the ALSA sequencer, numbered and
 * named as Wine's ALSA driver numbers and names them: the game reads the
 * saved device number through Wine, so the list must be Wine's. Wine reads
 * the ports once, when the game first asks, so the numbers hold while the
 * ports stay as they were. The sequencer is opened only when /dev/snd/seq
 * exists, so build machines without sound hardware answer 0 devices and ALSA
 * prints nothing. */
#include <unistd.h>

#include <algorithm>
#include <tuple>
#include <utility>

#include "platform/posix/midi_devices.h"

#ifdef TG_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

std::vector<std::string> wineMidiOutputDevices(std::vector<SequencerPort> ports) {
  // Wine's two passes, each in the sequencer's own order.
  auto isPortType = [](const SequencerPort &p) { return (p.type & SequencerPortTypePort) != 0; };
  std::stable_sort(ports.begin(), ports.end(), [&](const SequencerPort &a, const SequencerPort &b) {
    return std::make_tuple(isPortType(a), a.client, a.port) < std::make_tuple(isPortType(b), b.client, b.port);
  });
  const std::size_t longestName = 31;  // a capabilities record's name field, less its terminator
  std::vector<std::string> names;
  for (const SequencerPort &p : ports) {
    if ((p.capability & SequencerPortCapWrite) == 0 || p.type == 0) continue;
    std::string both = p.clientName + " - " + p.portName;
    names.push_back(both.size() <= longestName ? both : p.portName.substr(0, longestName));
  }
  return names;
}

#ifdef TG_HAVE_ALSA
static_assert(SequencerPortCapWrite == SND_SEQ_PORT_CAP_WRITE && SequencerPortTypePort == SND_SEQ_PORT_TYPE_PORT);

namespace {

const char SequencerDevice[] = "/dev/snd/seq";

// ALSA reports its own problems on standard error; this program has none to show.
void quietAlsaError(const char *, int, const char *, int, const char *, ...) {}

const char *orEmpty(const char *text) { return text != nullptr ? text : ""; }

}  // namespace

std::vector<std::string> sequencerMidiPorts() {
  if (access(SequencerDevice, F_OK) != 0) return {};
  snd_lib_error_set_handler(quietAlsaError);
  snd_seq_t *sequencer = nullptr;
  if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return {};

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
        ports.push_back({clientId, snd_seq_port_info_get_port(port), orEmpty(snd_seq_client_info_get_name(client)),
                         orEmpty(snd_seq_port_info_get_name(port)), snd_seq_port_info_get_capability(port),
                         snd_seq_port_info_get_type(port)});
      }
    }
  }
  snd_seq_port_info_free(port);
  snd_seq_client_info_free(client);
  snd_seq_close(sequencer);
  snd_config_update_free_global();
  return wineMidiOutputDevices(std::move(ports));
}
#else
std::vector<std::string> sequencerMidiPorts() { return {}; }
#endif
