// Whether a control's text fits its rectangle in the dialog font, for the
// tools that look at the program's windows (the probe, the screenshot tool):
// Wine draws "MS Shell Dlg" with Tahoma, a little wider than Windows' font.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

// Whether a control's text fits, measured with the dialogs' font ("MS Shell
// Dlg" 8 point, as the templates ask) the way the standard controls lay text
// out: statics and check boxes wrap at word breaks inside their rectangle, push
// buttons and group boxes keep one line. The font is made here because a font
// handle of the other process means nothing in this one. Returns "" when the
// text fits, otherwise what is cut.
inline std::string cutText(HWND control, const std::string &cls, LONG style, const std::string &text) {
  if (text.empty()) return "";
  HDC dc = GetDC(control);
  int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Shell Dlg");
  HGDIOBJ old = SelectObject(dc, font);
  RECT client;
  GetClientRect(control, &client);
  int width = client.right - client.left;
  int lines = client.bottom - client.top;
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  int lineHeight = metrics.tmHeight;

  // Room the control itself takes from its rectangle (box, frame, margins).
  int reserved = 0;
  bool wraps = false;
  if (_stricmp(cls.c_str(), "Static") == 0) {
    LONG kind = style & 0x1F;
    if (kind > 2)  // not a text static
      width = 0;
    wraps = true;
    if (style & SS_SUNKEN) reserved = 2;
  } else if (_stricmp(cls.c_str(), "Button") == 0) {
    LONG kind = style & BS_TYPEMASK;
    if (kind == BS_GROUPBOX) {
      reserved = 2 * metrics.tmAveCharWidth + 4;
      lines = lineHeight;
    } else if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
      reserved = 6;
    } else {
      reserved = 13 + 3;  // the check box or radio circle and its gap
      wraps = true;
    }
  } else {
    width = 0;  // lists and the like show their own rows
  }
  std::string cut;
  if (width > 0) {
    UINT flags = DT_CALCRECT | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
    if (_stricmp(cls.c_str(), "Static") == 0 && (style & SS_NOPREFIX)) flags |= DT_NOPREFIX;
    RECT need = {0, 0, width - reserved, 0};
    DrawTextA(dc, text.c_str(), -1, &need, flags);
    // One pixel over is the last glyph's empty advance, not a visible cut.
    if (need.right > width - reserved + 1)
      cut = "needs " + std::to_string(need.right + reserved) + " px of " + std::to_string(width);
    else if (need.bottom > lines) {
      RECT line = {0, 0, 0, 0};
      DrawTextA(dc, text.c_str(), -1, &line, (flags & ~DT_WORDBREAK) | DT_SINGLELINE);
      cut = "wraps to " + std::to_string(need.bottom) + " px of " + std::to_string(lines) + "; one line needs " +
            std::to_string(line.right + reserved) + " px of " + std::to_string(width);
    }
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(control, dc);
  return cut;
}
