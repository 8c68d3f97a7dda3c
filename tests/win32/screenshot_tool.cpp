/* Photographs every dialog and message box of the configurator as Windows
 * (here: Wine) shows them: the program runs in a scratch folder with two MIDI
 * devices, and the scripted user walks through the six dialogs, the
 * key-capture box and the message boxes, the warnings before the menu
 * included; each window is copied from the screen, frame and caption
 * included, into a 24-bit BMP (scripts/screenshots makes PNGs of them). The
 * labels whose text the dialog font cuts off are listed on the way.
 *
 *   tg-win32-screenshots OUTPUT_FOLDER
 */
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/startup.h"
#include "platform/key_codes.h"
#include "settings/settings.h"
#include "tests/harness/scripted_user/test_midi_devices.h"
#include "tests/harness/scripted_user/user_script.h"
#include "tests/harness/scripted_user/win32_scripted_user.h"
#include "tests/win32/text_fit.h"
#include "tests/common/screenshot_walk.h"
#include "tests/common/process_state.h"
#include "ui/resource.h"

namespace {

using namespace userscript;

std::filesystem::path OutputFolder;
int Failures = 0;
int Saved = 0;

// The window's pixels as they are on the screen, bottom-up rows of BGR.
bool saveBitmap(HWND window, const std::filesystem::path &path) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  bool copied = bits && BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + rowBytes * static_cast<DWORD>(height);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(&file), sizeof file);
  out.write(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
  if (copied) out.write(static_cast<const char *>(bits), static_cast<std::streamsize>(rowBytes) * height);
  bool written = copied && out.good();
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return written;
}

void reportCutLabels(HWND window) {
  char caption[128] = "";
  GetWindowTextA(window, caption, sizeof caption);
  for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    char text[256] = "", cls[64] = "";
    GetWindowTextA(control, text, sizeof text);
    GetClassNameA(control, cls, sizeof cls);
    std::string cut = cutText(control, cls, GetWindowLongA(control, GWL_STYLE), text);
    if (!cut.empty()) std::printf("  cut off in \"%s\": \"%s\" (%s)\n", caption, text, cut.c_str());
  }
}

void save(HWND window, const char *name) {
  // Wine without a window manager leaves the main menu's caption painted
  // inactive at its first turn although it is the active window: the frame
  // is drawn again as the window's state has it.
  if (GetActiveWindow() == window) SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
  std::filesystem::path path = OutputFolder / (std::string(name) + ".bmp");
  if (saveBitmap(window, path)) {
    ++Saved;
    std::printf("%s\n", path.string().c_str());
  } else {
    std::fprintf(stderr, "could not write %s\n", path.string().c_str());
    ++Failures;
  }
  reportCutLabels(window);
}

Action photograph(const char *name) {
  return inspect([name](HWND dialog) { save(dialog, name); });
}

// Message boxes are named by what they say (the text is the static 0xFFFF).
void photographBox(HWND box) {
  static const struct {
    const char *start;
    const char *name;
  } names[] = {
      {"Configuration saved.", "message-configuration-saved"},
      {"The console may be activated", "message-console-one-key"},
      {"Your configuration has been changed.", "message-save-now"},
      {"Could not write gardum.cfg.", "message-could-not-write"},
      {"Failed starting VEXGAME.EXE.", "message-failure-starting-game"},
      {"Put every key back to its default?", "message-default-keys"},
      {"3 lines of gardum.cfg could not be read", "message-unread-lines"},
      {"gardum.cfg could not be read (", "message-file-unreadable"},
  };
  char text[512] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  for (const auto &entry : names) {
    if (std::strncmp(text, entry.start, std::strlen(entry.start)) == 0) {
      save(box, entry.name);
      return;
    }
  }
  std::fprintf(stderr, "a message box nobody named: \"%s\"\n", text);
  ++Failures;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  OutputFolder = std::filesystem::absolute(argv[1]);
  std::filesystem::path scratch = std::filesystem::temp_directory_path() / "tg-screenshots";
  std::filesystem::remove_all(scratch);
  std::filesystem::create_directories(scratch);
  std::filesystem::current_path(scratch);
  setFailureHandler([](const std::string &message) {
    std::fprintf(stderr, "script: %s\n", message.c_str());
    ++Failures;
  });
  const std::vector<std::string> devices = {"Midi Through Port-0", "FluidSynth virtual port"};
  setMidiOutDevicesForTesting(&devices);
  // Dialogs are photographed by their steps; the key-capture box as it
  // waits for the key.
  win32ObserveWindows([](HWND window, bool messageBox) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (messageBox)
      photographBox(window);
    else if (std::strcmp(cls, KeyCaptureWindowClass) == 0)
      save(window, "key-capture");
  });
  HINSTANCE instance = GetModuleHandleA(nullptr);

  expectDialog("Tarrengard Configuration", {photograph("main-menu"), click(IDC_MENU_MUSIC_SOUND_VIDEO),
                                            click(IDC_MENU_SAVE), click(IDC_MENU_INPUT_DEVICES), inspect([](HWND) {
                                              // A folder in the file's place: the next save cannot write it.
                                              std::filesystem::remove("gardum.cfg");
                                              std::filesystem::create_directory("gardum.cfg");
                                            }),
                                            click(IDC_MENU_SAVE), key(VK_ESCAPE)});
  screenshots::expectTheSettingsDialogs(photograph, "advanced-mouse-options");
  expectMessageBox(IDOK);  // Could not write gardum.cfg.
  expectMessageBox(IDNO);  // Your configuration has been changed. Save now?
  tarrengardMain(instance);
  // Again with a gardum.cfg of 4 GiB and 36 bytes, more than a long counts:
  // the warning that it could not be read, then the menu with the defaults.
  std::filesystem::remove("gardum.cfg");
  HANDLE file = CreateFileA("gardum.cfg", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = (4ll << 30) + 36;
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
  expectMessageBox(IDOK);  // gardum.cfg could not be read (File too large).
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_EXIT)});
  resetProcessState();  // each run starts as a program just started does
  tarrengardMain(instance);
  // Once more, with lines the parser cannot read, for the warning before the
  // menu and the failed game start, which ends the program.
  std::ofstream(ConfigFileName, std::ios::binary | std::ios::trunc) << screenshots::UnreadableLines;
  screenshots::expectTheUnreadLinesAndAFailedStart();
  resetProcessState();  // each run starts as a program just started does
  int code = tarrengardMain(instance);
  finished();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(scratch);
  std::printf("%d pictures; the configurator ended with %d\n", Saved, code);
  return Failures == 0 ? 0 : 1;
}
