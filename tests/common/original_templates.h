/* The six dialog templates as the game's configurator has always had them,
 * and the check that a template keeps them: its size, style, caption and
 * font, and its first controls those of the original, in their order, with
 * their ids, classes, texts, places and styles. Controls of our own may only
 * follow them, inside the dialog and clear of every original control.
 *
 * The main menu's styles are known as numbers; the settings dialogs' are
 * known in words ("automatic check box, tab stop"), so a style here is the
 * bits those words set and the bits they decide (set or clear); a bit the
 * words leave open (the tab stop of Input Devices' buttons, a static's
 * WS_GROUP) is left to the program. Position 5,17 is fixed for the main menu
 * only; the other dialogs are centred on the screen.
 *
 * Used against the template data (tests/platform) and against the templates
 * compiled into tarrengard-setup.exe (tests/win32/resource_check.cpp).
 */
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/resources.h"

namespace original {

// The bits the words of a template set, and every bit they decide.
struct Style {
  uint32_t set;
  uint32_t decided;
};
constexpr Style operator+(Style a, Style b) { return {a.set | b.set, a.decided | b.decided}; }
constexpr Style is(uint32_t bits) { return {bits, bits}; }
constexpr Style isNot(uint32_t bits) { return {0, bits}; }
constexpr Style exactly(uint32_t word) { return {word, 0xFFFFFFFFu}; }

constexpr uint32_t ButtonKind = 0x000F;         // BS_TYPEMASK
constexpr uint32_t StaticKind = 0x001F;         // SS_TYPEMASK
constexpr uint32_t ComboKind = 0x0003;          // CBS_SIMPLE, CBS_DROPDOWN, CBS_DROPDOWNLIST
constexpr uint32_t TrackbarVertical = 0x0002;   // TBS_VERT
constexpr uint32_t TrackbarTickSides = 0x000C;  // TBS_TOP (TBS_LEFT), TBS_BOTH

// A control: a visible child, enabled unless the template says otherwise.
constexpr Style Child = {0x50000000u /* WS_CHILD | WS_VISIBLE */, 0x58000000u /* and WS_DISABLED */};
constexpr Style TabStop = is(0x00010000u);            // WS_TABSTOP
constexpr Style StartsGroup = is(0x00020000u);        // WS_GROUP
constexpr Style InitiallyDisabled = is(0x08000000u);  // WS_DISABLED
constexpr Style Border = is(0x00800000u);             // WS_BORDER
constexpr Style VerticalScrollBar = is(0x00200000u);  // WS_VSCROLL
constexpr Style NoScrollBar = isNot(0x00200000u);

constexpr Style PushButton = Child + Style{0x0 /* BS_PUSHBUTTON */, ButtonKind};
constexpr Style DefaultPushButton = Child + Style{0x1 /* BS_DEFPUSHBUTTON */, ButtonKind};
constexpr Style AutoCheckBox = Child + Style{0x3 /* BS_AUTOCHECKBOX */, ButtonKind};
constexpr Style AutoRadioButton = Child + Style{0x9 /* BS_AUTORADIOBUTTON */, ButtonKind};
constexpr Style GroupBox = Child + Style{0x7 /* BS_GROUPBOX */, ButtonKind};

constexpr Style StaticText = Child + Style{0x0 /* SS_LEFT */, StaticKind};
constexpr Style RightAlignedText = Child + Style{0x2 /* SS_RIGHT */, StaticKind};
// "centred, sunken, no mnemonic prefix"
constexpr Style NameText =
    Child + Style{0x1 /* SS_CENTER */, StaticKind} + is(0x1000 /* SS_SUNKEN */) + is(0x0080 /* SS_NOPREFIX */);

constexpr Style ListBox = Child;
constexpr Style Sorted = is(0x0002);  // LBS_SORT
constexpr Style Unsorted = isNot(0x0002);
constexpr Style HoldsStrings = is(0x0040);      // LBS_HASSTRINGS
constexpr Style Notifies = is(0x0001);          // LBS_NOTIFY
constexpr Style TabStopsInText = is(0x0080);    // LBS_USETABSTOPS
constexpr Style NoIntegralHeight = is(0x0100);  // LBS_NOINTEGRALHEIGHT

constexpr Style DropDownList = Child + Style{0x3 /* CBS_DROPDOWNLIST */, ComboKind};
constexpr Style ComboUnsorted = isNot(0x0100);   // CBS_SORT
constexpr Style ComboHoldsStrings = is(0x0200);  // CBS_HASSTRINGS

constexpr Style HorizontalTrackbar = Child + isNot(TrackbarVertical);
constexpr Style AutomaticTicks = is(0x0001);  // TBS_AUTOTICKS
constexpr Style TicksAbove = Style{0x0004 /* TBS_TOP */, TrackbarTickSides};
constexpr Style TicksBelow = Style{0x0000 /* TBS_BOTTOM */, TrackbarTickSides};
constexpr Style FixedLengthThumb = is(0x0040);  // TBS_FIXEDLENGTH

// Dialogs. 4.1 and 4.5 list the styles; 4.2 to 4.4 say "centred on the
// screen, title bar and modal frame, no system menu" with a font.
constexpr uint32_t ListedSettingsDialog = 0x80000000u | 0x10000000u | 0x00C00000u | 0x0800u | 0x0080u | 0x0040u |
                                          0x0008u;  // WS_POPUP WS_VISIBLE WS_CAPTION DS_CENTER DS_MODALFRAME
                                                    // DS_SETFONT DS_FIXEDSYS
constexpr Style DescribedSettingsDialog = is(0x00C00000u /* WS_CAPTION */ | 0x0800u /* DS_CENTER */ |
                                             0x0080u /* DS_MODALFRAME */ | 0x0040u /* DS_SETFONT */) +
                                          isNot(0x00080000u /* WS_SYSMENU */);

struct OriginalControl {
  int id;  // -1: the template's "none"
  const char *className;
  const char *text;
  int x, y, cx, cy;
  Style style;
};

struct Dialog {
  int id;
  const char *part;
  const char *caption;
  bool placed;  // whether x, y are original
  int x, y, cx, cy;
  Style style;
  std::vector<OriginalControl> controls;
};

// clang-format off
inline const std::vector<Dialog> &templates() {
  static const Style SortedList = ListBox + Sorted + InitiallyDisabled + HoldsStrings + Notifies + Border +
                                  VerticalScrollBar + NoIntegralHeight;
  static const Style UnsortedList = ListBox + Unsorted + InitiallyDisabled + HoldsStrings + Notifies + Border +
                                    VerticalScrollBar + NoIntegralHeight;
  static const Style ColumnList = ListBox + Unsorted + TabStopsInText + Notifies + Border + VerticalScrollBar +
                                  NoIntegralHeight;
  static const Style DeviceList = DropDownList + ComboUnsorted + ComboHoldsStrings + VerticalScrollBar + TabStop;
  static const Style AnalogList = DropDownList + ComboUnsorted + ComboHoldsStrings + NoScrollBar + TabStop;
  static const std::vector<Dialog> dialogs = {
      {100, "main menu", "Tarrengard Configuration", true, 5, 17, 175, 117, exactly(0x90CE08C8u), {
          {2, "BUTTON", "Exit", 49, 101, 73, 14, exactly(0x50010001u)},
          {-1, "BUTTON", "Select a category", 6, 7, 162, 54, exactly(0x50000107u)},
          {101, "BUTTON", "Music, Sound and Video", 23, 20, 125, 14, exactly(0x50010000u)},
          {102, "BUTTON", "Input Devices", 23, 37, 125, 14, exactly(0x50010000u)},
          {1, "BUTTON", "Save Configuration", 49, 68, 73, 14, exactly(0x50010000u)},
          {3, "BUTTON", "Save and Run Brax", 49, 84, 73, 14, exactly(0x50010000u)},
      }},
      {103, "settings dialog", "Music, Sound and Video", false, 0, 0, 137, 204, exactly(ListedSettingsDialog), {
          {-1, "BUTTON", "Music", 5, 4, 127, 52, GroupBox},
          {104, "BUTTON", "Enabled", 13, 14, 50, 10, AutoCheckBox + TabStop},
          {-1, "STATIC", "Music device:", 13, 28, 55, 8, StaticText},
          {105, "COMBOBOX", "", 13, 38, 113, 60, DeviceList},
          {-1, "BUTTON", "Sound", 5, 59, 127, 72, GroupBox},
          {106, "BUTTON", "Enabled", 13, 70, 50, 10, AutoCheckBox + TabStop},
          {-1, "STATIC", "Voices:", 13, 86, 35, 8, StaticText},
          {107, "COMBOBOX", "", 49, 83, 48, 60, DeviceList},
          {-1, "STATIC", "Sample size:", 13, 102, 39, 8, StaticText},
          {108, "BUTTON", "8-bit", 57, 102, 31, 10, AutoRadioButton + StartsGroup + TabStop},
          {109, "BUTTON", "16-bit", 91, 102, 36, 10, AutoRadioButton + TabStop},
          {-1, "STATIC", "Sample rate:", 13, 115, 43, 8, StaticText},
          {110, "COMBOBOX", "", 59, 112, 48, 60, DeviceList},
          {-1, "BUTTON", "Video", 5, 135, 127, 47, GroupBox},
          {111, "COMBOBOX", "", 51, 146, 75, 113, DeviceList},
          {112, "BUTTON", "Fullscreen", 46, 164, 47, 10, AutoCheckBox + TabStop},
          {1, "BUTTON", "Close", 92, 186, 40, 14, DefaultPushButton + TabStop},
          {100, "STATIC", "Resolution:", 11, 148, 38, 8, StaticText},
      }},
      {113, "input dialog", "Input Devices", false, 0, 0, 361, 200, DescribedSettingsDialog, {
          {118, "BUTTON", "Select Secondary", 111, 176, 68, 13, PushButton + TabStop},
          {117, "BUTTON", "Select Primary", 41, 176, 68, 13, PushButton},
          {116, "LISTBOX", "", 11, 25, 168, 148, ColumnList},
          {-1, "STATIC", "Action", 13, 16, 167, 8, StaticText},
          {-1, "BUTTON", "Key Assignments", 5, 4, 182, 190, GroupBox},
          {120, "BUTTON", "Select", 309, 90, 40, 13, PushButton},
          {-1, "STATIC", "* = Double-clicked", 285, 34, 66, 8, StaticText},
          {119, "LISTBOX", "", 201, 45, 148, 43, ColumnList},
          {-1, "STATIC", "Button", 201, 34, 59, 8, StaticText},
          {-1, "BUTTON", "Mouse Assignments", 193, 23, 163, 85, GroupBox},
          {1, "BUTTON", "Close", 316, 182, 40, 14, DefaultPushButton},
          {121, "BUTTON", "Advanced...", 201, 90, 50, 13, PushButton},
          {100, "STATIC", "Input Devices:", 198, 9, 51, 8, StaticText},
          {114, "COMBOBOX", "", 251, 7, 102, 66, DropDownList + ComboHoldsStrings + ComboUnsorted},
      }},
      {122, "mouse dialog", "Advanced Mouse Options", false, 0, 0, 228, 173, exactly(ListedSettingsDialog), {
          {-1, "BUTTON", "Mouse", 5, 5, 218, 143, GroupBox},
          {-1, "STATIC", "X-Axis Scale:", 13, 21, 50, 8, StaticText},
          {123, "msctls_trackbar32", "", 63, 14, 133, 17, HorizontalTrackbar + AutomaticTicks + TicksAbove + FixedLengthThumb + TabStop},
          {124, "STATIC", "1.0", 197, 21, 22, 8, StaticText},
          {-1, "STATIC", "Y-Axis Scale:", 13, 38, 50, 8, StaticText},
          {125, "msctls_trackbar32", "", 63, 37, 133, 17, HorizontalTrackbar + AutomaticTicks + TicksBelow + FixedLengthThumb + TabStop},
          {126, "STATIC", "1.0", 197, 38, 22, 8, StaticText},
          {-1, "STATIC", "Mouse Aiming Mode:", 13, 60, 74, 8, StaticText},
          {128, "BUTTON", "Toggle", 93, 60, 40, 10, AutoRadioButton + StartsGroup + TabStop},
          {127, "BUTTON", "Momentary", 145, 60, 56, 10, AutoRadioButton + TabStop},
          {-1, "STATIC", "Analogue X:", 13, 78, 41, 8, StaticText},
          {129, "COMBOBOX", "", 56, 76, 69, 52, AnalogList},
          {-1, "STATIC", "Y:", 129, 78, 13, 8, RightAlignedText},
          {130, "COMBOBOX", "", 145, 76, 69, 52, AnalogList},
          {-1, "STATIC", "Digital", 14, 113, 25, 9, StaticText},
          {131, "BUTTON", "Push", 84, 96, 82, 14, PushButton + TabStop},
          {132, "BUTTON", "Push", 45, 111, 81, 14, PushButton + TabStop},
          {133, "BUTTON", "Push", 127, 111, 81, 14, PushButton + TabStop},
          {134, "BUTTON", "Push", 84, 126, 82, 14, PushButton + TabStop},
          {1, "BUTTON", "Close", 182, 154, 40, 14, DefaultPushButton + TabStop},
      }},
      {135, "key picker", "Select Key", false, 0, 0, 165, 136, DescribedSettingsDialog, {
          {-1, "STATIC", "Select the key to assign to:", 5, 5, 109, 8, StaticText},
          {137, "STATIC", "Function_name_goes_here", 5, 17, 155, 11, NameText},
          {138, "LISTBOX", "", 21, 33, 71, 78, SortedList},
          {139, "BUTTON", "None", 106, 65, 40, 10, AutoCheckBox},
          {1, "BUTTON", "&Set", 78, 118, 40, 14, DefaultPushButton},
          {2, "BUTTON", "&Cancel", 122, 118, 40, 14, PushButton},
      }},
      {136, "function picker", "Select Function", false, 0, 0, 201, 136, DescribedSettingsDialog, {
          {-1, "STATIC", "Select the function to assign to:", 5, 5, 109, 8, StaticText},
          {137, "STATIC", "Button_name_goes_here", 5, 17, 191, 11, NameText},
          {138, "LISTBOX", "", 21, 33, 107, 78, UnsortedList},
          {1, "BUTTON", "&Set", 113, 118, 40, 14, DefaultPushButton},
          {2, "BUTTON", "&Cancel", 157, 118, 40, 14, PushButton},
          {139, "BUTTON", "None", 143, 65, 40, 10, AutoCheckBox},
      }},
  };
  return dialogs;
}
// clang-format on

inline bool sameClass(const char *a, const char *b) {
  for (;; ++a, ++b) {
    char ca = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
    char cb = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
    if (ca != cb) return false;
    if (ca == '\0') return true;
  }
}

inline std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return text;
}

inline std::string styleDifference(uint32_t seen, Style wanted) {
  uint32_t wrong = (seen ^ wanted.set) & wanted.decided;
  if (wrong == 0) return "";
  return "style " + hex(seen) + ": bits " + hex(wrong) + " should be " + hex(wanted.set & wrong);
}

// Rectangles in dialog units, overlapping when they share any area.
inline bool overlap(int x1, int y1, int cx1, int cy1, int x2, int y2, int cx2, int cy2) {
  return x1 < x2 + cx2 && x2 < x1 + cx1 && y1 < y2 + cy2 && y2 < y1 + cy1;
}

// What in `seen` departs from its original template: one line each, none
// when it keeps it. A template not in the table is one difference.
inline std::vector<std::string> differences(const DialogTemplateData &seen) {
  std::vector<std::string> found;
  const Dialog *wanted = nullptr;
  for (const Dialog &dialog : templates())
    if (dialog.id == seen.id) wanted = &dialog;
  std::string dialogName = "dialog " + std::to_string(seen.id);
  if (!wanted) return {dialogName + ": not in the table of original templates"};
  auto add = [&](const std::string &where, const std::string &what) {
    found.push_back(dialogName + " (" + wanted->part + ")" + where + ": " + what);
  };
  if (std::string(seen.caption ? seen.caption : "") != wanted->caption)
    add("",
        std::string("caption \"") + (seen.caption ? seen.caption : "") + "\", original \"" + wanted->caption + "\"");
  if (std::string(seen.fontName ? seen.fontName : "") != "MS Shell Dlg" || seen.pointSize != 8)
    add("", std::string("font \"") + (seen.fontName ? seen.fontName : "") + "\" " + std::to_string(seen.pointSize) +
                ", original \"MS Shell Dlg\" 8");
  if (wanted->placed && (seen.x != wanted->x || seen.y != wanted->y))
    add("", "at " + std::to_string(seen.x) + "," + std::to_string(seen.y) + ", original " + std::to_string(wanted->x) +
                "," + std::to_string(wanted->y));
  if (seen.cx != wanted->cx || seen.cy != wanted->cy)
    add("", "size " + std::to_string(seen.cx) + "x" + std::to_string(seen.cy) + ", original " +
                std::to_string(wanted->cx) + "x" + std::to_string(wanted->cy));
  std::string style = styleDifference(seen.style, wanted->style);
  if (!style.empty()) add("", style);

  const int originalCount = static_cast<int>(wanted->controls.size());
  if (seen.controlCount < originalCount)
    add("", std::to_string(seen.controlCount) + " controls, original " + std::to_string(originalCount));
  for (int i = 0; i < seen.controlCount; ++i) {
    const DialogControlTemplate &c = seen.controls[i];
    std::string where =
        " control " + std::to_string(i) + " (id " + std::to_string(c.id) + ", \"" + (c.text ? c.text : "") + "\")";
    if (i >= originalCount) {
      // Ours: inside the dialog, clear of every original control.
      if (c.x < 0 || c.y < 0 || c.x + c.cx > seen.cx || c.y + c.cy > seen.cy)
        add(where, "an added control reaches outside the dialog");
      for (const OriginalControl &s : wanted->controls) {
        if (overlap(c.x, c.y, c.cx, c.cy, s.x, s.y, s.cx, s.cy))
          add(where,
              "an added control overlaps the original control id " + std::to_string(s.id) + " \"" + s.text + "\"");
      }
      continue;
    }
    const OriginalControl &s = wanted->controls[static_cast<size_t>(i)];
    if (c.id != s.id) add(where, "id " + std::to_string(c.id) + ", original " + std::to_string(s.id));
    if (!sameClass(c.className ? c.className : "", s.className))
      add(where, std::string("class ") + (c.className ? c.className : "") + ", original " + s.className);
    if (std::string(c.text ? c.text : "") != s.text)
      add(where, std::string("text \"") + (c.text ? c.text : "") + "\", original \"" + s.text + "\"");
    if (c.x != s.x || c.y != s.y || c.cx != s.cx || c.cy != s.cy)
      add(where, "at " + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + std::to_string(c.cx) + ", " +
                     std::to_string(c.cy) + ", original " + std::to_string(s.x) + ", " + std::to_string(s.y) + ", " +
                     std::to_string(s.cx) + ", " + std::to_string(s.cy));
    std::string controlStyle = styleDifference(c.style, s.style);
    if (!controlStyle.empty()) add(where, controlStyle);
  }
  return found;
}

}  // namespace original
