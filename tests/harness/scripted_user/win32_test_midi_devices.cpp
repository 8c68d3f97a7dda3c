/* The tests' MIDI device list on Windows: setMidiOutDevicesForTesting
 * (test_midi_devices.h) decides what the program's midiOutGetNumDevs and
 * midiOutGetDevCapsA report, answered as winmm answers for its own devices.
 * Without a list set, the calls go to the system.
 */
#include <algorithm>
#include <cstring>
#include <optional>

#include "tests/harness/scripted_user/test_midi_devices.h"
#include "tests/harness/scripted_user/win32_imports.h"

namespace {

using CountProc = UINT(WINAPI *)(void);
using CapsProc = MMRESULT(WINAPI *)(UINT_PTR, LPMIDIOUTCAPSA, UINT);
CountProc SystemCount;
CapsProc SystemCaps;

std::optional<std::vector<std::string>> TestDevices;
void (*QueryHook)() = nullptr;

UINT WINAPI testMidiOutGetNumDevs(void) {
  if (QueryHook) QueryHook();
  if (!TestDevices) return SystemCount ? SystemCount() : 0;
  return static_cast<UINT>(TestDevices->size());
}

MMRESULT WINAPI testMidiOutGetDevCapsA(UINT_PTR device, LPMIDIOUTCAPSA caps, UINT size) {
  if (!TestDevices) return SystemCaps ? SystemCaps(device, caps, size) : MMSYSERR_BADDEVICEID;
  if (device >= TestDevices->size()) return MMSYSERR_BADDEVICEID;
  if (!caps) return MMSYSERR_INVALPARAM;
  MIDIOUTCAPSA filled = {};
  filled.vDriverVersion = 0x0100;
  const std::string &name = (*TestDevices)[device];
  std::memcpy(filled.szPname, name.data(), std::min(name.size(), sizeof filled.szPname - 1));
  filled.wTechnology = MOD_MIDIPORT;
  filled.wChannelMask = 0xFFFF;
  // winmm copies as much of the record as the caller has room for.
  std::memcpy(caps, &filled, std::min<size_t>(size, sizeof filled));
  return MMSYSERR_NOERROR;
}

}  // namespace

void useTestMidiDevices() {
  SystemCount = replaceImport<CountProc>("winmm.dll", "midiOutGetNumDevs", testMidiOutGetNumDevs);
  SystemCaps = replaceImport<CapsProc>("winmm.dll", "midiOutGetDevCapsA", testMidiOutGetDevCapsA);
}

void setMidiOutQueryHookForTesting(void (*hook)()) { QueryHook = hook; }

void setMidiOutDevicesForTesting(const std::vector<std::string> *names) {
  if (names) {
    TestDevices = *names;
  } else {
    TestDevices.reset();
  }
}
