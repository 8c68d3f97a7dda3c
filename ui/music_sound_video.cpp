// The "Music, Sound and Video" dialog: music on or off with its MIDI output
// device, sound on or off, voices, sample size and rate, the resolution with
// its colour depth, and full screen. Every control writes GameSettings the
// moment it reports; there is no cancel.
#include <cstdio>

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace {

// The options the lists offer.
enum {
  NumVoicesCount = 8,
  MixRateCount = 7,
  ResolutionCount = 11,
  ScreenBPPCount = 3,
  ResolutionRowCount = ResolutionCount * ScreenBPPCount,  // 33 rows: depth-major
};

struct ScreenResolution {
  int32_t width;
  int32_t height;
};

const int32_t NumVoicesTable[NumVoicesCount] = {1, 2, 4, 8, 12, 16, 24, 32};
const int32_t MixRateTable[MixRateCount] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
const ScreenResolution ResolutionTable[ResolutionCount] = {
    {320, 200}, {320, 240},  {400, 300},  {512, 384},  {640, 400},   {640, 480},
    {800, 600}, {1024, 768}, {1152, 864}, {1280, 960}, {1280, 1024},
};
const int32_t ScreenBPPTable[ScreenBPPCount] = {8, 16, 32};

void addComboRow(HWND dialog, int id, const char *text) {
  SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, (LPARAM)text);
}

int comboSelection(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

// Row i must stay device number i, so an unreadable device still gets a row.
int fillMusicDeviceList(HWND dialog) {
  UINT count = midiOutGetNumDevs();
  SendDlgItemMessageA(dialog, IDC_MSV_MUSIC_DEVICE, CB_RESETCONTENT, 0, 0);
  for (UINT device = 0; device < count; ++device) {
    MIDIOUTCAPSA caps = {};
    char row[MAXPNAMELEN + 32];
    if (midiOutGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR) {
      std::snprintf(row, sizeof row, "%.*s", (int)MAXPNAMELEN, caps.szPname);
    } else {
      std::snprintf(row, sizeof row, "MIDI device %u", device);
    }
    addComboRow(dialog, IDC_MSV_MUSIC_DEVICE, row);
  }
  return (int)count;
}

void fillMusic(HWND dialog, int deviceCount) {
  HWND list = GetDlgItem(dialog, IDC_MSV_MUSIC_DEVICE);
  if (GameSettings.MusicDevice < 0) {
    CheckDlgButton(dialog, IDC_MSV_MUSIC_ENABLED, BST_UNCHECKED);
    EnableWindow(list, FALSE);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    return;
  }
  // Brings a device that has gone away back to the last one; with no device
  // at all this is -1, music off, while the box still shows music on.
  if (GameSettings.MusicDevice >= deviceCount) GameSettings.MusicDevice = deviceCount - 1;
  CheckDlgButton(dialog, IDC_MSV_MUSIC_ENABLED, BST_CHECKED);
  EnableWindow(list, TRUE);
  SendMessageA(list, CB_SETCURSEL, (WPARAM)GameSettings.MusicDevice, 0);
}

// Selects the largest listed value not above `value`, or the first row.
void fillAscendingChoice(HWND dialog, int id, const int32_t *table, int count, const char *format, int32_t value) {
  SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
  int chosen = 0;
  for (int i = 0; i < count; ++i) {
    char row[32];
    std::snprintf(row, sizeof row, format, table[i]);
    addComboRow(dialog, id, row);
    if (value >= table[i]) chosen = i;
  }
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, (WPARAM)chosen, 0);
}

// The differences are unsigned on purpose: a resolution larger than the
// configured one wraps to a huge difference and never beats one that fits.
void fillResolution(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_MSV_RESOLUTION, CB_RESETCONTENT, 0, 0);
  const uint32_t width = (uint32_t)GameSettings.ScreenWidth;
  const uint32_t height = (uint32_t)GameSettings.ScreenHeight;
  int chosenDepth = 0;
  int chosenSize = 0;
  for (int d = 0; d < ScreenBPPCount; ++d) {
    uint32_t dw = width - (uint32_t)ResolutionTable[chosenSize].width;
    uint32_t dh = height - (uint32_t)ResolutionTable[chosenSize].height;
    for (int m = 0; m < ResolutionCount; ++m) {
      char row[48];
      std::snprintf(row, sizeof row, "%dx%d %dbpp", ResolutionTable[m].width, ResolutionTable[m].height,
                    ScreenBPPTable[d]);
      addComboRow(dialog, IDC_MSV_RESOLUTION, row);
      uint32_t cw = width - (uint32_t)ResolutionTable[m].width;
      uint32_t ch = height - (uint32_t)ResolutionTable[m].height;
      if (cw <= dw && ch <= dh && ScreenBPPTable[d] <= GameSettings.ScreenBPP) {
        chosenDepth = d;
        chosenSize = m;
        dw = cw;
        dh = ch;
      }
    }
  }
  SendDlgItemMessageA(dialog, IDC_MSV_RESOLUTION, CB_SETCURSEL, (WPARAM)(chosenDepth * ResolutionCount + chosenSize),
                      0);
}

void onMusicEnabled(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_MSV_MUSIC_DEVICE);
  if (IsDlgButtonChecked(dialog, IDC_MSV_MUSIC_ENABLED) == BST_CHECKED) {
    EnableWindow(list, TRUE);
    // No selection (no device) gives -1: music off, which is what it means.
    GameSettings.MusicDevice = (int32_t)SendMessageA(list, CB_GETCURSEL, 0, 0);
  } else {
    EnableWindow(list, FALSE);
    GameSettings.MusicDevice = -1;
  }
}

// A list without a selection stores nothing rather than indexing with -1.
void onTableChoice(HWND dialog, int id, const int32_t *table, int count, int32_t *field) {
  int row = comboSelection(dialog, id);
  if (row >= 0 && row < count) *field = table[row];
}

void onResolution(HWND dialog) {
  int row = comboSelection(dialog, IDC_MSV_RESOLUTION);
  if (row < 0 || row >= ResolutionRowCount) return;
  GameSettings.ScreenBPP = ScreenBPPTable[row / ResolutionCount];
  GameSettings.ScreenWidth = ResolutionTable[row % ResolutionCount].width;
  GameSettings.ScreenHeight = ResolutionTable[row % ResolutionCount].height;
}

// Sets every control from GameSettings.
void fillMusicSoundVideoDialog(HWND dialog) {
  int deviceCount = fillMusicDeviceList(dialog);
  fillMusic(dialog, deviceCount);
  CheckDlgButton(dialog, IDC_MSV_SOUND_ENABLED, GameSettings.FXDevice >= 0 ? BST_CHECKED : BST_UNCHECKED);
  fillAscendingChoice(dialog, IDC_MSV_VOICES, NumVoicesTable, NumVoicesCount, "%d", GameSettings.NumVoices);
  bool eightBit = GameSettings.NumBits == 8;
  CheckDlgButton(dialog, IDC_MSV_8BIT, eightBit ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_MSV_16BIT, eightBit ? BST_UNCHECKED : BST_CHECKED);
  fillAscendingChoice(dialog, IDC_MSV_SAMPLE_RATE, MixRateTable, MixRateCount, "%d Hz", GameSettings.MixRate);
  fillResolution(dialog);
  if (GameSettings.ScreenMode != 0) CheckDlgButton(dialog, IDC_MSV_FULLSCREEN, BST_CHECKED);
}

void initDialog(HWND dialog) { fillMusicSoundVideoDialog(dialog); }

// Only the id counts: focus changes and drop-downs of a list are edits too.
INT_PTR onCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_MSV_MUSIC_ENABLED: onMusicEnabled(dialog); break;
    case IDC_MSV_MUSIC_DEVICE: GameSettings.MusicDevice = comboSelection(dialog, IDC_MSV_MUSIC_DEVICE); break;
    case IDC_MSV_SOUND_ENABLED:
      GameSettings.FXDevice = IsDlgButtonChecked(dialog, IDC_MSV_SOUND_ENABLED) == BST_CHECKED ? 0 : -1;
      break;
    case IDC_MSV_VOICES:
      onTableChoice(dialog, IDC_MSV_VOICES, NumVoicesTable, NumVoicesCount, &GameSettings.NumVoices);
      break;
    case IDC_MSV_8BIT: GameSettings.NumBits = 8; break;
    case IDC_MSV_16BIT: GameSettings.NumBits = 16; break;
    case IDC_MSV_SAMPLE_RATE:
      onTableChoice(dialog, IDC_MSV_SAMPLE_RATE, MixRateTable, MixRateCount, &GameSettings.MixRate);
      break;
    case IDC_MSV_RESOLUTION: onResolution(dialog); break;
    case IDC_MSV_FULLSCREEN:
      GameSettings.ScreenMode = IsDlgButtonChecked(dialog, IDC_MSV_FULLSCREEN) == BST_CHECKED ? 1 : 0;
      break;
    default: return FALSE;
  }
  GameSettings.configChanged = true;
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK musicSoundVideoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: initDialog(dialog); return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    default: return FALSE;
  }
}
