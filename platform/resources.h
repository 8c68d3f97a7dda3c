/* The program's resources as the dialog layer reads them: dialog templates
 * and icons. These are the records a resource compiler makes of an .rc file;
 * the tables themselves are the program's own (it links them in, as it would
 * link a compiled .rc file), and the lookups below search them.
 */
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
  int id;  // template number, as DialogBoxParamA names it
  const char *caption;
  const char *fontName;
  int pointSize;
  short x, y, cx, cy;  // dialog units
  uint32_t style;
  const DialogControlTemplate *controls;  // in template order = tab order
  int controlCount;
};

// ---- Supplied by the program -------------------------------------------------

extern const DialogTemplateData DialogTemplateTable[];
extern const int DialogTemplateCount;

// ---- Lookups -----------------------------------------------------------------

// The template with that number, or null.
const DialogTemplateData *findDialogTemplate(int id);
