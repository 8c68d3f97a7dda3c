// Resource numbers: dialog templates, their controls, and the icon.
// Shared by the dialog code, the template data and every backend.
#pragma once

enum {
  IDI_TARRENGARD = 1000,  // icon group: 16, 24, 32, 48 pixels

  IDD_MAIN_MENU = 100,
  IDD_MUSIC_SOUND_VIDEO = 103,
  IDD_INPUT_DEVICES = 113,
  IDD_ADVANCED_MOUSE = 122,
  IDD_SELECT_KEY = 135,
  IDD_SELECT_FUNCTION = 136,

  IDC_STATIC = -1,

  // Main menu (100)
  IDC_MENU_SAVE = 1,          // "Save Configuration"
  IDC_MENU_EXIT = 2,          // "Exit"
  IDC_MENU_SAVE_AND_RUN = 3,  // "Save and Run Brax"
  IDC_MENU_MUSIC_SOUND_VIDEO = 101,
  IDC_MENU_INPUT_DEVICES = 102,

  // Music, sound and video (103)
  IDC_MSV_RESOLUTION_LABEL = 100,
  IDC_MSV_MUSIC_ENABLED = 104,
  IDC_MSV_MUSIC_DEVICE = 105,
  IDC_MSV_SOUND_ENABLED = 106,
  IDC_MSV_VOICES = 107,
  IDC_MSV_8BIT = 108,
  IDC_MSV_16BIT = 109,
  IDC_MSV_SAMPLE_RATE = 110,
  IDC_MSV_RESOLUTION = 111,
  IDC_MSV_FULLSCREEN = 112,

  // Input devices (113)
  IDC_INPUT_DEVICES_LABEL = 100,
  IDC_INPUT_CONTROLLER = 114,
  IDC_INPUT_ACTIONS = 116,
  IDC_INPUT_SELECT_PRIMARY = 117,
  IDC_INPUT_SELECT_SECONDARY = 118,
  IDC_INPUT_MOUSE_LIST = 119,
  IDC_INPUT_MOUSE_SELECT = 120,
  IDC_INPUT_ADVANCED = 121,
  IDC_INPUT_DEFAULTS = 142,   // "&Defaults": every key back to its default
  IDC_INPUT_MARK_NOTE = 143,  // explains the "!" after a key bound twice

  // Advanced mouse options (122)
  IDC_MOUSE_X_SCALE = 123,
  IDC_MOUSE_X_LABEL = 124,
  IDC_MOUSE_Y_SCALE = 125,
  IDC_MOUSE_Y_LABEL = 126,
  IDC_MOUSE_MOMENTARY = 127,
  IDC_MOUSE_TOGGLE = 128,
  IDC_MOUSE_ANALOG_X = 129,
  IDC_MOUSE_ANALOG_Y = 130,
  IDC_MOUSE_DIGITAL_UP = 131,
  IDC_MOUSE_DIGITAL_LEFT = 132,
  IDC_MOUSE_DIGITAL_RIGHT = 133,
  IDC_MOUSE_DIGITAL_DOWN = 134,

  // Select key (135) and select function (136)
  IDC_SELECT_TARGET = 137,  // the function name / the binding's description
  IDC_SELECT_LIST = 138,
  IDC_SELECT_NONE = 139,
  IDC_SELECT_PRESS_KEY = 140,   // Select Key only: "&Press a key..."
  IDC_SELECT_ALSO_BOUND = 141,  // Select Key only: where else the selected key is bound
};
