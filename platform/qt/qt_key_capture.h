/* The key-capture box of the Qt backend (capturePressedKey), for the backend
 * and the Qt side of the scripted user. Dialog code never includes this
 * header.
 */
#pragma once

#include <QDialog>
#include <string>

#include "platform/core/window.h"

// A prompt on the dialog font, modal over its owner, that ends at the first
// key pressed in it. The key is read by its native scan code, before Qt gives
// it a meaning of its own (Tab moving the focus, Escape closing a dialog, a
// shortcut), so every key, Tab, Enter and Alt included, is just a key here.
class TgKeyCaptureBox : public QDialog {
 public:
  TgKeyCaptureBox(HWND owner, const char *caption, const char *prompt);
  HWND owner() const { return owner_; }
  const std::string &caption() const { return caption_; }
  const std::string &prompt() const { return prompt_; }
  // The key read (platform/key_codes.h); -1 until then, and when the box was
  // closed without one.
  int keyCode() const { return keyCode_; }

  // The key code of a key event: from its native scan code, which is the XKB
  // keycode on xcb and wayland alike (the input-event code + 8).
  static int keyCodeOf(const QKeyEvent &event);

 protected:
  bool event(QEvent *event) override;

 private:
  HWND owner_;
  std::string caption_;
  std::string prompt_;
  int keyCode_ = -1;
};
