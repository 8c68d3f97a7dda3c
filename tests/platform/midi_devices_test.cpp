// The POSIX layer's MIDI output devices, as the music device list reads them:
// device numbers, names cut to the capabilities record, bad requests, and
// no devices where there is no sequencer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/midi_devices.h"
#include "platform/win32.h"
#include "tests/harness/scripted_user/test_midi_devices.h"

namespace {

class MidiDevices : public ::testing::Test {
 protected:
  void TearDown() override { setMidiOutDevicesForTesting(nullptr); }
};

TEST_F(MidiDevices, InjectedDevicesAreNumberedInOrder) {
  const std::vector<std::string> names = {"Synth", "Interface 1", "Interface 2"};
  setMidiOutDevicesForTesting(&names);
  ASSERT_EQ(midiOutGetNumDevs(), 3u);
  for (UINT id = 0; id < 3; ++id) {
    MIDIOUTCAPSA caps;
    std::memset(&caps, 0x7F, sizeof caps);
    ASSERT_EQ(midiOutGetDevCapsA(id, &caps, sizeof caps), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, names[id].c_str());
  }
}

TEST_F(MidiDevices, NamesAreCutToThirtyOneBytesAndTerminated) {
  const std::string exact(31, 'a');
  const std::string longer = std::string(32, 'b').append("tail");
  const std::vector<std::string> names = {exact, longer, ""};
  setMidiOutDevicesForTesting(&names);
  MIDIOUTCAPSA caps;
  std::memset(&caps, 0x7F, sizeof caps);
  ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), (MMRESULT)MMSYSERR_NOERROR);
  EXPECT_EQ(std::string(caps.szPname), exact);
  std::memset(&caps, 0x7F, sizeof caps);
  ASSERT_EQ(midiOutGetDevCapsA(1, &caps, sizeof caps), (MMRESULT)MMSYSERR_NOERROR);
  EXPECT_EQ(caps.szPname[MAXPNAMELEN - 1], '\0');
  EXPECT_EQ(std::string(caps.szPname), std::string(31, 'b'));
  ASSERT_EQ(midiOutGetDevCapsA(2, &caps, sizeof caps), (MMRESULT)MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "");
}

TEST_F(MidiDevices, BadDeviceNumbersAndShortRecordsAreRefused) {
  const std::vector<std::string> names = {"Only"};
  setMidiOutDevicesForTesting(&names);
  MIDIOUTCAPSA caps;
  std::memset(&caps, 0x7F, sizeof caps);
  EXPECT_EQ(midiOutGetDevCapsA(1, &caps, sizeof caps), (MMRESULT)MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutGetDevCapsA((UINT_PTR)-1, &caps, sizeof caps), (MMRESULT)MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps - 1), (MMRESULT)MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutGetDevCapsA(0, nullptr, sizeof caps), (MMRESULT)MMSYSERR_BADDEVICEID);
  // A refused call leaves the caller's record as it was.
  EXPECT_EQ(caps.szPname[0], 0x7F);
}

TEST_F(MidiDevices, AnEmptyListMeansNoDevices) {
  const std::vector<std::string> none;
  setMidiOutDevicesForTesting(&none);
  EXPECT_EQ(midiOutGetNumDevs(), 0u);
  MIDIOUTCAPSA caps;
  EXPECT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), (MMRESULT)MMSYSERR_BADDEVICEID);
}

TEST_F(MidiDevices, WithoutASequencerTheSystemHasNoDevices) {
  if (access("/dev/snd/seq", F_OK) == 0) GTEST_SKIP() << "this machine has a sequencer";
  const std::vector<std::string> names = {"Injected"};
  setMidiOutDevicesForTesting(&names);
  ASSERT_EQ(midiOutGetNumDevs(), 1u);
  setMidiOutDevicesForTesting(nullptr);  // back to the system
  EXPECT_EQ(midiOutGetNumDevs(), 0u);
  MIDIOUTCAPSA caps;
  EXPECT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), (MMRESULT)MMSYSERR_BADDEVICEID);
}

// The game numbers the devices through Wine: synthesisers first, "CLIENT - PORT" while it fits.
TEST_F(MidiDevices, SequencerPortsAreNumberedAndNamedAsWineDoes) {
  const unsigned write = SequencerPortCapWrite, subscribed = write | 1u << 6, generic = 1u << 1, synth = 1u << 18;
  const std::vector<SequencerPort> ports = {
      {14, 0, "Midi Through", "Midi Through Port-0", subscribed, generic | SequencerPortTypePort},
      {20, 0, "USB Keyboard", "USB Keyboard MIDI 1", 1u /* read only */, generic | SequencerPortTypePort},
      {130, 0, "App", "in", write, generic},
      {129, 0, "Untyped", "port", subscribed, 0},
      {128, 0, "TiMidity", "TiMidity port 0", subscribed, generic | synth},
  };
  EXPECT_EQ(wineMidiOutputDevices(ports),
            (std::vector<std::string>{"TiMidity - TiMidity port 0", "App - in", "Midi Through Port-0"}));
}

TEST_F(MidiDevices, TheInjectedListIsACopy) {
  std::vector<std::string> names = {"Before"};
  setMidiOutDevicesForTesting(&names);
  names[0] = "After";
  names.push_back("Another");
  EXPECT_EQ(midiOutGetNumDevs(), 1u);
  MIDIOUTCAPSA caps;
  ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), (MMRESULT)MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "Before");
}

}  // namespace
