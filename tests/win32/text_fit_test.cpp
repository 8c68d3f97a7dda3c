// What only the system's own dialog font can tell (here Wine's): the texts
// the program sets while it runs fit where it puts them. The note beside
// Select Key's list sets its own line breaks, so every line it can hold must
// fit its static without a wrap; a key's mark in the Action list must end
// before the next column.
#include "tests/ui/dialog_test_support.h"
#include "tests/win32/text_fit.h"

namespace {

using namespace dialogtest;

class TextFit : public DialogTest {};

TEST_F(TextFit, EveryLineOfTheAlsoBoundNoteFitsItsStatic) {
  std::vector<std::vector<KeySlot>> notes = {{{43, 1}, {9, 1}}};  // five lines
  std::vector<KeySlot> everyOther;
  for (int f = 0; f < GameFunctionCount; ++f) {
    for (int slot = 0; slot < 2; ++slot) {
      notes.push_back({{f, slot}});
      if (f != 9 || slot != 0) everyOther.push_back({f, slot});
    }
  }
  notes.push_back(everyOther);  // "and 104 more"
  userscript::expectDialog("Select Primary Key", {inspect([&](HWND d) {
                                                    HWND note = GetDlgItem(d, IDC_SELECT_ALSO_BOUND);
                                                    LONG style = GetWindowLongA(note, GWL_STYLE);
                                                    for (const std::vector<KeySlot> &others : notes) {
                                                      std::string text = alsoBoundNote(others);
                                                      EXPECT_EQ(cutText(note, "Static", style, text), "") << text;
                                                    }
                                                  }),
                                                  key(VK_ESCAPE)});
  KeySelectRequest.functionIndex = 9;
  openDialog(IDD_SELECT_KEY, selectKeyDialogProc);
}

TEST_F(TextFit, EveryKeyWithItsMarkEndsBeforeTheNextColumn) {
  const int perOpening = GameFunctionCount - 1;  // the console holds no second key
  for (int first = 0; first < KeyNameCount; first += perOpening) {
    for (int f = 0; f < perOpening; ++f) {
      const char *key = first + f < KeyNameCount ? KeyNameTable[first + f] : EmptyName;
      GameSettings.KeyBindings[f][0] = GameSettings.KeyBindings[f][1] = key;
    }
    userscript::expectDialog("Input Devices",
                             {inspect([&](HWND d) {
                                HWND list = GetDlgItem(d, IDC_INPUT_ACTIONS);
                                RECT stops = {96, 0, 128, 0};
                                MapDialogRect(d, &stops);
                                HDC dc = GetDC(list);
                                HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(list, WM_GETFONT, 0, 0));
                                for (int f = 0; f < perOpening && first + f < KeyNameCount; ++f) {
                                  std::string row = listRowText(d, IDC_INPUT_ACTIONS, f);
                                  size_t start = row.find('\t') + 1;
                                  std::string primary = row.substr(start, row.find('\t', start) - start);
                                  EXPECT_NE(primary, KeyNameTable[first + f]) << "no mark";
                                  SIZE size = {};
                                  GetTextExtentPoint32A(dc, primary.c_str(), (int)primary.size(), &size);
                                  EXPECT_LT(size.cx, stops.right - stops.left) << primary;
                                }
                                SelectObject(dc, old);
                                ReleaseDC(list, dc);
                              }),
                              key(VK_ESCAPE)});
    openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc);
  }
}

}  // namespace
