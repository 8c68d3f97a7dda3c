/* The program's resource tables: what the dialogs and every backend rely on. */
#include <cstring>
#include <set>
#include <string>

#include "platform/core/window.h"
#include "tests/platform/recording.h"
#include "platform/resources.h"
#include "ui/resource.h"

namespace {

const DialogControlTemplate *control(const DialogTemplateData *data, int id) {
  for (int i = 0; i < data->controlCount; ++i) {
    if (data->controls[i].id == id) return &data->controls[i];
  }
  return nullptr;
}

TEST(DialogTemplates, SixTemplatesWithTheirCaptionsAndFont) {
  struct Expected {
    int id;
    const char *caption;
    int controls;
  } expected[] = {{IDD_MAIN_MENU, "Tarrengard Configuration", 6},
                  {IDD_MUSIC_SOUND_VIDEO, "Music, Sound and Video", 18},
                  {IDD_INPUT_DEVICES, "Input Devices", 16},
                  {IDD_ADVANCED_MOUSE, "Advanced Mouse Options", 20},
                  {IDD_SELECT_KEY, "Select Key", 8},
                  {IDD_SELECT_FUNCTION, "Select Function", 6}};
  EXPECT_EQ(DialogTemplateCount, 6);
  for (const Expected &e : expected) {
    const DialogTemplateData *data = findDialogTemplate(e.id);
    ASSERT_NE(data, nullptr) << e.id;
    EXPECT_STREQ(data->caption, e.caption);
    EXPECT_STREQ(data->fontName, "MS Shell Dlg");
    EXPECT_EQ(data->pointSize, 8);
    EXPECT_EQ(data->controlCount, e.controls) << e.caption;
  }
  EXPECT_EQ(findDialogTemplate(101), nullptr);
  EXPECT_EQ(findDialogTemplate(0), nullptr);
}

TEST(DialogTemplates, OnlyTheMainMenuHasACloseBox) {
  for (int i = 0; i < DialogTemplateCount; ++i) {
    const DialogTemplateData &data = DialogTemplateTable[i];
    EXPECT_EQ((data.style & WS_SYSMENU) != 0, data.id == IDD_MAIN_MENU) << data.caption;
    EXPECT_TRUE(data.style & WS_CAPTION) << data.caption;
    EXPECT_TRUE(data.style & DS_MODALFRAME) << data.caption;
  }
  EXPECT_EQ(findDialogTemplate(IDD_MAIN_MENU)->style, 0x90CE08C8u);
}

TEST(DialogTemplates, ControlsAreChildrenInsideTheirDialogWithUniqueIdsAndMnemonics) {
  for (int i = 0; i < DialogTemplateCount; ++i) {
    const DialogTemplateData &data = DialogTemplateTable[i];
    std::set<int> ids;
    std::set<char> mnemonics;
    int defaults = 0;
    for (int c = 0; c < data.controlCount; ++c) {
      const DialogControlTemplate &t = data.controls[c];
      SCOPED_TRACE(std::string(data.caption) + " / " + t.text + " / " + std::to_string(t.id));
      EXPECT_EQ(t.style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
      EXPECT_LE(t.x + t.cx, data.cx);
      EXPECT_LE(t.y, data.cy);
      if (t.id != IDC_STATIC) {
        EXPECT_TRUE(ids.insert(t.id).second) << "duplicate id";
      }
      if (std::strcmp(t.className, "BUTTON") == 0 && (t.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) ++defaults;
      const char *amp = std::strchr(t.text, '&');
      if (amp && amp[1]) {
        EXPECT_TRUE(mnemonics.insert(static_cast<char>(std::toupper(amp[1]))).second);
      }
    }
    EXPECT_EQ(defaults, 1) << data.caption;
  }
}

TEST(DialogTemplates, StylesTheDialogsDependOn) {
  const DialogTemplateData *selectKey = findDialogTemplate(IDD_SELECT_KEY);
  const DialogTemplateData *selectFunction = findDialogTemplate(IDD_SELECT_FUNCTION);
  // The key list sorts itself; the function list must not, its rows are table indexes.
  EXPECT_TRUE(control(selectKey, IDC_SELECT_LIST)->style & LBS_SORT);
  EXPECT_FALSE(control(selectFunction, IDC_SELECT_LIST)->style & LBS_SORT);
  for (const DialogTemplateData *data : {selectKey, selectFunction}) {
    EXPECT_TRUE(control(data, IDC_SELECT_LIST)->style & WS_DISABLED);
    EXPECT_TRUE(control(data, IDC_SELECT_LIST)->style & LBS_NOTIFY);
    EXPECT_EQ(control(data, IDC_SELECT_TARGET)->style & (SS_CENTER | SS_SUNKEN | SS_NOPREFIX),
              SS_CENTER | SS_SUNKEN | SS_NOPREFIX);
    EXPECT_EQ(control(data, IDC_SELECT_NONE)->style & BS_TYPEMASK, BS_AUTOCHECKBOX);
  }
  // The note beside the key list shows names, with no mnemonic; it lies
  // under "Press a key..." (the specified controls it keeps clear of).
  const DialogControlTemplate *note = control(selectKey, IDC_SELECT_ALSO_BOUND);
  EXPECT_EQ(note->style & (SS_TYPEMASK | SS_NOPREFIX | WS_TABSTOP), SS_LEFT | SS_NOPREFIX);
  const DialogControlTemplate *press = control(selectKey, IDC_SELECT_PRESS_KEY);
  EXPECT_GE(note->y, press->y + press->cy);
  // Option lists keep the order they are filled in: row index = table index.
  for (int id : {IDD_MUSIC_SOUND_VIDEO, IDD_INPUT_DEVICES, IDD_ADVANCED_MOUSE}) {
    const DialogTemplateData *data = findDialogTemplate(id);
    for (int c = 0; c < data->controlCount; ++c) {
      const DialogControlTemplate &t = data->controls[c];
      if (std::strcmp(t.className, "COMBOBOX") == 0) {
        EXPECT_EQ(t.style & 0xF, CBS_DROPDOWNLIST) << t.id;
        EXPECT_FALSE(t.style & CBS_SORT) << t.id;
      }
      if (std::strcmp(t.className, "LISTBOX") == 0) {
        EXPECT_FALSE(t.style & LBS_SORT) << t.id;
        EXPECT_TRUE(t.style & LBS_USETABSTOPS) << t.id;
      }
    }
  }
  const DialogTemplateData *mouse = findDialogTemplate(IDD_ADVANCED_MOUSE);
  EXPECT_TRUE(control(mouse, IDC_MOUSE_X_SCALE)->style & TBS_TOP);
  EXPECT_FALSE(control(mouse, IDC_MOUSE_Y_SCALE)->style & TBS_TOP);
  EXPECT_STREQ(control(mouse, IDC_MOUSE_X_SCALE)->className, TRACKBAR_CLASSA);
  EXPECT_TRUE(control(mouse, IDC_MOUSE_TOGGLE)->style & WS_GROUP);
  EXPECT_TRUE(control(findDialogTemplate(IDD_MUSIC_SOUND_VIDEO), IDC_MSV_8BIT)->style & WS_GROUP);
}

// Every size the Windows icon group has, one image each, and only the
// program's icon number is known.
TEST(IconTable, TheProgramIconListsEachSizeOnceAndNoOtherNumberIsAnIcon) {
  const IconResource *icon = findIcon(IDI_TARRENGARD);
  ASSERT_NE(icon, nullptr);
  std::set<int> sizes;
  std::set<std::string> files;
  for (int i = 0; i < icon->imageCount; ++i) {
    sizes.insert(icon->images[i].size);
    files.insert(icon->images[i].file);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48}));
  EXPECT_EQ(files.size(), static_cast<size_t>(icon->imageCount));
  for (int other : {0, IDI_TARRENGARD - 1, IDI_TARRENGARD + 1, static_cast<int>(IDD_MAIN_MENU)})
    EXPECT_EQ(findIcon(other), nullptr);
}

class TemplateFocus : public PlatformTest {};

// The first visible, enabled tab stop of each template takes the focus.
TEST_F(TemplateFocus, FirstTabStopOfEachTemplate) {
  struct Expected {
    int dialog;
    const char *caption;
    int focus;
  } expected[] = {{IDD_MAIN_MENU, "Tarrengard Configuration", IDC_MENU_EXIT},
                  {IDD_MUSIC_SOUND_VIDEO, "Music, Sound and Video", IDC_MSV_MUSIC_ENABLED},
                  {IDD_INPUT_DEVICES, "Input Devices", IDC_INPUT_SELECT_SECONDARY},
                  {IDD_ADVANCED_MOUSE, "Advanced Mouse Options", IDC_MOUSE_X_SCALE},
                  // The key and function lists start disabled, so they are passed over.
                  {IDD_SELECT_KEY, "Select Key", IDC_SELECT_NONE},
                  {IDD_SELECT_FUNCTION, "Select Function", IDOK}};
  for (const Expected &e : expected) {
    userscript::expectDialog(
        e.caption, {check([&](HWND dialog) { EXPECT_EQ(GetFocus(), GetDlgItem(dialog, e.focus)) << e.caption; }),
                    userscript::key(VK_ESCAPE)});
    RecordingHook = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
      if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 5);
      return message == WM_INITDIALOG;
    };
    EXPECT_EQ(runDialog(e.dialog), 5);
  }
}

}  // namespace
