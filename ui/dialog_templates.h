// The six dialog templates as data: caption, font, size, styles and every
// control, in dialog units. The one description every backend renders (the
// Windows build turns it into real DLGTEMPLATEEX resources).
#pragma once

#include <cstdint>

struct DialogControlTemplate {
  int id;                 // -1 for statics that are never addressed
  const char *className;  // "BUTTON", "STATIC", "LISTBOX", "COMBOBOX", "msctls_trackbar32"
  const char *text;
  short x, y, cx, cy;  // dialog units
  uint32_t style;      // full Win32 style word (WS_CHILD | WS_VISIBLE | ...)
};

struct DialogTemplateData {
  int id;  // template number (100, 103, 113, 122, 135, 136)
  const char *caption;
  const char *fontName;  // "MS Shell Dlg"
  int pointSize;         // 8
  short x, y, cx, cy;    // dialog units
  uint32_t style;
  const DialogControlTemplate *controls;  // in template order = tab order
  int controlCount;
};

extern const DialogTemplateData DialogTemplateTable[];
extern const int DialogTemplateCount;

// The template with that number, or null.
const DialogTemplateData *findDialogTemplate(int id);
