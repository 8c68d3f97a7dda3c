/* The scripted user on the Qt backend (user_script.h): each action of a
 * dialog's step becomes real mouse and key events on the real widgets, sent
 * through Qt's window-system path so that modality applies as it does to a
 * person. Linked only into tests and tools.
 */
#pragma once

#include <functional>

class QDialog;
class QMessageBox;

// From now on dialogs and message boxes take their steps from the script
// (call it once).
void qtUseScriptedUser();

// Longest time a dialog or message box may stay open before the watchdog
// reports it and ends it (-1 for a dialog), so that a test never hangs.
void qtSetScriptWatchdog(int milliseconds);

// Called with each message box once it is on screen, before it is answered
// (the screenshot tool photographs them here).
void qtObserveMessageBoxes(std::function<void(QMessageBox *box)> observer);

// Called with each key-capture box once it is on screen, before the
// script's key reaches it (the screenshot tool photographs them here).
void qtObserveKeyCaptureBoxes(std::function<void(QDialog *box)> observer);
