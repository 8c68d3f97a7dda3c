/* The program's resources: the six dialog templates and the program icon as
 * data, what a Windows resource compiler would produce from the program's .rc
 * file, kept as plain tables so that every backend (headless, Qt, the Windows
 * build) renders the same description. Control order is template order,
 * which is also the tab order. Each template holds the controls its Part
 * specifies, in the specified order and places; controls of our own follow
 * them, in room the specified ones leave free.
 */
#include "platform/resources.h"
#include "platform/win32.h"
#include "ui/resource.h"

namespace {

// Style words built the way a resource editor builds them.
constexpr uint32_t Child = WS_CHILD | WS_VISIBLE;
constexpr uint32_t PushButton = Child | WS_TABSTOP | BS_PUSHBUTTON;
constexpr uint32_t DefPushButton = Child | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr uint32_t AutoCheckBox = Child | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr uint32_t AutoRadioButton = Child | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr uint32_t GroupBox = Child | BS_GROUPBOX;
// Static texts start a group, as LTEXT, RTEXT and CTEXT do: the arrow keys of
// a radio group stop at the label that follows it.
constexpr uint32_t Label = Child | WS_GROUP | SS_LEFT;
constexpr uint32_t RightLabel = Child | WS_GROUP | SS_RIGHT;
constexpr uint32_t NameLabel = Child | WS_GROUP | SS_CENTER | SS_SUNKEN | SS_NOPREFIX;
// Text the program fills in from names, which may hold any character.
constexpr uint32_t NoteLabel = Child | WS_GROUP | SS_LEFT | SS_NOPREFIX;
constexpr uint32_t DropDownList = Child | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
constexpr uint32_t ScrollingDropDownList = DropDownList | WS_VSCROLL;
constexpr uint32_t ColumnList =
    Child | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT;
constexpr uint32_t PickList =
    Child | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_DISABLED | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
constexpr uint32_t Trackbar = Child | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_FIXEDLENGTH;

// Settings dialogs: a modal frame with a caption and no system menu, so no
// close box; centred on the screen.
constexpr uint32_t SettingsDialog =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_CENTER | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

const char *const DialogFont = "MS Shell Dlg";

const DialogControlTemplate MainMenuControls[] = {
    {IDC_MENU_EXIT, "BUTTON", "Exit", 49, 101, 73, 14, 0x50010001},
    {IDC_STATIC, "BUTTON", "Select a category", 6, 7, 162, 54, 0x50000107},
    {IDC_MENU_MUSIC_SOUND_VIDEO, "BUTTON", "Music, Sound and Video", 23, 20, 125, 14, 0x50010000},
    {IDC_MENU_INPUT_DEVICES, "BUTTON", "Input Devices", 23, 37, 125, 14, 0x50010000},
    {IDC_MENU_SAVE, "BUTTON", "Save Configuration", 49, 68, 73, 14, 0x50010000},
    {IDC_MENU_SAVE_AND_RUN, "BUTTON", "Save and Run Brax", 49, 84, 73, 14, 0x50010000},
};

const DialogControlTemplate MusicSoundVideoControls[] = {
    {IDC_STATIC, "BUTTON", "Music", 5, 4, 127, 52, GroupBox},
    {IDC_MSV_MUSIC_ENABLED, "BUTTON", "Enabled", 13, 14, 50, 10, AutoCheckBox},
    {IDC_STATIC, "STATIC", "Music device:", 13, 28, 55, 8, Label},
    {IDC_MSV_MUSIC_DEVICE, "COMBOBOX", "", 13, 38, 113, 60, ScrollingDropDownList},
    {IDC_STATIC, "BUTTON", "Sound", 5, 59, 127, 72, GroupBox},
    {IDC_MSV_SOUND_ENABLED, "BUTTON", "Enabled", 13, 70, 50, 10, AutoCheckBox},
    {IDC_STATIC, "STATIC", "Voices:", 13, 86, 35, 8, Label},
    {IDC_MSV_VOICES, "COMBOBOX", "", 49, 83, 48, 60, ScrollingDropDownList},
    {IDC_STATIC, "STATIC", "Sample size:", 13, 102, 39, 8, Label},
    {IDC_MSV_8BIT, "BUTTON", "8-bit", 57, 102, 31, 10, AutoRadioButton | WS_GROUP},
    {IDC_MSV_16BIT, "BUTTON", "16-bit", 91, 102, 36, 10, AutoRadioButton},
    {IDC_STATIC, "STATIC", "Sample rate:", 13, 115, 43, 8, Label},
    {IDC_MSV_SAMPLE_RATE, "COMBOBOX", "", 59, 112, 48, 60, ScrollingDropDownList},
    {IDC_STATIC, "BUTTON", "Video", 5, 135, 127, 47, GroupBox},
    {IDC_MSV_RESOLUTION, "COMBOBOX", "", 51, 146, 75, 113, ScrollingDropDownList},
    {IDC_MSV_FULLSCREEN, "BUTTON", "Fullscreen", 46, 164, 47, 10, AutoCheckBox},
    {IDOK, "BUTTON", "Close", 92, 186, 40, 14, DefPushButton},
    {IDC_MSV_RESOLUTION_LABEL, "STATIC", "Resolution:", 11, 148, 38, 8, Label},
};

const DialogControlTemplate InputDevicesControls[] = {
    {IDC_INPUT_SELECT_SECONDARY, "BUTTON", "Select Secondary", 111, 176, 68, 13, PushButton},
    {IDC_INPUT_SELECT_PRIMARY, "BUTTON", "Select Primary", 41, 176, 68, 13, PushButton},
    {IDC_INPUT_ACTIONS, "LISTBOX", "", 11, 25, 168, 148, ColumnList},
    {IDC_STATIC, "STATIC", "Action", 13, 16, 167, 8, Label},
    {IDC_STATIC, "BUTTON", "Key Assignments", 5, 4, 182, 190, GroupBox},
    {IDC_INPUT_MOUSE_SELECT, "BUTTON", "Select", 309, 90, 40, 13, PushButton},
    {IDC_STATIC, "STATIC", "* = Double-clicked", 285, 34, 66, 8, Label},
    {IDC_INPUT_MOUSE_LIST, "LISTBOX", "", 201, 45, 148, 43, ColumnList},
    {IDC_STATIC, "STATIC", "Button", 201, 34, 59, 8, Label},
    {IDC_STATIC, "BUTTON", "Mouse Assignments", 193, 23, 163, 85, GroupBox},
    {IDOK, "BUTTON", "Close", 316, 182, 40, 14, DefPushButton},
    {IDC_INPUT_ADVANCED, "BUTTON", "Advanced...", 201, 90, 50, 13, PushButton},
    {IDC_INPUT_DEVICES_LABEL, "STATIC", "Input Devices:", 198, 9, 51, 8, Label},
    {IDC_INPUT_CONTROLLER, "COMBOBOX", "", 251, 7, 102, 66, DropDownList},
    {IDC_INPUT_MARK_NOTE, "STATIC", "! after a key = also bound elsewhere", 201, 116, 150, 8, Label},
    {IDC_INPUT_DEFAULTS, "BUTTON", "&Defaults", 201, 128, 50, 13, PushButton},
};

const DialogControlTemplate AdvancedMouseControls[] = {
    {IDC_STATIC, "BUTTON", "Mouse", 5, 5, 218, 143, GroupBox},
    {IDC_STATIC, "STATIC", "X-Axis Scale:", 13, 21, 50, 8, Label},
    {IDC_MOUSE_X_SCALE, TRACKBAR_CLASSA, "", 63, 14, 133, 17, Trackbar | TBS_TOP},
    {IDC_MOUSE_X_LABEL, "STATIC", "1.0", 197, 21, 22, 8, Label},
    {IDC_STATIC, "STATIC", "Y-Axis Scale:", 13, 38, 50, 8, Label},
    {IDC_MOUSE_Y_SCALE, TRACKBAR_CLASSA, "", 63, 37, 133, 17, Trackbar | TBS_BOTTOM},
    {IDC_MOUSE_Y_LABEL, "STATIC", "1.0", 197, 38, 22, 8, Label},
    {IDC_STATIC, "STATIC", "Mouse Aiming Mode:", 13, 60, 74, 8, Label},
    {IDC_MOUSE_TOGGLE, "BUTTON", "Toggle", 93, 60, 40, 10, AutoRadioButton | WS_GROUP},
    {IDC_MOUSE_MOMENTARY, "BUTTON", "Momentary", 145, 60, 56, 10, AutoRadioButton},
    {IDC_STATIC, "STATIC", "Analogue X:", 13, 78, 41, 8, Label},
    {IDC_MOUSE_ANALOG_X, "COMBOBOX", "", 56, 76, 69, 52, DropDownList},
    {IDC_STATIC, "STATIC", "Y:", 129, 78, 13, 8, RightLabel},
    {IDC_MOUSE_ANALOG_Y, "COMBOBOX", "", 145, 76, 69, 52, DropDownList},
    {IDC_STATIC, "STATIC", "Digital", 14, 113, 25, 9, Label},
    {IDC_MOUSE_DIGITAL_UP, "BUTTON", "Push", 84, 96, 82, 14, PushButton},
    {IDC_MOUSE_DIGITAL_LEFT, "BUTTON", "Push", 45, 111, 81, 14, PushButton},
    {IDC_MOUSE_DIGITAL_RIGHT, "BUTTON", "Push", 127, 111, 81, 14, PushButton},
    {IDC_MOUSE_DIGITAL_DOWN, "BUTTON", "Push", 84, 126, 82, 14, PushButton},
    {IDOK, "BUTTON", "Close", 182, 154, 40, 14, DefPushButton},
};

const DialogControlTemplate SelectKeyControls[] = {
    {IDC_STATIC, "STATIC", "Select the key to assign to:", 5, 5, 109, 8, Label},
    {IDC_SELECT_TARGET, "STATIC", "Function_name_goes_here", 5, 17, 155, 11, NameLabel},
    {IDC_SELECT_LIST, "LISTBOX", "", 21, 33, 71, 78, PickList | LBS_SORT},
    {IDC_SELECT_NONE, "BUTTON", "None", 106, 65, 40, 10, AutoCheckBox},
    {IDOK, "BUTTON", "&Set", 78, 118, 40, 14, DefPushButton},
    {IDCANCEL, "BUTTON", "&Cancel", 122, 118, 40, 14, PushButton},
    // Ours, after the specified six (so also last in the tab order), in the
    // room right of the list: above and below "None", flush with Cancel.
    {IDC_SELECT_PRESS_KEY, "BUTTON", "&Press a key...", 96, 33, 66, 14, PushButton},
    {IDC_SELECT_ALSO_BOUND, "STATIC", "", 96, 76, 66, 40, NoteLabel},
};

const DialogControlTemplate SelectFunctionControls[] = {
    {IDC_STATIC, "STATIC", "Select the function to assign to:", 5, 5, 109, 8, Label},
    {IDC_SELECT_TARGET, "STATIC", "Button_name_goes_here", 5, 17, 191, 11, NameLabel},
    {IDC_SELECT_LIST, "LISTBOX", "", 21, 33, 107, 78, PickList},
    {IDOK, "BUTTON", "&Set", 113, 118, 40, 14, DefPushButton},
    {IDCANCEL, "BUTTON", "&Cancel", 157, 118, 40, 14, PushButton},
    {IDC_SELECT_NONE, "BUTTON", "None", 143, 65, 40, 10, AutoCheckBox},
};

// The images are the ones the Windows icon group is made of
// (app/icons/tarrengard.ico); ui/resources.qrc gives them these names.
const IconImage ProgramIconImages[] = {
    {16, "icons/tarrengard-16.png"},
    {24, "icons/tarrengard-24.png"},
    {32, "icons/tarrengard-32.png"},
    {48, "icons/tarrengard-48.png"},
};

template <typename T, int N>
constexpr int countOf(const T (&)[N]) {
  return N;
}

}  // namespace

const DialogTemplateData DialogTemplateTable[] = {
    {IDD_MAIN_MENU, "Tarrengard Configuration", DialogFont, 8, 5, 17, 175, 117, 0x90CE08C8, MainMenuControls,
     countOf(MainMenuControls)},
    {IDD_MUSIC_SOUND_VIDEO, "Music, Sound and Video", DialogFont, 8, 0, 0, 137, 204, SettingsDialog,
     MusicSoundVideoControls, countOf(MusicSoundVideoControls)},
    {IDD_INPUT_DEVICES, "Input Devices", DialogFont, 8, 0, 0, 361, 200, SettingsDialog, InputDevicesControls,
     countOf(InputDevicesControls)},
    {IDD_ADVANCED_MOUSE, "Advanced Mouse Options", DialogFont, 8, 0, 0, 228, 173, SettingsDialog, AdvancedMouseControls,
     countOf(AdvancedMouseControls)},
    {IDD_SELECT_KEY, "Select Key", DialogFont, 8, 0, 0, 165, 136, SettingsDialog, SelectKeyControls,
     countOf(SelectKeyControls)},
    {IDD_SELECT_FUNCTION, "Select Function", DialogFont, 8, 0, 0, 201, 136, SettingsDialog, SelectFunctionControls,
     countOf(SelectFunctionControls)},
};

const int DialogTemplateCount = sizeof DialogTemplateTable / sizeof DialogTemplateTable[0];

const IconResource IconTable[] = {
    {IDI_TARRENGARD, ProgramIconImages, countOf(ProgramIconImages)},
};

const int IconCount = sizeof IconTable / sizeof IconTable[0];

// Where the label before a control would mislead a listener: the mouse list
// would be read as its legend, the empty "Also bound to" note as the
// function's name above it.
const AccessibleNameEntry AccessibleNameTable[] = {
    {IDD_INPUT_DEVICES, IDC_INPUT_MOUSE_LIST, "Mouse buttons (* = double-click)"},
    {IDD_SELECT_KEY, IDC_SELECT_ALSO_BOUND, "Also bound to: nothing else"},
};

const int AccessibleNameCount = sizeof AccessibleNameTable / sizeof AccessibleNameTable[0];
