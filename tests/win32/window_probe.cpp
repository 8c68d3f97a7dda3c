// Looks at the configurator's windows from outside, the way an accessibility
// tool would, for the Wine tests: they drive the program with real
// keystrokes and need to read what is on screen (a message box's text, which
// control has the focus, what a drop-down list shows) without touching it.
//
//   tg-window-probe window CAPTION   the top-level window with that caption:
//                                    one line for the window, one for the
//                                    focused control, one per control
//   tg-window-probe midi             the MIDI output devices the program sees
//
// Exit status 0 when the window was found, 1 otherwise.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/win32/text_fit.h"

namespace {

// One line per value: tabs, quotes and line breaks inside texts are escaped so
// the shell side can match with plain patterns.
std::string escaped(const char *text) {
  std::string out;
  for (const char *p = text; *p; ++p) {
    switch (*p) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default: out += *p;
    }
  }
  return out;
}

std::string windowText(HWND window) {
  char buffer[1024] = "";
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string windowClass(HWND window) {
  char buffer[256] = "";
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

// Text of a list row. Asked in UTF-16: Wine marshals the ANSI row-text
// messages between processes as wide text and hands back only the first
// character.
std::string rowText(HWND control, bool combo, LRESULT row) {
  UINT lengthMessage = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  UINT textMessage = combo ? CB_GETLBTEXT : LB_GETTEXT;
  LRESULT length = SendMessageW(control, lengthMessage, row, 0);
  if (length < 0 || length > 4096) return "";
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(control, textMessage, row, reinterpret_cast<LPARAM>(&wide[0]));
  std::string text;
  for (const wchar_t *p = wide.c_str(); *p; ++p) text += *p < 0x80 ? static_cast<char>(*p) : '?';
  return text;
}

BOOL CALLBACK printControl(HWND control, LPARAM) {
  std::string cls = windowClass(control);
  std::printf("control id=%d class=%s text=\"%s\" visible=%d enabled=%d", GetDlgCtrlID(control), cls.c_str(),
              escaped(windowText(control).c_str()).c_str(), IsWindowVisible(control) ? 1 : 0,
              IsWindowEnabled(control) ? 1 : 0);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  if (_stricmp(cls.c_str(), "Button") == 0) {
    LONG kind = style & BS_TYPEMASK;
    if (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON)
      std::printf(" checked=%d", static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)));
  } else if (_stricmp(cls.c_str(), "ComboBox") == 0 || _stricmp(cls.c_str(), "ListBox") == 0) {
    bool combo = _stricmp(cls.c_str(), "ComboBox") == 0;
    LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    LRESULT selected = SendMessageA(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    std::printf(" rows=%ld selected=%ld", static_cast<long>(count), static_cast<long>(selected));
    if (selected >= 0) std::printf(" selection=\"%s\"", escaped(rowText(control, combo, selected).c_str()).c_str());
  } else if (_stricmp(cls.c_str(), TRACKBAR_CLASSA) == 0) {
    std::printf(" position=%ld", static_cast<long>(SendMessageA(control, TBM_GETPOS, 0, 0)));
  }
  std::string cut = cutText(control, cls, style, windowText(control));
  if (!cut.empty()) std::printf(" cut=\"%s\"", cut.c_str());
  std::printf("\n");
  return TRUE;
}

int probeWindow(const char *caption) {
  HWND window = FindWindowA(nullptr, caption);
  if (!window || !IsWindowVisible(window)) {
    std::printf("no visible window \"%s\"\n", escaped(caption).c_str());
    return 1;
  }
  RECT rect;
  GetWindowRect(window, &rect);
  std::printf("window caption=\"%s\" class=%s enabled=%d rect=%ld,%ld,%ld,%ld\n", escaped(caption).c_str(),
              windowClass(window).c_str(), IsWindowEnabled(window) ? 1 : 0, rect.left, rect.top, rect.right,
              rect.bottom);
  GUITHREADINFO thread;
  std::memset(&thread, 0, sizeof thread);
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus &&
      (thread.hwndFocus == window || IsChild(window, thread.hwndFocus)))
    std::printf("focus id=%d\n", thread.hwndFocus == window ? 0 : GetDlgCtrlID(thread.hwndFocus));
  else
    std::printf("focus none\n");
  EnumChildWindows(window, printControl, 0);
  return 0;
}

int probeMidi() {
  UINT count = midiOutGetNumDevs();
  std::printf("midi output devices: %u\n", count);
  for (UINT i = 0; i < count; ++i) {
    MIDIOUTCAPSA caps;
    if (midiOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
      std::printf("midi %u \"%s\"\n", i, escaped(caps.szPname).c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::strcmp(argv[1], "window") == 0) return probeWindow(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "midi") == 0) return probeMidi();
  std::printf("usage: %s window CAPTION | midi\n", argv[0]);
  return 2;
}
