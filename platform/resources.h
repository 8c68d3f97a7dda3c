/* The program's resources as the dialog layer reads them: dialog templates
 * and icons. These are the records a resource compiler makes of an .rc file;
 * the tables themselves are the program's own (it links them in, as it would
 * link a compiled .rc file), and the lookups below search them.
 *
 * The dialog layer names no resource of the program: LoadIconA finds an
 * icon by its number in the icon table, and a backend shows the images the
 * table lists.
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

// One image of an icon: a square picture of one size.
struct IconImage {
  int size;          // width and height in pixels
  const char *file;  // where the program's resource files keep it ("icons/name-16.png")
};

// An icon group: the sizes of one picture, as an .ico file holds them.
struct IconResource {
  int id;  // icon number, as LoadIconA names it
  const IconImage *images;
  int imageCount;
};

// A control's name for screen readers where it shows no text of its own and
// the label Windows would find for it reads oddly (a legend, a neighbour's
// text). Not a resource Windows knows: the Qt backend reads it.
struct AccessibleNameEntry {
  int dialogId;   // template number
  int controlId;  // the control's id in that template
  const char *name;
};

// ---- Supplied by the program -------------------------------------------------

extern const DialogTemplateData DialogTemplateTable[];
extern const int DialogTemplateCount;
extern const IconResource IconTable[];
extern const int IconCount;
extern const AccessibleNameEntry AccessibleNameTable[];
extern const int AccessibleNameCount;

// ---- Lookups -----------------------------------------------------------------

// The template with that number, or null.
const DialogTemplateData *findDialogTemplate(int id);
// The icon with that number, or null.
const IconResource *findIcon(int id);
// The name the program gives that control of that template, or null.
const char *findAccessibleName(int dialogId, int controlId);
