// The "Music, Sound and Video" dialog driven as a person would: what it
// shows for the settings it opens with, and what each control stores.
#include "dialog_test_support.h"

namespace {

using namespace dialogtest;

const char Caption[] = "Music, Sound and Video";

INT_PTR openMusicSoundVideo() { return openDialog(IDD_MUSIC_SOUND_VIDEO, musicSoundVideoDialogProc); }

class MusicSoundVideo : public DialogTest {};

// ---- Resolution and colour depth ------------------------------------------------

struct ResolutionCase {
  int32_t width, height, bpp;
  int row;
  const char *rowText;
};

TEST_F(MusicSoundVideo, ResolutionOpensOnTheLargestThatFitsAtTheDeepestAllowedDepth) {
  const ResolutionCase cases[] = {
      {640, 480, 8, 5, "640x480 8bpp"},
      {800, 600, 32, 28, "800x600 32bpp"},
      {1000, 700, 16, 17, "800x600 16bpp"},     // between sizes: the smaller one
      {1280, 800, 32, 29, "1024x768 32bpp"},    // 1152x864 is too tall
      {640, 480, 24, 16, "640x480 16bpp"},      // between depths: the lower one
      {1600, 1200, 32, 32, "1280x1024 32bpp"},  // above them all: the largest
      {640, 480, 4, 0, "320x200 8bpp"},         // no depth allowed
      {1280, 1024, -8, 0, "320x200 8bpp"},
      // Smaller than any: every difference wraps, so the last row of each
      // allowed depth wins.
      {0, 0, 32, 32, "1280x1024 32bpp"},
      {0, 0, 16, 21, "1280x1024 16bpp"},
      {0, 0, 8, 10, "1280x1024 8bpp"},
  };
  for (const ResolutionCase &c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.bpp));
    GameSettings.ScreenWidth = c.width;
    GameSettings.ScreenHeight = c.height;
    GameSettings.ScreenBPP = c.bpp;
    int row = -99, count = -99;
    std::string text;
    userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                         row = comboSelection(d, IDC_MSV_RESOLUTION);
                                         count = comboCount(d, IDC_MSV_RESOLUTION);
                                         text = comboSelectedText(d, IDC_MSV_RESOLUTION);
                                       }),
                                       key(VK_ESCAPE)});
    EXPECT_EQ(openMusicSoundVideo(), 0);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(text, c.rowText);
    EXPECT_EQ(count, 33);
    // Opening only shows the choice; the record keeps what it had.
    EXPECT_EQ(GameSettings.ScreenWidth, c.width);
    EXPECT_EQ(GameSettings.ScreenBPP, c.bpp);
    EXPECT_FALSE(GameSettings.configChanged);
  }
}

TEST_F(MusicSoundVideo, ResolutionRowsRunThroughEverySizeOncePerDepth) {
  std::vector<std::string> rows;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       for (int r = 0; r < comboCount(d, IDC_MSV_RESOLUTION); ++r)
                                         rows.push_back(comboRowText(d, IDC_MSV_RESOLUTION, r));
                                     }),
                                     click(IDOK)});
  openMusicSoundVideo();
  ASSERT_EQ(rows.size(), 33u);
  EXPECT_EQ(rows[0], "320x200 8bpp");
  EXPECT_EQ(rows[10], "1280x1024 8bpp");
  EXPECT_EQ(rows[11], "320x200 16bpp");
  EXPECT_EQ(rows[18], "1024x768 16bpp");
  EXPECT_EQ(rows[22], "320x200 32bpp");
  EXPECT_EQ(rows[32], "1280x1024 32bpp");
}

TEST_F(MusicSoundVideo, ChoosingAResolutionRowStoresSizeAndDepth) {
  userscript::expectDialog(Caption, {selectRow(IDC_MSV_RESOLUTION, 18), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_EQ(GameSettings.ScreenWidth, 1024);
  EXPECT_EQ(GameSettings.ScreenHeight, 768);
  EXPECT_EQ(GameSettings.ScreenBPP, 16);
  EXPECT_TRUE(GameSettings.configChanged);
}

// ---- Voices and sample rate ---------------------------------------------------------

struct ChoiceCase {
  int32_t value;
  int row;
  const char *rowText;
};

TEST_F(MusicSoundVideo, VoicesAndRatesOpenOnTheLargestListedValueNotAboveTheSetting) {
  const ChoiceCase voices[] = {{8, 3, "8"}, {10, 3, "8"}, {0, 0, "1"}, {-4, 0, "1"}, {100, 7, "32"}, {1, 0, "1"}};
  const ChoiceCase rates[] = {{22050, 3, "22050 Hz"}, {22000, 2, "16000 Hz"}, {96000, 6, "48000 Hz"},
                              {7999, 0, "8000 Hz"},   {8000, 0, "8000 Hz"},   {44100, 5, "44100 Hz"}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE("voices " + std::to_string(voices[i].value) + ", rate " + std::to_string(rates[i].value));
    GameSettings.NumVoices = voices[i].value;
    GameSettings.MixRate = rates[i].value;
    int voiceRow = -99, rateRow = -99;
    std::string voiceText, rateText;
    userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                         voiceRow = comboSelection(d, IDC_MSV_VOICES);
                                         voiceText = comboSelectedText(d, IDC_MSV_VOICES);
                                         rateRow = comboSelection(d, IDC_MSV_SAMPLE_RATE);
                                         rateText = comboSelectedText(d, IDC_MSV_SAMPLE_RATE);
                                       }),
                                       key(VK_ESCAPE)});
    openMusicSoundVideo();
    EXPECT_EQ(voiceRow, voices[i].row);
    EXPECT_EQ(voiceText, voices[i].rowText);
    EXPECT_EQ(rateRow, rates[i].row);
    EXPECT_EQ(rateText, rates[i].rowText);
    // A value between the listed ones stays until the list reports.
    EXPECT_EQ(GameSettings.NumVoices, voices[i].value);
    EXPECT_EQ(GameSettings.MixRate, rates[i].value);
  }
}

TEST_F(MusicSoundVideo, ChoosingVoicesAndRateStoresTheTableValues) {
  userscript::expectDialog(Caption, {selectRow(IDC_MSV_VOICES, 7), selectRow(IDC_MSV_SAMPLE_RATE, 0), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_EQ(GameSettings.NumVoices, 32);
  EXPECT_EQ(GameSettings.MixRate, 8000);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, MerelyTabbingThroughAListStoresTheValueItShows) {
  GameSettings.NumVoices = 10;
  GameSettings.MixRate = 22000;
  userscript::expectDialog(Caption, {focus(IDC_MSV_VOICES), focus(IDC_MSV_SAMPLE_RATE), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_EQ(GameSettings.NumVoices, 8);
  EXPECT_EQ(GameSettings.MixRate, 16000);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, FocusOnAListMarksTheConfigurationChangedEvenWithoutAChange) {
  userscript::expectDialog(Caption, {focus(IDC_MSV_RESOLUTION), key(VK_ESCAPE)});
  openMusicSoundVideo();
  EXPECT_TRUE(GameSettings.configChanged);
  EXPECT_EQ(GameSettings.ScreenWidth, 640);
  EXPECT_EQ(GameSettings.ScreenHeight, 480);
  EXPECT_EQ(GameSettings.ScreenBPP, 8);
}

// ---- Music ------------------------------------------------------------------------

TEST_F(MusicSoundVideo, DeviceListHoldsOneRowPerDeviceAndShowsTheConfiguredOne) {
  setMidiOutDevices({"Wavetable Synth", "USB MIDI Port"});
  GameSettings.MusicDevice = 1;
  bool checked = false, enabled = false;
  int row = -99, count = -99;
  std::string first, second;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       checked = isChecked(d, IDC_MSV_MUSIC_ENABLED);
                                       enabled = isEnabled(d, IDC_MSV_MUSIC_DEVICE);
                                       row = comboSelection(d, IDC_MSV_MUSIC_DEVICE);
                                       count = comboCount(d, IDC_MSV_MUSIC_DEVICE);
                                       first = comboRowText(d, IDC_MSV_MUSIC_DEVICE, 0);
                                       second = comboRowText(d, IDC_MSV_MUSIC_DEVICE, 1);
                                     }),
                                     selectRow(IDC_MSV_MUSIC_DEVICE, 0), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_TRUE(checked);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(first, "Wavetable Synth");
  EXPECT_EQ(second, "USB MIDI Port");
  EXPECT_EQ(GameSettings.MusicDevice, 0);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, DeviceNamesAreCutToTheCapabilitiesField) {
  setMidiOutDevices({"A synthesiser whose name is longer than thirty-one bytes"});
  std::string shown;
  userscript::expectDialog(
      Caption, {inspect([&](HWND d) { shown = comboRowText(d, IDC_MSV_MUSIC_DEVICE, 0); }), key(VK_ESCAPE)});
  openMusicSoundVideo();
  EXPECT_EQ(shown, "A synthesiser whose name is lon");
}

TEST_F(MusicSoundVideo, AMissingDeviceIsBroughtBackToTheLastOneWithoutMarkingAChange) {
  setMidiOutDevices({"First", "Second"});
  GameSettings.MusicDevice = 7;
  int row = -99;
  userscript::expectDialog(Caption,
                           {inspect([&](HWND d) { row = comboSelection(d, IDC_MSV_MUSIC_DEVICE); }), key(VK_ESCAPE)});
  openMusicSoundVideo();
  EXPECT_EQ(row, 1);
  EXPECT_EQ(GameSettings.MusicDevice, 1);
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, MusicOffDisablesTheDeviceListAndMusicOnTakesTheRowItShows) {
  setMidiOutDevices({"First", "Second"});
  GameSettings.MusicDevice = -1;
  bool checkedAtOpen = true, enabledAtOpen = true, enabledAfterOn = false, enabledAfterOff = true;
  int rowAtOpen = -99;
  int32_t deviceAfterOn = -99;
  userscript::expectDialog(
      Caption, {inspect([&](HWND d) {
                  checkedAtOpen = isChecked(d, IDC_MSV_MUSIC_ENABLED);
                  enabledAtOpen = isEnabled(d, IDC_MSV_MUSIC_DEVICE);
                  rowAtOpen = comboSelection(d, IDC_MSV_MUSIC_DEVICE);
                }),
                click(IDC_MSV_MUSIC_ENABLED), inspect([&](HWND d) {
                  enabledAfterOn = isEnabled(d, IDC_MSV_MUSIC_DEVICE);
                  deviceAfterOn = GameSettings.MusicDevice;
                }),
                click(IDC_MSV_MUSIC_ENABLED),
                inspect([&](HWND d) { enabledAfterOff = isEnabled(d, IDC_MSV_MUSIC_DEVICE); }), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_FALSE(checkedAtOpen);
  EXPECT_FALSE(enabledAtOpen);
  EXPECT_EQ(rowAtOpen, 0);
  EXPECT_TRUE(enabledAfterOn);
  EXPECT_EQ(deviceAfterOn, 0);
  EXPECT_FALSE(enabledAfterOff);
  EXPECT_EQ(GameSettings.MusicDevice, -1);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, WithoutDevicesMusicOnMeansNoDevice) {
  GameSettings.MusicDevice = 0;
  bool checked = false, enabled = false;
  int row = -99, count = -99;
  int32_t deviceAtOpen = -99, deviceAfterFocus = -99, deviceAfterOff = -99;
  userscript::expectDialog(
      Caption, {inspect([&](HWND d) {
                  checked = isChecked(d, IDC_MSV_MUSIC_ENABLED);
                  enabled = isEnabled(d, IDC_MSV_MUSIC_DEVICE);
                  row = comboSelection(d, IDC_MSV_MUSIC_DEVICE);
                  count = comboCount(d, IDC_MSV_MUSIC_DEVICE);
                  deviceAtOpen = GameSettings.MusicDevice;
                }),
                focus(IDC_MSV_MUSIC_DEVICE), inspect([&](HWND) { deviceAfterFocus = GameSettings.MusicDevice; }),
                click(IDC_MSV_MUSIC_ENABLED), inspect([&](HWND) { deviceAfterOff = GameSettings.MusicDevice; }),
                click(IDC_MSV_MUSIC_ENABLED), click(IDOK)});
  openMusicSoundVideo();
  // The box still says on, but the clamp leaves -1: music off.
  EXPECT_TRUE(checked);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(row, -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(deviceAtOpen, -1);
  EXPECT_EQ(deviceAfterFocus, -1);
  EXPECT_EQ(deviceAfterOff, -1);
  EXPECT_EQ(GameSettings.MusicDevice, -1);
  EXPECT_TRUE(GameSettings.configChanged);
}

// ---- Sound, sample size, full screen -------------------------------------------------

TEST_F(MusicSoundVideo, SoundOffLeavesTheOtherSoundControlsAloneAndSoundOnStoresZero) {
  GameSettings.FXDevice = 3;
  GameSettings.NumVoices = 16;
  bool checkedAtOpen = false;
  bool othersEnabled = false;
  int voicesRow = -99;
  int32_t fxAfterOff = -99;
  userscript::expectDialog(Caption, {inspect([&](HWND d) { checkedAtOpen = isChecked(d, IDC_MSV_SOUND_ENABLED); }),
                                     click(IDC_MSV_SOUND_ENABLED), inspect([&](HWND d) {
                                       fxAfterOff = GameSettings.FXDevice;
                                       othersEnabled = isEnabled(d, IDC_MSV_VOICES) && isEnabled(d, IDC_MSV_8BIT) &&
                                                       isEnabled(d, IDC_MSV_16BIT) && isEnabled(d, IDC_MSV_SAMPLE_RATE);
                                       voicesRow = comboSelection(d, IDC_MSV_VOICES);
                                     }),
                                     click(IDC_MSV_SOUND_ENABLED), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_TRUE(checkedAtOpen);
  EXPECT_EQ(fxAfterOff, -1);
  EXPECT_TRUE(othersEnabled);
  EXPECT_EQ(voicesRow, 5);
  EXPECT_EQ(GameSettings.NumVoices, 16);
  EXPECT_EQ(GameSettings.FXDevice, 0);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, SoundOpensOffForANegativeDevice) {
  GameSettings.FXDevice = -1;
  bool checked = true;
  userscript::expectDialog(Caption,
                           {inspect([&](HWND d) { checked = isChecked(d, IDC_MSV_SOUND_ENABLED); }), key(VK_ESCAPE)});
  openMusicSoundVideo();
  EXPECT_FALSE(checked);
}

TEST_F(MusicSoundVideo, SampleSizeShowsEightBitOnlyForEight) {
  const struct {
    int32_t bits;
    bool eight;
  } cases[] = {{8, true}, {16, false}, {12, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.bits);
    GameSettings.NumBits = c.bits;
    bool eight = !c.eight, sixteen = c.eight;
    userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                         eight = isChecked(d, IDC_MSV_8BIT);
                                         sixteen = isChecked(d, IDC_MSV_16BIT);
                                       }),
                                       key(VK_ESCAPE)});
    openMusicSoundVideo();
    EXPECT_EQ(eight, c.eight);
    EXPECT_EQ(sixteen, !c.eight);
  }
}

TEST_F(MusicSoundVideo, SampleSizeButtonsStoreEightAndSixteen) {
  GameSettings.NumBits = 12;
  int32_t afterEight = -99;
  userscript::expectDialog(Caption, {click(IDC_MSV_8BIT), inspect([&](HWND) { afterEight = GameSettings.NumBits; }),
                                     click(IDC_MSV_16BIT), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_EQ(afterEight, 8);
  EXPECT_EQ(GameSettings.NumBits, 16);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(MusicSoundVideo, FullScreenFollowsTheScreenMode) {
  GameSettings.ScreenMode = 0;
  bool checkedAtOpen = true;
  int32_t modeAfterOn = -99;
  userscript::expectDialog(
      Caption, {inspect([&](HWND d) { checkedAtOpen = isChecked(d, IDC_MSV_FULLSCREEN); }), click(IDC_MSV_FULLSCREEN),
                inspect([&](HWND) { modeAfterOn = GameSettings.ScreenMode; }), click(IDC_MSV_FULLSCREEN), click(IDOK)});
  openMusicSoundVideo();
  EXPECT_FALSE(checkedAtOpen);
  EXPECT_EQ(modeAfterOn, 1);
  EXPECT_EQ(GameSettings.ScreenMode, 0);

  GameSettings.ScreenMode = 2;
  bool checked = false;
  userscript::expectDialog(Caption,
                           {inspect([&](HWND d) { checked = isChecked(d, IDC_MSV_FULLSCREEN); }), key(VK_ESCAPE)});
  openMusicSoundVideo();
  EXPECT_TRUE(checked);
}

// ---- Closing ------------------------------------------------------------------------

TEST_F(MusicSoundVideo, CloseEnterAndEscapeAllKeepTheEdits) {
  const std::vector<Action> closings[] = {{click(IDOK)}, {key(VK_RETURN)}, {key(VK_ESCAPE)}};
  int32_t bits = 8;
  for (const std::vector<Action> &closing : closings) {
    bits = bits == 8 ? 16 : 8;
    SCOPED_TRACE(bits);
    std::vector<Action> actions = {click(bits == 8 ? IDC_MSV_8BIT : IDC_MSV_16BIT)};
    actions.insert(actions.end(), closing.begin(), closing.end());
    userscript::expectDialog(Caption, actions);
    EXPECT_EQ(openMusicSoundVideo(), 0);
    EXPECT_EQ(GameSettings.NumBits, bits);
  }
}

// A person cannot clear a drop-down list, so the code clears it here; what
// matters is that a command from a list without a selection stores nothing
// rather than reading a table at -1.
TEST_F(MusicSoundVideo, ListsWithoutASelectionStoreNothing) {
  auto clearSelections = inspect([](HWND d) {
    for (int id : {IDC_MSV_VOICES, IDC_MSV_SAMPLE_RATE, IDC_MSV_RESOLUTION})
      SendDlgItemMessageA(d, id, CB_SETCURSEL, (WPARAM)-1, 0);
  });
  userscript::expectDialog(
      "Music, Sound and Video",
      {clearSelections, focus(IDC_MSV_VOICES), focus(IDC_MSV_SAMPLE_RATE), focus(IDC_MSV_RESOLUTION), click(IDOK)});
  GameSettings.NumVoices = 10;
  openDialog(IDD_MUSIC_SOUND_VIDEO, musicSoundVideoDialogProc);
  EXPECT_EQ(GameSettings.NumVoices, 10);
  EXPECT_EQ(GameSettings.MixRate, 22050);
  EXPECT_EQ(GameSettings.ScreenWidth, 640);
  EXPECT_EQ(GameSettings.ScreenHeight, 480);
  EXPECT_EQ(GameSettings.ScreenBPP, 8);
  EXPECT_TRUE(GameSettings.configChanged);  // still reported as an edit
}

}  // namespace
