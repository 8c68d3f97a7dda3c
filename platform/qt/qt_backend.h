/* What the Qt backend offers beyond platform/core/backend.h, for the Qt side of the
 * scripted user, the screenshot tool and the Qt-only tests. Dialog code never
 * includes this header.
 */
#pragma once

#include "platform/core/window.h"

class QFont;
class QWidget;

// The application object, created on first use. Without any display (no
// DISPLAY, no WAYLAND_DISPLAY and no QT_QPA_PLATFORM) this prints which
// variable to set and ends the process with status 1.
void qtEnsureApplication();

// The font every dialog uses and its base units (pixels per 4 horizontal and
// 8 vertical dialog units), measured the way Windows measures them.
const QFont &qtDialogFont();
double qtBaseUnitX();  // may be fractional: widened until every template text fits
int qtBaseUnitY();
// Dialog units to pixels (rounded like MapDialogRect).
int qtDialogUnitsToPixelsX(int units);
int qtDialogUnitsToPixelsY(int units);

// The widget that shows a dialog or control (null when there is none).
QWidget *qtWidgetFor(HWND window);

// Ends the modal loops of dialogs that EndDialog has ended. The backend calls
// it after every piece of input; whoever ends a dialog from elsewhere (the
// scripted user, a watchdog) calls it too.
void qtEndFinishedLoops();
